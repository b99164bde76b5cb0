// `vexlo reverse` at its edges: what it keeps and cannot read back, the base that tells
// the model's changes from the code's, a fault at any step, a no-op on the example and
// the sample models (no byte changes), and a model in a CJK code page.
#include "ReverseExample.h"
#include "SampleModels.h"

#include <regex>

using namespace CliTest;
using ReverseTest::kCatalog;
using ReverseTest::kModel;

namespace {

class ReverseCase : public ReverseTest::ReverseExample {};

TEST_F(ReverseCase, PreviewsSayWhatIsKeptAndWhatCannotBeRead)
{
    Generate();
    const std::string model = ReadFile(m_dir / "Example.mdl");
    std::string text = ReadFile(m_dir / "out" / kCatalog);
    auto edit = [&](const std::string& from, const std::string& to) {
        ASSERT_NE(text.find(from), std::string::npos);
        text.replace(text.find(from), from.size(), to);
    };
    edit("    function Days(): Integer;\r\n", "");
    edit("    FPages: Integer;\r\n", "    FPages: Integer;\r\n    Count: Integer;\r\n    FEdition: Integer;\r\n");
    WriteFile(m_dir / "out" / kCatalog, text);
    Result check = Reverse({"--check"});
    EXPECT_EQ(check.code, 1) << check.err;
    EXPECT_TRUE(Contains(check.out, "\nadd attribute Catalog::TBook.Edition: Integer")) << check.out;
    Result r = Reverse({"--dry-run", "--diff"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "kept in the model: operation Catalog::TDateRange.Days (its declaration is gone from "
                                "out/Delphi/Catalog.pas; --prune removes it)"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "not read back: out/Delphi/Catalog.pas:")) << r.out;
    EXPECT_TRUE(Contains(r.out, "\nadd attribute Catalog::TBook.Edition: Integer")) << r.out;
    EXPECT_TRUE(Contains(r.out, "+\t\t\t    (object ClassAttribute \"Edition\"")) << r.out;
    EXPECT_EQ(ReadFile(m_dir / "Example.mdl"), model);
    EXPECT_EQ(ReadFile(m_dir / "out" / kCatalog), text);
}

// Declarations the model cannot hold: each is said with its file, line and why; reverse
// leaves them in the code and the model as they are, and the next generation saves the
// user's lines to the file's .vxlost file.
struct Unreadable {
    const char* file;
    std::string from, to;
    std::string at; // the line the message names (a part of `to`)
    std::vector<std::string> why;
};

const Unreadable kUnreadable[] = {
    {kCatalog, "    procedure Add(AItem: TItem);", "    procedure Add(const AItem: TItem; ACount: Integer = 1);",
     "procedure Add(const",
     {"the parameter AItem of Add is const: the generators write a parameter as its name and type only",
      "the parameter ACount of Add is given the default value 1: "}},
    {kCatalog, "TItemState =  (isAvailable,", "TItemState =  (isAvailable = 1,", "isAvailable = 1",
     {"the value isAvailable of the enumeration TItemState has the number 1: the Delphi generator writes the values "
      "without numbers"}},
    {kCatalog, "    FItems: TItem;", "    FItems: TFoo;", "FItems: TFoo",
     {"the field FItems of the association role Items has the type TFoo, which is not a class of the model"}},
    {kCatalog, "  //## begin TCatalog%", "  TPoint = record\r\n    X: Integer;\r\n  end;\r\n\r\n  //## begin TCatalog%",
     "TPoint = record", {"the record TPoint is a kind of type the Delphi generator does not write"}},
    {kCatalog, "    FRemarks: string;\r\n", "    FRemarks: string;\r\n  class var\r\n    FShelves: Integer;\r\n",
     "FShelves", {"the field FShelves is a class var: the Delphi generator writes every field as an instance field"}},
    {kCatalog, "\r\ninitialization", "\r\nprocedure Helper;\r\nbegin\r\nend;\r\n\r\ninitialization", "procedure Helper;",
     {"the routine Helper of the implementation section: the generator writes only the methods"}},
    {kCatalog, "    property Title: string read GetTitle write SetTitle;", "    property Title: string read GetTitle write SetTitle stored False;",
     "stored False", {"the property Title is given 'stored False': the Delphi generator writes a property's read and write only"}},
    {kModel, "      public sealed class Book ", "      public sealed partial class Book ", "partial class Book",
     {"the modifiers of Book (public sealed partial for public sealed) are the class's settings"}},
    {kModel, "        Returned,\r\n        Overdue\r\n", "        Overdue,\r\n        Returned\r\n", "        Returned\r\n",
     {"the values of the enumeration LoanStatus stand in another order than the model's attributes (Returned moved)"}},
    {kModel, "      public class Loan \r\n", "      public class Loan : LendingServer.Model.INowhere\r\n", "class Loan :",
     {"the base LendingServer.Model.INowhere of Loan is not a class of the model (add it to the model, or to the code"}},
    {kModel, "        private readonly string FIsbn;", "        [NonSerialized]\r\n        private readonly string FIsbn;",
     "[NonSerialized]", {"an attribute [NonSerialized] of a field: the C# generator writes no attributes"}},
    {kModel, "//## end Library::SetMembers%62B0A1C300C9.getbody\r\n          }\r\n          set\r\n",
     "//## end Library::SetMembers%62B0A1C300C9.getbody\r\n          }\r\n          private set\r\n", "private set",
     {"the set accessor of Members is private: the C# generator writes a property's accessors without an access"}},
    {kCatalog, "    FStartDate: TDateTime;", "    [Weak] FStartDate: TDateTime;", "[Weak]",
     {"an attribute [Weak]: the Delphi generator writes no attributes"}},
    {kModel, "        private bool FIsAvailable;", "        private static bool FIsAvailable;", "static bool",
     {"the field FIsAvailable is static: the C# generator writes fields as private, const or readonly only"}},
    {kModel, "          FIsAvailable=true;\r\n", "          FIsAvailable=true;\r\n          Init();\r\n", "Init();",
     {"the statement 'Init();' in Book::Book stands before its body zone"}},
    {kModel, "        public override string Describe()", "        public override string Describe(ref int n)",
     "Describe(ref", {"the parameter n of Describe is ref: "}},
    {kModel, "          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n",
     "          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n        public int this[int i]\r\n        {\r\n"
     "          get\r\n          {\r\n            return i;\r\n          }\r\n        }\r\n",
     "this[int i]", {"the indexer this[...] is not read back: the C# generator writes a property's index parameters"}},
};

TEST_F(ReverseCase, WhatTheModelCannotHoldIsSaidAndKeptInTheCode)
{
    Generate();
    const std::string model = ReadFile(m_dir / "Example.mdl");
    std::map<std::string, std::string> edited;
    for (const Unreadable& u : kUnreadable) {
        std::string& text = edited.try_emplace(u.file, ReadFile(m_dir / "out" / u.file)).first->second;
        ASSERT_NE(text.find(u.from), std::string::npos) << u.from;
        text.replace(text.find(u.from), u.from.size(), u.to);
    }
    for (const auto& [file, text] : edited)
        WriteFile(m_dir / "out" / file, text);
    Result r = Reverse();
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "nothing to read back")) << r.out;
    for (const Unreadable& u : kUnreadable) {
        const std::string& text = edited[u.file];
        ASSERT_NE(text.find(u.at), std::string::npos) << u.at;
        const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(text.find(u.at)), '\n');
        for (const std::string& why : u.why)
            EXPECT_TRUE(Contains(r.out, "not read back: out/" + std::string(u.file) + ":" + std::to_string(line) + ": " + why))
                << why << "\n" << r.out;
    }
    EXPECT_EQ(ReadFile(m_dir / "Example.mdl"), model);
    for (const auto& [file, text] : edited)
        EXPECT_EQ(ReadFile(m_dir / "out" / file), text) << file;
    // The next generation writes what the model gives and saves each of those lines: here
    // reverse's own, with fields typed two to a line that it reads back (and does not save).
    const std::string field = "    FPages: Integer;\r\n", member = "        private static bool FIsAvailable;\r\n";
    edited[kCatalog].insert(edited[kCatalog].find(field) + field.size(), "    FEdition, FPrinting: Integer;\r\n");
    edited[kModel].insert(edited[kModel].find(member) + member.size(), "        private int FShelf, FRow;\r\n");
    for (const auto& [file, text] : edited)
        WriteFile(m_dir / "out" / file, text);
    Result again = Reverse();
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_TRUE(Contains(again.out, "add attribute Catalog::TBook.Printing: Integer")) << again.out;
    EXPECT_TRUE(Contains(again.out, "add attribute LendingServer::Model::Book.Row: int")) << again.out;
    for (const Unreadable& u : kUnreadable) {
        const std::string& text = edited[u.file];
        const size_t begin = text.rfind('\n', text.find(u.at)) + 1;
        std::string line = text.substr(begin, text.find('\r', begin) - begin);
        EXPECT_TRUE(Contains(ReadFile(m_dir / "out" / (std::string(u.file) + ".vxlost")), line)) << line;
    }
    for (const char* line : {"FEdition, FPrinting: Integer;", "private int FShelf, FRow;"})
        for (const char* file : {kCatalog, kModel})
            EXPECT_FALSE(Contains(ReadFile(m_dir / "out" / (std::string(file) + ".vxlost")), line)) << line;
}

