// Each lint rule against the compiler: a small model per rule whose generated file Free
// Pascal (Delphi mode) or the Mono C# compiler rejects, and that lint reports under the
// rule; then the fix lint names, in the model or in a zone, after which lint is silent
// about it and the regenerated file compiles. A case skips when its compiler is missing.
#include "GenerationTestSupport.h"
#include "Lint.h"
#include "TypeMap.h"

#include <algorithm>
#include <functional>

namespace {

using namespace GenTest;

struct Fixture {
    ModelBuilder& build;
    Subsystem* package;
    std::vector<Class*> classes;
    Module* module = nullptr; // the component of the classes, made after the model
    Class* Add(const std::wstring& name, Category* category = nullptr)
    {
        classes.push_back(build.AddClass(name, category));
        return classes.back();
    }
    void Set(Element* element, const std::wstring& name, const std::wstring& value) { build.Prop(element, name, value); }
    Class* Named(const std::wstring& name) const
    {
        for (Class* cls : classes)
            if (cls->name == name)
                return cls;
        return nullptr;
    }
};

struct ZoneFill {
    std::wstring scope, tag;
    std::string text;
};

struct LintCase {
    const char* name;
    const wchar_t* tool;
    const wchar_t* rule;
    std::function<void(Fixture&)> model;
    std::function<void(Fixture&)> fix; // a model change; or, when empty, the zone below
    ZoneFill zone = {};
    const wchar_t* includes = nullptr; // the component's "AdditionalIncludes"
    const char* says = nullptr;        // a text the finding holds
};

// The fix a lint type finding names: a built-in type map applied to the model in memory.
void MapWith(Fixture& f, const wchar_t* map)
{
    const std::wstring language = f.build.tool;
    VexloTypes::ApplyTypeMap(*f.build.model, *VexloTypes::BuiltinTypeMap(map), [&](const Class&) { return language; });
}

// A namespace package of the C# cases.
Category* Namespace(Fixture& f, const std::wstring& name)
{
    Category* category = f.build.AddCategory(f.build.root, name);
    f.Set(category, L"IsNamespace", L"TRUE");
    return category;
}

const LintCase kCases[] = {
    {"DelphiUntypedAttribute", L"Delphi", L"untyped-attribute",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TShape"), L"Width"); },
     [](Fixture& f) { f.Named(L"TShape")->attributes[0]->type = L"Integer"; }},
    {"DelphiUntypedParameter", L"Delphi", L"untyped-parameter",
     [](Fixture& f) { f.build.AddParameter(f.build.AddOperation(f.Add(L"TShape"), L"Move"), L"Dx", L""); },
     [](Fixture& f) { f.Named(L"TShape")->operations[0]->parameters[0]->type = L"Integer"; }},
    {"DelphiNameWithBlank", L"Delphi", L"not-an-identifier",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TLoan"), L"Due Date", L"Integer"); },
     [](Fixture& f) { f.Named(L"TLoan")->attributes[0]->name = L"DueDate"; }},
    {"DelphiReservedWord", L"Delphi", L"not-an-identifier",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"TTask"), L"End"); },
     [](Fixture& f) { f.Named(L"TTask")->operations[0]->name = L"Finish"; }},
    {"DelphiPublishedWithoutRtti", L"Delphi", L"delphi-published-rtti",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"TItem"), L"Show", L"", ImplementationAccess); },
     nullptr, {L"TItem", L"preface", "  {$M+}\r\n"}},
    {"DelphiPropertyWithoutAccessor", L"Delphi", L"property-without-accessor",
     [](Fixture& f) { f.Set(f.build.AddAttribute(f.Add(L"TItem"), L"Title", L"Integer", PublicAccess), L"IsProperty", L"TRUE"); },
     [](Fixture& f) { f.Set(f.Named(L"TItem")->attributes[0], L"GenerateGetOperation", L"TRUE"); }},
    {"DelphiClassesReferringToEachOther", L"Delphi", L"delphi-forward-declaration",
     [](Fixture& f) {
         Class* member = f.Add(L"TMember");
         Class* loan = f.Add(L"TLoan");
         f.build.AddAttribute(member, L"Loan", L"TLoan");
         f.build.AddAttribute(loan, L"Borrower", L"TMember");
     },
     nullptr, {L"TMember", L"preface", "  TLoan = class;\r\n"}},
    {"DelphiDuplicateMember", L"Delphi", L"duplicate-member",
     [](Fixture& f) {
         Class* list = f.Add(L"TList");
         f.Set(f.build.AddAttribute(list, L"Count", L"Integer"), L"GenerateGetOperation", L"TRUE");
         f.build.AddOperation(list, L"GetCount", L"Integer");
     },
     [](Fixture& f) { f.Named(L"TList")->operations[0]->name = L"CountItems"; }},
    {"DelphiOverloadsWithoutDirective", L"Delphi", L"duplicate-member",
     [](Fixture& f) {
         Class* list = f.Add(L"TNames");
         f.build.AddParameter(f.build.AddOperation(list, L"Add", L"", PublicAccess, L"Q-ADD1"), L"Index", L"Integer");
         f.build.AddParameter(f.build.AddOperation(list, L"Add", L"", PublicAccess, L"Q-ADD2"), L"Name", L"string");
     },
     [](Fixture& f) {
         for (Operation* add : f.Named(L"TNames")->operations)
             f.Set(add, L"IsOverload", L"TRUE");
     }},
    {"DelphiUnnamedRolesReferringToEachOther", L"Delphi", L"delphi-forward-declaration",
     [](Fixture& f) { f.build.Associate(L"Holds", f.Add(L"TMember"), L"", true, f.Add(L"TLoan"), L"", true); },
     nullptr, {L"TLoan", L"preface", "  TMember = class;\r\n"}, nullptr, "unnamed role of the association Holds"},
    {"DelphiDocumentationWithBrace", L"Delphi", L"documentation-breaks-comment",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TShape"), L"Width", L"Integer")->documentation = L"in pixels}"; },
     [](Fixture& f) { f.Named(L"TShape")->attributes[0]->documentation = L"in pixels"; }},
    {"DelphiCppPointerType", L"Delphi", L"not-a-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TName"), L"Text", L"char*"); },
     [](Fixture& f) { MapWith(f, L"cpp"); }},
    {"DelphiTwoWordType", L"Delphi", L"not-a-type",
     [](Fixture& f) { f.build.AddParameter(f.build.AddOperation(f.Add(L"TCounter"), L"Step"), L"By", L"unsigned long"); },
     [](Fixture& f) { MapWith(f, L"cpp"); }},
    {"DelphiSqlSizedType", L"Delphi", L"not-a-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TRow"), L"Code", L"char(12)"); },
     [](Fixture& f) { f.Named(L"TRow")->attributes[0]->type = L"string[12]"; }},
    {"DelphiCppTypeName", L"Delphi", L"unknown-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TFlag"), L"Set", L"bool"); },
     [](Fixture& f) { MapWith(f, L"cpp"); }},
    {"DelphiVoidResult", L"Delphi", L"unknown-type",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"TTask"), L"Run", L"void"); },
     [](Fixture& f) { MapWith(f, L"cpp"); }},
    {"DelphiTypeOfUnitNotUsed", L"Delphi", L"unknown-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"TBook"), L"Lines", L"TStringList"); },
     [](Fixture& f) { f.Set(f.module, L"AdditionalIncludes", L"Classes"); }},
    {"DelphiUnitUsedTwice", L"Delphi", L"delphi-duplicate-uses", [](Fixture& f) { f.Add(L"TBook"); },
     [](Fixture& f) { f.Set(f.module, L"AdditionalIncludes", L"SysUtils,Classes"); }, {}, L"SysUtils,Classes,sysutils"},
    {"CSharpUntypedAttribute", L"C#", L"untyped-attribute",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Account"), L"count"); },
     [](Fixture& f) { f.Named(L"Account")->attributes[0]->type = L"int"; }},
    {"CSharpUntypedParameter", L"C#", L"untyped-parameter",
     [](Fixture& f) { f.build.AddParameter(f.build.AddOperation(f.Add(L"Account"), L"Deposit", L"void"), L"amount", L""); },
     [](Fixture& f) { f.Named(L"Account")->operations[0]->parameters[0]->type = L"decimal"; }},
    {"CSharpUntypedOperation", L"C#", L"untyped-operation",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"Account"), L"Close"); },
     [](Fixture& f) { f.Named(L"Account")->operations[0]->returnType = L"void"; }},
    {"CSharpKeyword", L"C#", L"not-an-identifier",
     [](Fixture& f) { f.build.AddParameter(f.build.AddOperation(f.Add(L"Account"), L"Reset", L"void"), L"default", L"int"); },
     [](Fixture& f) { f.Named(L"Account")->operations[0]->parameters[0]->name = L"fallback"; }},
    {"CSharpPropertyWithoutAccessor", L"C#", L"property-without-accessor",
     [](Fixture& f) {
         Attribute* count = f.build.AddAttribute(f.Add(L"Account"), L"count", L"int", PublicAccess);
         f.Set(count, L"IsProperty", L"TRUE");
         f.Set(count, L"GenerateGetOperation", L"FALSE");
         f.Set(count, L"GenerateSetOperation", L"FALSE");
     },
     [](Fixture& f) { f.Set(f.Named(L"Account")->attributes[0], L"GenerateGetOperation", L"TRUE"); }},
    {"CSharpPrivateTopLevelType", L"C#", L"csharp-top-level-access",
     [](Fixture& f) { f.Set(f.Add(L"Account"), L"Accessibility", L"private"); },
     [](Fixture& f) { f.Set(f.Named(L"Account"), L"Accessibility", L"internal"); }},
    {"CSharpRoleOfAnotherNamespace", L"C#", L"csharp-missing-using",
     [](Fixture& f) {
         Class* account = f.Add(L"Account", Namespace(f, L"Bank"));
         Class* ledger = f.Add(L"Ledger", Namespace(f, L"Core"));
         f.build.Associate(L"Keeps", account, L"ledger", true, ledger, L"accounts", false);
     },
     [](Fixture& f) { f.build.Depend(f.Named(L"Account"), f.Named(L"Ledger")); }},
    {"CSharpSuperclassNamespaceHidden", L"C#", L"csharp-missing-using",
     [](Fixture& f) {
         Category* lending = Namespace(f, L"Lending");
         Category* inner = f.build.AddCategory(lending, L"Core");
         f.Set(inner, L"IsNamespace", L"TRUE");
         f.Add(L"Rule", inner);
         f.build.Inherit(f.Add(L"Loan", lending), f.Add(L"Entity", Namespace(f, L"Core")));
     },
     [](Fixture& f) { f.Named(L"Rule")->parentCategory->name = L"Policies"; }},
    {"CSharpDuplicateMember", L"C#", L"duplicate-member",
     [](Fixture& f) {
         Class* account = f.Add(L"Account");
         f.Set(f.build.AddAttribute(account, L"count", L"int", PublicAccess), L"IsProperty", L"TRUE");
         f.build.AddOperation(account, L"count", L"void");
     },
     [](Fixture& f) { f.Named(L"Account")->operations[0]->name = L"Recount"; }},
    {"CSharpCppDestructor", L"C#", L"not-an-identifier",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"Account"), L"~Account"); },
     [](Fixture& f) { f.Named(L"Account")->operations.clear(); }, {}, nullptr, "a C++ destructor"},
    {"CSharpMethodNamedLikeClass", L"C#", L"csharp-member-named-like-class",
     [](Fixture& f) { f.build.AddOperation(f.Add(L"Account"), L"Account", L"void"); },
     [](Fixture& f) { f.Named(L"Account")->operations[0]->returnType = L"Account"; }},
    {"CSharpDocumentationOfTwoLines", L"C#", L"documentation-breaks-comment",
     [](Fixture& f) { f.Add(L"Account")->documentation = L"A bank account\r\nof one customer"; },
     [](Fixture& f) { f.Named(L"Account")->documentation = L"A bank account of one customer"; }},
    {"CSharpInterfaceGuid", L"C#", L"csharp-interface-guid",
     [](Fixture& f) {
         Class* lendable = f.Add(L"ILendable");
         f.Set(lendable, L"Kind", L"interface");
         f.Set(lendable, L"GUID", L"8F2C1E60-2A41-4B4C-9E7D-0C1F3A5B6D7E");
     },
     [](Fixture& f) { f.Set(f.Named(L"ILendable"), L"GUID", L""); }},
    {"CSharpConstWithoutValue", L"C#", L"csharp-const-without-value",
     [](Fixture& f) { f.Set(f.build.AddAttribute(f.Add(L"Account"), L"Limit", L"int"), L"Const", L"TRUE"); },
     [](Fixture& f) { f.Named(L"Account")->attributes[0]->initValue = L"100"; }},
    {"CSharpEventOperation", L"C#", L"csharp-event-operation",
     [](Fixture& f) { f.Set(f.build.AddOperation(f.Add(L"Account"), L"Changed", L"void"), L"Type", L"event"); },
     [](Fixture& f) { f.Set(f.Named(L"Account")->operations[0], L"Type", L"operation"); }},
    {"CSharpIndexerName", L"C#", L"csharp-indexer-name",
     [](Fixture& f) {
         Attribute* items = f.build.AddAttribute(f.Add(L"Shelf"), L"Items", L"int", PublicAccess);
         f.Set(items, L"IsProperty", L"TRUE");
         f.Set(items, L"Parameters", L"int i");
     },
     [](Fixture& f) { f.Set(f.Named(L"Shelf")->attributes[0], L"PropertyName", L"this"); }},
    {"CSharpAbstractMemberOfConcreteClass", L"C#", L"csharp-abstract-member",
     [](Fixture& f) { f.Set(f.build.AddOperation(f.Add(L"Shape"), L"Draw", L"void"), L"Kind", L"abstract"); },
     [](Fixture& f) { f.Set(f.Named(L"Shape"), L"Inheritance", L"abstract"); }},
    {"CSharpCppReferenceType", L"C#", L"not-a-type",
     [](Fixture& f) {
         Class* account = f.Add(L"Account");
         f.build.AddParameter(f.build.AddOperation(account, L"Merge", L"void"), L"other", L"const Account&");
     },
     [](Fixture& f) { MapWith(f, L"cpp"); }},
    {"CSharpJavaWildcard", L"C#", L"not-a-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Registry"), L"kinds", L"System.Collections.Generic.List<?>"); },
     [](Fixture& f) { f.Named(L"Registry")->attributes[0]->type = L"System.Collections.Generic.List<object>"; }},
    {"CSharpVoidField", L"C#", L"not-a-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Account"), L"state", L"void"); },
     [](Fixture& f) { f.Named(L"Account")->attributes[0]->type = L"int"; }},
    {"CSharpRosePackagePath", L"C#", L"not-a-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Account"), L"owner", L"Logical View::java::lang::String"); },
     [](Fixture& f) { MapWith(f, L"java"); }},
    {"CSharpSqlTypeName", L"C#", L"unknown-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Loan"), L"due", L"date"); },
     [](Fixture& f) { f.Named(L"Loan")->attributes[0]->type = L"System.DateTime"; }},
    {"CSharpTypeOfNamespaceNotOpened", L"C#", L"unknown-type",
     [](Fixture& f) { f.build.AddAttribute(f.Add(L"Loan"), L"due", L"DateTime"); },
     nullptr, {L"LintUnit", L"suses", "using System;\r\n"}},
};

