// How the "Delphi" tool properties steer the output: booleans, enumerations, output
// folders, virtual path symbols, and the indentation helper.
#include "DelphiTestSupport.h"

#include "VXDelphiModel.h"
#include "VXDelphiSubsystem.h"
#include "VXModel.h"
#include "VXSubsystem.h"

namespace DelphiTest {
namespace {

class PropertyTest : public GenerationTest {
protected:
    Subsystem* delphi = nullptr;
    void SetUp() override
    {
        GenerationTest::SetUp();
        delphi = build.AddSubsystem(build.components, L"Delphi");
    }

    // The generated text of a one-class unit whose class and member carry the given
    // properties.
    std::string UnitText(Module* module)
    {
        Generate(module);
        return ReadBytes(Output(L"Delphi\\" + module->name + L".pas"));
    }

    std::wstring DirectoryOf(Subsystem* subsystem)
    {
        CLmPtr<CVXDelphiSubsystem> extension(Wrap<CVXSubsystem>(subsystem)->GetExtension(CLmBSTR(L"Delphi")));
        EXPECT_TRUE(extension);
        return extension ? Text(extension->GetDirectory()) : std::wstring();
    }

    std::wstring Expand(const std::wstring& path)
    {
        CLmPtr<CVXDelphiModel> model(Wrap<CVXModel>(build.model.get())->GetExtension(CLmBSTR(L"Delphi")));
        EXPECT_TRUE(model);
        return model ? Text(model->ExpandVirtualPath(CLmBSTR(path.c_str()))) : std::wstring();
    }
};

TEST_F(PropertyTest, BooleansAreTrueOnlyForTrueInAnyLetterCase)
{
    struct Case {
        const wchar_t* value;
        bool written;
    };
    const Case cases[] = {{L"TRUE", true}, {L"true", true}, {L"True", true}, {L"tRuE", true},
                          {L"FALSE", false}, {L"", false}, {L" TRUE", false}, {L"TRUE ", false},
                          {L"yes", false}, {L"1", false}, {L"TRU\xC9", false}, {L"tru\xE9", false}};
    int index = 0;
    for (const Case& c : cases) {
        std::wstring name = L"Unit" + std::to_wstring(index++);
        Module* module = build.AddModule(delphi, name, L"unit");
        ModelBuilder::Set(module, L"GenerateCode", c.value);
        log.clear();
        Generate(module);
        EXPECT_EQ(c.written, fs::exists(Output(L"Delphi\\" + name + L".pas"))) << Narrow(c.value);
        // A component that is not generated writes no log lines either.
        EXPECT_EQ(c.written, !log.empty()) << Narrow(c.value);
    }
}

TEST_F(PropertyTest, EnumerationsAreComparedInLowerCase)
{
    struct Case {
        const wchar_t* kind;
        const wchar_t* file;
        const char* start;
    };
    const Case cases[] = {{L"PROGRAM", L"M0.dpr", "program M0;"}, {L"Package", L"M1.dpk", "package M1;"},
                          {L"uNiT", L"M2.pas", "unit M2;"},       {L"Library", L"M3.dpr", "library M3;"},
                          {L"units", L"M4", ""},                  {L" unit", L"M5", ""}};
    int index = 0;
    for (const Case& c : cases) {
        std::wstring name = L"M" + std::to_wstring(index++);
        Module* module = build.AddModule(delphi, name, c.kind);
        Generate(module);
        fs::path file = Output(std::wstring(L"Delphi\\") + c.file);
        ASSERT_TRUE(fs::exists(file)) << Narrow(c.kind);
        std::string text = ReadBytes(file);
        EXPECT_EQ(0u, text.find(c.start)) << Narrow(c.kind);
        if (!*c.start) {
            EXPECT_TRUE(text.empty()) << "an unknown kind writes an empty file";
        }
    }

    // Member and method kinds: upper-case words work, unknown words give no directive.
    Class* cls = build.AddClass(L"TKinds", L"Q-TKinds");
    const wchar_t* kinds[] = {L"VIRTUAL", L"Dynamic", L"REINTRODUCE", L"override", L"Abstract", L"common", L"static"};
    for (const wchar_t* kind : kinds)
        ModelBuilder::Set(build.AddOperation(cls, std::wstring(L"Op") + kind), L"Kind", kind);
    Operation* create = build.AddOperation(cls, L"Make");
    ModelBuilder::Set(create, L"Type", L"CONSTRUCTOR");
    Operation* statik = build.AddOperation(cls, L"Count", L"Integer");
    ModelBuilder::Set(statik, L"Type", L"Static");
    Operation* convention = build.AddOperation(cls, L"Call");
    ModelBuilder::Set(convention, L"CallingConvention", L"CDecl");
    Operation* none = build.AddOperation(cls, L"Plain");
    ModelBuilder::Set(none, L"CallingConvention", L"none");
    // A dispinterface is an interface: its members take no directives.
    Class* disp = build.AddClass(L"IDisp", L"Q-IDisp");
    ModelBuilder::Set(disp, L"Kind", L"DispInterface");
    ModelBuilder::Set(build.AddOperation(disp, L"Ping"), L"Kind", L"virtual");
    std::string text = UnitText(build.AddModule(delphi, L"KindUnit", L"unit", {cls, disp}));
    for (const char* line : {"    procedure OpVIRTUAL(); virtual;\r\n", "    procedure OpDynamic(); dynamic;\r\n",
                             "    procedure OpREINTRODUCE(); reintroduce;\r\n",
                             "    procedure Opoverride(); override;\r\n",
                             "    procedure OpAbstract(); virtual; abstract;\r\n", "    procedure Opcommon();\r\n",
                             "    procedure Opstatic();\r\n", "    constructor Make();\r\n",
                             "    class function Count(): Integer;\r\n", "    procedure Call(); cdecl;\r\n",
                             "    procedure Plain();\r\n", "    procedure Ping();\r\n"})
        EXPECT_NE(std::string::npos, text.find(line)) << line;
    EXPECT_EQ(std::string::npos, text.find("procedure TKinds.OpAbstract")) << "abstract methods have no body";
}

TEST_F(PropertyTest, DirectoryKeywordsOverNestedSubsystems)
{
    const std::wstring root = dir.wstring();
    Subsystem* autoChild = build.AddSubsystem(delphi, L"Auto");            // default "AUTO GENERATE"
    Subsystem* dotChild = build.AddSubsystem(autoChild, L"Dot");
    ModelBuilder::Set(dotChild, L"Directory", L".");
    Subsystem* lower = build.AddSubsystem(dotChild, L"Lower");
    ModelBuilder::Set(lower, L"Directory", L"auto generate");
    Subsystem* fixed = build.AddSubsystem(lower, L"Fixed");
    ModelBuilder::Set(fixed, L"Directory", L"C:\\Work\\Units");
    Subsystem* blank = build.AddSubsystem(delphi, L"Blank");
    ModelBuilder::Set(blank, L"Directory", L" AUTO GENERATE");
    Subsystem* belowFixed = build.AddSubsystem(fixed, L"Below");

    EXPECT_EQ(root, DirectoryOf(build.components)) << "the top package takes the model's folder";
    EXPECT_EQ(root + L"\\Delphi", DirectoryOf(delphi));
    EXPECT_EQ(root + L"\\Delphi\\Auto", DirectoryOf(autoChild));
    EXPECT_EQ(root + L"\\Delphi\\Auto", DirectoryOf(dotChild)) << "\".\" is the parent's folder";
    EXPECT_EQ(root + L"\\Delphi\\Auto\\Lower", DirectoryOf(lower)) << "the keyword in any letter case";
    EXPECT_EQ(L"C:\\WORK\\UNITS", DirectoryOf(fixed)) << "a folder of its own, upper-cased";
    EXPECT_EQ(L"C:\\WORK\\UNITS\\Below", DirectoryOf(belowFixed));
    EXPECT_EQ(L" AUTO GENERATE", DirectoryOf(blank)) << "a blank in front is not the keyword";

    // An empty model folder: the top package's folder is empty (its components' paths
    // start with "\"), and the packages below are relative folders.
    ModelBuilder::Set(build.model.get(), L"Directory", L"");
    EXPECT_EQ(L"", DirectoryOf(build.components));
    EXPECT_EQ(L"Delphi\\Auto", DirectoryOf(autoChild));
}

TEST_F(PropertyTest, VirtualPathSymbolsThroughTheRegistry)
{
    SetPathSymbol(L"SRC", L"C:\\Work\\Src");
    SetPathSymbol(L"GONE", L"");
    std::wstring longFolder = L"C:\\" + std::wstring(300, L'x');
    SetPathSymbol(L"LONG", longFolder);
    struct Case {
        const wchar_t* path;
        std::wstring expanded;
    };
    const Case cases[] = {
        {L"$SRC\\Units", L"C:\\Work\\Src\\Units"},
        {L"$SRC", L"C:\\Work\\Src"},
        {L"$src\\Units", L"C:\\Work\\Src\\Units"}, // registry value names ignore case
        {L"$GONE\\Units", L"\\Units"},             // an unknown symbol expands to nothing
        {L"$\\Units", L"\\Units"},                 // "$" alone
        {L"$", L""},
        {L"C:\\Plain\\Units", L"C:\\Plain\\Units"},
        {L"C:\\Money$\\Units", L"C:\\Money$\\Units"}, // only a leading "$" is a symbol
        {L"", L""},
        {L"$LONG\\U", longFolder + L"\\U"},          // a long folder is not cut
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expanded, Expand(c.path)) << Narrow(c.path);

    // The model's and the packages' folders are expanded.
    ModelBuilder::Set(build.model.get(), L"Directory", L"$SRC");
    EXPECT_EQ(L"C:\\Work\\Src\\Delphi", DirectoryOf(delphi));
    ModelBuilder::Set(delphi, L"Directory", L"$SRC\\Pkg");
    EXPECT_EQ(L"C:\\WORK\\SRC\\PKG", DirectoryOf(delphi));
}

TEST(IndentText, Cases)
{
    struct Case {
        const wchar_t* text;
        int levels;
        const wchar_t* indented;
    };
    const Case cases[] = {
        {L"a\r\nb\r\n", 1, L"  a\r\n  b\r\n"},
        {L"a", 2, L"    a"},
        {L"a\r\nb", 1, L"  a\r\n  b"},
        {L"a\r\n\r\nb", 1, L"  a\r\n  \r\n  b"},
        {L"a\nb", 1, L"  a\nb"}, // only CR LF ends a line
        {L"a\r\n", 0, L"a\r\n"},
        {L"", 1, L"  "},
        {L"a\r\n", 3, L"      a\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.indented, Text(CVXDelphiModel::IndentText(CLmBSTR(c.text), c.levels)))
            << Narrow(c.text) << " by " << c.levels;
    EXPECT_EQ(L"  ", Text(CVXDelphiModel::GetIndentation()));
}

// Attribute and role flags: each text exists only with its flag, under "GenerateCode".
TEST_F(PropertyTest, MemberFlagsSelectTheirTexts)
{
    Class* cls = build.AddClass(L"TFlags", L"Q-TFlags");
    Attribute* off = build.AddAttribute(cls, L"Off", L"Integer", PublicAccess, L"5");
    ModelBuilder::Set(off, L"GenerateCode", L"FALSE");
    ModelBuilder::Set(off, L"IsProperty", L"TRUE");
    Attribute* bare = build.AddAttribute(cls, L"Bare", L"Integer", PublicAccess);
    ModelBuilder::Set(bare, L"IsProperty", L"TRUE");
    Attribute* indexed = build.AddAttribute(cls, L"Items", L"string", ProtectedAccess);
    ModelBuilder::Set(indexed, L"GenerateDataMember", L"FALSE");
    ModelBuilder::Set(indexed, L"IsProperty", L"TRUE");
    ModelBuilder::Set(indexed, L"GenerateGetOperation", L"TRUE");
    ModelBuilder::Set(indexed, L"GenerateSetOperation", L"TRUE");
    ModelBuilder::Set(indexed, L"Parameters", L"Index: Integer");
    Operation* hidden = build.AddOperation(cls, L"Hidden");
    ModelBuilder::Set(hidden, L"GenerateCode", L"FALSE");
    std::string text = UnitText(build.AddModule(delphi, L"Flags", L"unit", {cls}));

    EXPECT_EQ(std::string::npos, text.find("Off")) << "GenerateCode FALSE leaves no trace";
    EXPECT_EQ(std::string::npos, text.find("Hidden")) << "an operation with GenerateCode FALSE is left out";
    EXPECT_NE(std::string::npos, text.find("    FBare: Integer;\r\n"));
    EXPECT_NE(std::string::npos, text.find("    property Bare: Integer;\r\n")) << "no accessors, no clauses";
    EXPECT_EQ(std::string::npos, text.find("FItems")) << "no data member";
    EXPECT_NE(std::string::npos, text.find("  protected\r\n"
                                           "  //## begin TFlags%Q-TFlags.protected preserve=yes\r\n"
                                           "  //## end TFlags%Q-TFlags.protected\r\n"
                                           "    function GetItems(Index: Integer): string;\r\n"
                                           "    procedure SetItems(Index: Integer; Value: string);\r\n"
                                           "    property Items[Index: Integer]: string read GetItems write SetItems;\r\n"));
    // Without a data member the accessor bodies are empty.
    EXPECT_NE(std::string::npos, text.find("begin\r\n"
                                           "  //## begin TFlags::GetItems%Q-TFlags-Items.getbody preserve=yes\r\n"
                                           "  //## end TFlags::GetItems%Q-TFlags-Items.getbody\r\n"
                                           "end;"));
}

// A role produces text only when it is an aggregate; a class whose "GenerateCode" is
// not true keeps only its place in the type section.
TEST_F(PropertyTest, RolesNeedTheAggregateFlagAndClassesTheirGenerateCode)
{
    Class* owner = build.AddClass(L"TOwner", L"Q-TOwner");
    Class* part = build.AddClass(L"TPart", L"Q-TPart");
    Association* link = build.Associate(L"Link", owner, L"Parts", true, part, L"Owner", false);
    ModelBuilder::Set(link->role1, L"IsProperty", L"TRUE");
    ModelBuilder::Set(link->role2, L"IsProperty", L"TRUE");
    Class* skipped = build.AddClass(L"TSkipped", L"Q-TSkipped");
    ModelBuilder::Set(skipped, L"GenerateCode", L"false");
    build.AddOperation(skipped, L"Run");
    std::string text = UnitText(build.AddModule(delphi, L"Roles", L"unit", {owner, part, skipped}));
    EXPECT_NE(std::string::npos, text.find("    FParts: TPart;\r\n"));
    EXPECT_NE(std::string::npos, text.find("    property Parts: TPart;\r\n"));
    EXPECT_EQ(std::string::npos, text.find("Owner:")) << "a role that is not an aggregate adds nothing";
    EXPECT_EQ(std::string::npos, text.find("TSkipped"));
    EXPECT_EQ(4u, log.size()) << "the skipped class is still logged";
}

} // namespace
} // namespace DelphiTest

namespace DelphiTest {
namespace {

// "DataMemberName", "GetName", "SetName" and "PropertyName" name the pieces when they
// are set; empty (their default) they leave the derived names.
TEST_F(PropertyTest, NamePropertiesOverrideTheDerivedNames)
{
    Class* cls = build.AddClass(L"TNamed", L"Q-TNamed");
    Attribute* size = build.AddAttribute(cls, L"Size", L"Integer", PublicAccess, L"3");
    for (const wchar_t* flag : {L"IsProperty", L"GenerateGetOperation", L"GenerateSetOperation"})
        ModelBuilder::Set(size, flag, L"TRUE");
    ModelBuilder::Set(size, L"DataMemberName", L"mSize");
    ModelBuilder::Set(size, L"GetName", L"ReadSize");
    ModelBuilder::Set(size, L"SetName", L"WriteSize");
    ModelBuilder::Set(size, L"PropertyName", L"Extent");
    ModelBuilder::Set(build.AddOperation(cls, L"Create"), L"Type", L"constructor");
    Attribute* plain = build.AddAttribute(cls, L"Plain", L"Integer", PublicAccess);
    ModelBuilder::Set(plain, L"IsProperty", L"TRUE");
    ModelBuilder::Set(plain, L"GenerateGetOperation", L"TRUE");
    std::string text = UnitText(build.AddModule(delphi, L"Named", L"unit", {cls}));
    for (const char* piece : {"    mSize: Integer;\r\n", "    function ReadSize(): Integer;\r\n",
                              "    procedure WriteSize(Value: Integer);\r\n",
                              "    property Extent: Integer read ReadSize write WriteSize;\r\n",
                              "function TNamed.ReadSize(): Integer;\r\n//## begin TNamed::ReadSize%",
                              "    Result:=mSize;\r\n", "    mSize:=Value;\r\n", "  mSize:=3;\r\n",
                              "    property Plain: Integer read GetPlain;\r\n", "    FPlain: Integer;\r\n"})
        EXPECT_NE(std::string::npos, text.find(piece)) << piece;
}

} // namespace
} // namespace DelphiTest