// A role's end moved to another class: in the diagram that shows that class the role's
// line ends at its box; the diagram without one no longer shows the association.
TEST_F(ReverseCase, AMovedRoleEndIsDrawnToItsNewClass)
{
    Generate();
    std::string code = ReadFile(m_dir / "out" / kCatalog);
    const std::string from = "    FItems: TItem;";
    code.replace(code.find(from), from.size(), "    FItems: TBook;");
    WriteFile(m_dir / "out" / kCatalog, code);
    // The views of the role at the items' end (quidu of the role "$UNNAMED$0").
    auto roleViews = [](const std::string& model) {
        std::vector<std::string> suppliers;
        const std::regex view("quidu\\s+\"62B0A1C3006D\"\\s+client\\s+@[0-9]+\\s+supplier\\s+(@[0-9]+)");
        for (auto it = std::sregex_iterator(model.begin(), model.end(), view); it != std::sregex_iterator(); ++it)
            suppliers.push_back((*it)[1]);
        return suppliers;
    };
    ASSERT_EQ(roleViews(ReadFile(m_dir / "Example.mdl")).size(), 2u);
    Result r = Reverse();
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string model = ReadFile(m_dir / "Example.mdl");
    const std::vector<std::string> views = roleViews(model);
    ASSERT_EQ(views.size(), 1u) << model;
    EXPECT_TRUE(Contains(model, "(object ClassView \"Class\" \"Logical View::Catalog::TBook\" " + views[0] + "\n"));
    Result diagrams = Run({"diagram", "Example.mdl", "--out", "report"});
    EXPECT_EQ(diagrams.code, 0) << diagrams.err;
    EXPECT_FALSE(Contains(diagrams.err, "warning")) << diagrams.err;
}