class LintCompilerTest : public ::testing::TestWithParam<LintCase> {
protected:
    void TearDown() override
    {
        std::error_code ignored;
        for (const fs::path& dir : m_dirs)
            fs::remove_all(dir, ignored);
    }

    // The component's file as the add-in writes it, in a new folder each time.
    fs::path Generate(ModelBuilder& build, Module* module)
    {
        TestRegistryFile();
        m_dir = fs::temp_directory_path() / ("vexlo_lint_" + std::string(GetParam().name) + "_" +
                                             std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
        m_dirs.push_back(m_dir);
        build.Prop(build.model.get(), L"Directory", m_dir.wstring());
        AutomationHost host(build.model);
        CVXDispatchRef object(host.CreateElementObject(*module));
        CVXModule::Create(CVXParentPtr(), object.Get())->Generate(CLmBSTR(build.tool.c_str()));
        fs::path file = m_dir / "Lint" / (Narrow(module->name) + (build.tool == L"C#" ? ".cs" : ".pas"));
        EXPECT_TRUE(fs::exists(file)) << file;
        return file;
    }

    // The compiler's verdict: its exit status is 0 and `output` holds what it said.
    bool Compiles(const fs::path& file, std::string& output)
    {
        int status = 0;
        fs::path out = file.parent_path() / "out";
        fs::create_directories(out);
        if (GetParam().tool == std::wstring(L"C#"))
            output = Shell("mcs -target:library -nologo -out:\"" + (out / "Lint.dll").string() + "\" \"" +
                               file.string() + "\"",
                           status);
        else
            output = Shell("fpc -Mdelphi -vew -FE\"" + out.string() + "\" \"" + file.string() + "\"", status);
        return status == 0;
    }

    static std::vector<std::wstring> RulesReported(const std::vector<VexloLint::Finding>& findings, std::string& text)
    {
        std::vector<std::wstring> rules;
        for (const VexloLint::Finding& finding : findings) {
            rules.push_back(finding.rule);
            text += Narrow(VexloLint::FindingText(finding)) + "\n";
        }
        return rules;
    }

    fs::path m_dir;
    std::vector<fs::path> m_dirs;
};

TEST_P(LintCompilerTest, CompilerRejectsWhatLintReports)
{
    const LintCase& c = GetParam();
    const bool csharp = c.tool == std::wstring(L"C#");
    int status = 0;
    Shell(csharp ? "mcs --version" : "fpc -iV", status);
    if (status != 0)
        GTEST_SKIP() << (csharp ? "mcs (mono-mcs)" : "fpc (Free Pascal)") << " is not installed; scripts/setup.sh installs it";

    ModelBuilder build(c.tool);
    Fixture f{build, build.AddSubsystem(build.components, L"Lint"), {}};
    c.model(f);
    Module* module = build.AddModule(f.package, L"LintUnit", L"", f.classes);
    f.module = module;
    if (c.includes)
        f.Set(module, L"AdditionalIncludes", c.includes);

    std::string said;
    std::vector<std::wstring> rules = RulesReported(VexloLint::LintComponents(*build.model, {module}), said);
    // The model's one fault, under its rule and no other.
    EXPECT_EQ(std::vector<std::wstring>{c.rule}, rules) << said;
    if (c.says) {
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
    fs::path file = Generate(build, module);
    std::string output;
    EXPECT_FALSE(Compiles(file, output)) << "the unlinted model's file compiles:\n" << ReadBytes(file);
    // The compiler's first complaint, for the test report (--gtest_output=xml).
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.find("rror") != std::string::npos || line.find("Fatal") != std::string::npos) {
            RecordProperty("rejected", line);
            break;
        }

    // The fix: lint says nothing more under the rule, and the file compiles.
    VexloLint::ZoneLookup zones;
    if (c.fix) {
        c.fix(f);
        file = Generate(build, module);
    } else {
        ASSERT_TRUE(FillZone(file, Narrow(c.zone.scope), Narrow(c.zone.tag), c.zone.text));
        // The zones as the file now holds them.
        zones = [&](const Module&, const std::wstring& scope, const std::wstring& tag) -> std::optional<std::string> {
            const std::string text = ReadBytes(file), head = "//## begin " + Narrow(scope) + "%";
            for (size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1)) {
                size_t preserve = text.find(" preserve=", at);
                if (text.compare(text.rfind('.', preserve) + 1, preserve - text.rfind('.', preserve) - 1, Narrow(tag)) != 0)
                    continue;
                size_t start = text.find("\r\n", preserve) + 2;
                return text.substr(start, text.find("//## end", start) - start);
            }
            return std::nullopt;
        };
    }
    said.clear();
    rules = RulesReported(VexloLint::LintComponents(*build.model, {module}, zones), said);
    EXPECT_TRUE(rules.empty()) << said;
    EXPECT_TRUE(Compiles(file, output)) << output << "\n" << ReadBytes(file);
}