// With the base the last run left, a change of the model since is told from one of the
// code: the model's stays, the code's is added, one element changed differently by both
// refuses the run; without the base the code is compared with what the model generates now.
TEST_F(ReverseCase, TheBaseTellsTheModelsChangesFromTheCodes)
{
    Generate();
    std::string code = ReadFile(m_dir / "out" / kCatalog);
    auto edit = [](std::string& text, const std::string& from, const std::string& to) {
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
    };
    edit(code, "    FEndDate: TDateTime;", "    FEndDate: TDate;");
    edit(code, "    FPages: Integer;\r\n", "    FPages: Integer;\r\n    FEdition: Integer;\r\n");
    WriteFile(m_dir / "out" / kCatalog, code);
    std::string model = ReadFile(m_dir / "Example.mdl");
    edit(model, "(object ClassAttribute \"StartDate\"", "(object ClassAttribute \"FirstDay\"");
    const size_t endDate = model.find("(object ClassAttribute \"EndDate\"");
    model.replace(model.find("\"TDateTime\"", endDate), 11, "\"TDateStamp\"");
    WriteFile(m_dir / "Example.mdl", model);

    Result conflict = Reverse();
    EXPECT_EQ(conflict.code, 5);
    EXPECT_TRUE(Contains(conflict.err, "conflict: out/Delphi/Catalog.pas:50: change type of attribute "
                                       "Catalog::TDateRange.EndDate to TDate; Example.mdl:"))
        << conflict.err;
    EXPECT_EQ(ReadFile(m_dir / "Example.mdl"), model);

    model.replace(model.find("\"TDateStamp\""), 12, "\"TDate\"");
    WriteFile(m_dir / "Example.mdl", model);
    Result r = Reverse();
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_FALSE(Contains(r.out, "no base of the last run")) << r.out;
    EXPECT_TRUE(Contains(r.out, "add attribute Catalog::TBook.Edition: Integer")) << r.out;
    EXPECT_FALSE(Contains(r.out, "EndDate")) << r.out;
    const std::string written = ReadFile(m_dir / "Example.mdl");
    EXPECT_TRUE(Contains(written, "(object ClassAttribute \"FirstDay\"")) << "the model's rename was undone";
    EXPECT_FALSE(Contains(written, "(object ClassAttribute \"StartDate\""));
    EXPECT_EQ(Run({"generate", "Example.mdl", "--out", "out", "--check"}).code, 0);

    fs::remove_all(m_dir / "out" / ".vexlo");
    Result noBase = Reverse({"--dry-run"});
    EXPECT_TRUE(Contains(noBase.out, "no base of the last run for out/Delphi/Catalog.pas")) << noBase.out;
}

// Killed, asked to stop, or out of disk space, at any change a reverse makes to the file
// system: the model and each code file are as they were or as a whole run leaves them,
// and the next run finishes the loop. Every change in scripts/fault-sweep.sh
// (VEXLO_SWEEP_ALL=1); here a sample spread over the model's commit and the code's.
TEST_F(ReverseCase, AFaultAtAnyStepLeavesEachFileAsBeforeOrAsAfter)
{
    Generate();
    std::string code = ReadFile(m_dir / "out" / kCatalog);
    const std::string from = "    FPages: Integer;\r\n";
    code.replace(code.find(from), from.size(), from + "    FEdition: Integer;\r\n");
    WriteFile(m_dir / "out" / kCatalog, code);
    const std::string model = ReadFile(m_dir / "Example.mdl");
    fs::copy(m_dir / "out" / ".vexlo", m_dir / "base", fs::copy_options::recursive);
    auto restore = [&] {
        WriteFile(m_dir / "Example.mdl", model);
        WriteFile(m_dir / "out" / kCatalog, code);
        fs::remove_all(m_dir / "out" / ".vexlo");
        fs::copy(m_dir / "base", m_dir / "out" / ".vexlo", fs::copy_options::recursive);
    };
    Result probe = Run({"reverse", "Example.mdl", "--out", "out"}, ".", "VEXLO_FAULT=count");
    ASSERT_EQ(probe.code, 0) << probe.err;
    const std::string modelAfter = ReadFile(m_dir / "Example.mdl"), codeAfter = ReadFile(m_dir / "out" / kCatalog);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(probe.err, m, std::regex("([0-9]+) changes to the file system"))) << probe.err;
    const int changes = std::stoi(m[1]);
    // A new element's id is made of the time: equal up to the ids.
    auto ids = [](const std::string& text) {
        return std::regex_replace(text, std::regex("\"[0-9A-F]{12}\""), "\"ID\"");
    };
    const bool all = std::getenv("VEXLO_SWEEP_ALL") != nullptr;
    int finished = 0; // faults after which the next runs were checked
    const int stride = all ? 1 : std::max(1, changes / 6);
    for (const std::string kind : {"kill", "term", "full"}) {
        // kill: every stride-th change; term and full: every fourth of those, shifted.
        const int step = all || kind == "kill" ? stride : 4 * stride;
        for (int n = kind == "kill" ? 1 : kind == "term" ? stride / 3 + 1 : stride / 2 + 1; n <= changes; n += step) {
            SCOPED_TRACE(kind + " at change " + std::to_string(n) + " of " + std::to_string(changes));
            restore();
            Result faulted = Run({"reverse", "Example.mdl", "--out", "out"}, ".",
                                 "VEXLO_FAULT=" + std::to_string(n) + ":" + kind);
            const std::string modelNow = ids(ReadFile(m_dir / "Example.mdl")), codeNow = ReadFile(m_dir / "out" / kCatalog);
            EXPECT_TRUE(modelNow == ids(model) || modelNow == ids(modelAfter)) << faulted.err;
            EXPECT_TRUE(codeNow == code || codeNow == codeAfter) << faulted.err;
            // The next reverse, then generate, finish the loop: the model and the code as after.
            // (In CI where a fault left a journal or the model's commit alone.)
            const bool between = modelNow == ids(modelAfter) && codeNow == code;
            if (!all && !between && !fs::exists(m_dir / "out" / ".vexlo" / "journal"))
                continue;
            ++finished;
            Result again = Reverse();
            EXPECT_EQ(again.code, 0) << again.err;
            EXPECT_EQ(Run({"generate", "Example.mdl", "--out", "out"}).code, 0);
            EXPECT_EQ(ids(ReadFile(m_dir / "Example.mdl")), ids(modelAfter)) << faulted.err << again.out << again.err;
            EXPECT_EQ(ReadFile(m_dir / "out" / kCatalog), codeAfter) << faulted.err << again.out << again.err;
        }
    }
    EXPECT_GT(finished, 0) << "no fault fell into a commit or between the two";
}