INSTANTIATE_TEST_SUITE_P(Rules, LintCompilerTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LintCase>& info) { return std::string(info.param.name); });

// Types of the team's libraries, named in --known-types with or without their namespace,
// are known; without the list, lint names them.
TEST(LintKnownTypes, NameTheTeamsTypes)
{
    ModelBuilder build(L"C#");
    Class* account = build.AddClass(L"Account");
    build.AddAttribute(account, L"balance", L"Money");
    build.AddAttribute(account, L"limit", L"Company.Finance.Money");
    build.AddAttribute(account, L"owner", L"Person");
    Module* module = build.AddModule(build.AddSubsystem(build.components, L"Lint"), L"Accounts", L"", {account});
    struct Case {
        std::vector<std::wstring> known;
        size_t unknown;
    };
    for (const Case& c : {Case{{}, 3}, Case{{L"Money"}, 1}, Case{{L"Company.Finance.Money", L"Person"}, 1},
                          Case{{L"Money", L"Person"}, 0}}) {
        VexloLint::LintSettings settings;
        settings.knownTypes = c.known;
        size_t unknown = 0;
        for (const VexloLint::Finding& finding : VexloLint::LintComponents(*build.model, {module}, {}, settings))
            unknown += finding.rule == L"unknown-type";
        EXPECT_EQ(c.unknown, unknown) << c.known.size();
    }
}

} // namespace