// Generated once, reversed at once: nothing to read back, the model byte for byte.
TEST_F(ReverseCase, ANoOpChangesNothing)
{
    struct Case {
        std::string model;
        std::vector<std::string> options;
    };
    std::vector<Case> cases = {{EXAMPLE_MODEL, {}}};
    if (SampleFolder::Present())
        for (const char* m : {"atm.mdl", "library-gbk.mdl", "umldemo.mdl"})
            cases.push_back({SampleFolder::Dir() + "/" + m, {"--language", "Delphi"}});
    else
        std::cout << SampleFolder::MissingNote() << "\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const fs::path copy = m_dir / fs::path(c.model).filename();
        fs::copy_file(c.model, copy, fs::copy_options::overwrite_existing);
        std::vector<std::string> args = {"generate", copy.filename().string(), "--out", "out"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args).code, 0);
        args[0] = "reverse";
        Result r = Run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "nothing to read back")) << r.out;
        EXPECT_FALSE(Contains(r.out, "not read back")) << r.out;
        EXPECT_EQ(ReadFile(copy), ReadFile(c.model));
        fs::remove_all(m_dir / "out");
    }
}

// Classes whose model names are no identifiers are written with those names, which no
// reader takes for a type: a member typed into one is said with the class's line and
// kept (in the code now, in the .vxlost file after the next generation).
TEST_F(ReverseCase, ClassesWhoseNamesAreNoIdentifiersAreSaid)
{
    if (!SampleFolder::Present())
        GTEST_SKIP() << SampleFolder::MissingNote();
    struct Row {
        const char* language;
        const char* file;
        std::string declared;  // the start of the class's line, as the file holds it
        std::string after;     // the member goes after the first such line below it
        std::string member;
        std::string said;      // the class's name and language in the message (UTF-8)
    };
    const std::string gbk = std::string("\xD7\xA1\xBB\xA7") + "-" + "\xD4\xA4\xD6\xA7\xB8\xB6\xB9\xA4\xB5\xA5";
    const std::string utf8 = std::string("\xE4\xBD\x8F\xE6\x88\xB7") + "-" +
                             "\xE9\xA2\x84\xE6\x94\xAF\xE4\xBB\x98\xE5\xB7\xA5\xE5\x8D\x95";
    const Row rows[] = {
        {"Delphi", "Process_View.pas", "<Process Name> = class", "  private\r\n", "    FCount: Integer;\r\n",
         "the class <Process Name>: its name is no Delphi identifier"},
        {"Delphi", "____.pas", "  " + gbk + " = class", "  private\r\n", "    FCount: Integer;\r\n",
         "the class " + utf8 + ": its name is no Delphi identifier"},
        {"C#", "Process_View.cs", "  public class <Process Name>", "    //private\r\n", "    private int FCount;\r\n",
         "the class <Process Name>: its name is no C# identifier"},
    };
    fs::copy_file(SampleFolder::Dir() + "/umldemo.mdl", m_dir / "umldemo.mdl");
    const std::string model = ReadFile(m_dir / "umldemo.mdl");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::vector<std::string> args = {"generate", "umldemo.mdl", "--language", row.language, "--out", "out"};
        ASSERT_EQ(Run(args).code, 0);
        const fs::path file = m_dir / "out" / row.file;
        std::string text = ReadFile(file);
        const size_t at = text.find("\n" + row.declared) + 1;
        ASSERT_NE(at, 0u) << row.declared;
        const size_t where = text.find(row.after, at);
        ASSERT_NE(where, std::string::npos);
        WriteFile(file, text.insert(where + row.after.size(), row.member));
        std::vector<std::string> reverse = args;
        reverse[0] = "reverse";
        Result r = Run(reverse);
        ASSERT_EQ(r.code, 0) << r.err;
        const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
        EXPECT_TRUE(Contains(r.out, "not read back: out/" + std::string(row.file) + ":" + std::to_string(line) + ": " +
                                        row.said))
            << r.out;
        EXPECT_EQ(ReadFile(m_dir / "umldemo.mdl"), model);
        EXPECT_EQ(ReadFile(file), text);
        ASSERT_EQ(Run(args).code, 0);
        EXPECT_TRUE(Contains(ReadFile(file.string() + ".vxlost"), row.member));
        fs::remove_all(m_dir / "out");
    }
}

// A model in a CJK code page: names of the model and of the code meet in that code page,
// so a field typed with a Chinese name is read back under its package's Chinese names,
// and the model file gets the name in its own bytes.
TEST_F(ReverseCase, NamesInTheModelsCodePageAreReadBack)
{
    if (!SampleFolder::Present())
        GTEST_SKIP() << SampleFolder::MissingNote();
    const fs::path copy = m_dir / "library-gbk.mdl";
    fs::copy_file(SampleFolder::Dir() + "/library-gbk.mdl", copy);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    const std::vector<std::string> args = {"generate", "library-gbk.mdl", "--language", "Delphi", "--out", "out"};
    ASSERT_EQ(Run(args).code, 0);
    // "图书.pas", "书名", "数据访问层::图书包" in GBK and in UTF-8.
    const fs::path unit = m_dir / "out" / "\xE5\x9B\xBE\xE4\xB9\xA6.pas";
    const std::string marker = "  //## begin Book%423FC23C0280.private preserve=yes";
    std::string text = ReadFile(unit);
    ASSERT_NE(text.find(marker), std::string::npos);
    WriteFile(unit, text.insert(text.find(marker), "    F\xCA\xE9\xC3\xFB: string;\r\n"));
    std::vector<std::string> reverse = args;
    reverse[0] = "reverse";
    Result r = Run(reverse);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "add attribute \xE6\x95\xB0\xE6\x8D\xAE\xE8\xAE\xBF\xE9\x97\xAE\xE5\xB1\x82::"
                                "\xE5\x9B\xBE\xE4\xB9\xA6\xE5\x8C\x85::Book.\xE4\xB9\xA6\xE5\x90\x8D: string "
                                "(out/\xE5\x9B\xBE\xE4\xB9\xA6.pas:"))
        << r.out;
    EXPECT_TRUE(Contains(ReadFile(copy), "(object ClassAttribute \"\xCA\xE9\xC3\xFB\""));
    std::vector<std::string> check = args;
    check.push_back("--check");
    EXPECT_EQ(Run(check).code, 0);
}

// A checkout in UTF-8 (the C# files of a model whose code page is GBK carry a byte-order
// mark): its names are read in the model's code page too.
TEST_F(ReverseCase, NamesOfAUtf8CheckoutAreReadBack)
{
    if (!SampleFolder::Present())
        GTEST_SKIP() << SampleFolder::MissingNote();
    fs::copy_file(SampleFolder::Dir() + "/umldemo.mdl", m_dir / "umldemo.mdl");
    fs::permissions(m_dir / "umldemo.mdl", fs::perms::owner_write, fs::perm_options::add);
    const std::vector<std::string> args = {"generate", "umldemo.mdl", "--language", "C#", "--out", "out"};
    ASSERT_EQ(Run(args).code, 0);
    const fs::path file = m_dir / "out" / "Actors.cs";
    std::string text = ReadFile(file);
    ASSERT_TRUE(text.starts_with("\xEF\xBB\xBF"));
    const std::string section = "    //private\r\n";
    ASSERT_NE(text.find(section), std::string::npos);
    WriteFile(file, text.insert(text.find(section) + section.size(), "    private int FAudit;\r\n"));
    std::vector<std::string> reverse = args;
    reverse[0] = "reverse";
    Result r = Run(reverse);
    ASSERT_EQ(r.code, 0) << r.err;
    // "住户", the class, in UTF-8.
    EXPECT_TRUE(Contains(r.out, "add attribute Use Case View::Use-Case Model::Actors::\xE4\xBD\x8F\xE6\x88\xB7.Audit: int"))
        << r.out;
    std::vector<std::string> check = args;
    check.push_back("--check");
    EXPECT_EQ(Run(check).code, 0);
}

} // namespace
