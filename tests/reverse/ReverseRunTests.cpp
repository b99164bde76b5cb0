// `vexlo reverse` end to end, as a user runs it: generate the example, edit the code,
// reverse, and then `generate --check` is up to date and the file is the edited one up
// to the documented normalisations (the generator's order, zone markers around new
// bodies).
#include "CliTestSupport.h"
#include "ExampleCompile.h"
#include "ReverseExample.h"
#include "ReverseTestSupport.h"
#include "SampleModels.h"

#include <algorithm>
#include <regex>

using namespace CliTest;
using ReverseTest::Normalised;

namespace {

struct Replace {
    std::string from, to;
    const char* file = nullptr; // another file of the run (below out/); none: the row's
};

struct EditRow {
    const char* what;
    const char* file; // below out/
    std::vector<Replace> edits;
    std::vector<std::string> changes; // the changes the run prints, as --dry-run does (each a part of one line)
    std::vector<std::string> flags = {}; // more options of reverse
    // The generator adds lines of its own beyond the normalisations (a namespace block
    // around a new C# class): every line of the edited file is there, and more.
    bool addsLines = false;
    // Lines of `vexlo show --members` the reverse brings (a leading "!": that it takes away).
    std::vector<std::string> shown = {};
};

using ReverseTest::kCatalog;
using ReverseTest::kModel;

const EditRow kRows[] = {
    {"field added", kCatalog,
     {{"    FPages: Integer;\r\n", "    FPages: Integer;\r\n    FEdition: Integer;\r\n"}},
     {"add attribute Catalog::TBook.Edition: Integer (out/Delphi/Catalog.pas:"},
     {},
     false,
     {"attribute Edition: Integer (private)"}},
    {"field renamed and retyped", kCatalog,
     {{"    FEndDate: TDateTime;", "    FLastDay: TDate;"}},
     {"rename attribute Catalog::TDateRange.EndDate to LastDay", "change type of attribute Catalog::TDateRange.EndDate to TDate"},
     {},
     false,
     {"attribute LastDay: TDate (public)", "!attribute EndDate: TDateTime (public)"}},
    {"method added with a var section and a body", kCatalog,
     {{"    function LoanDays(): Integer; override;\r\n",
       "    function LoanDays(): Integer; override;\r\n    function Summary(AWidth: Integer): string;\r\n"},
      {"  //## end TBook::LoanDays%62B0A1C30059.body\r\nend;\r\n",
       "  //## end TBook::LoanDays%62B0A1C30059.body\r\nend;\r\n\r\nfunction TBook.Summary(AWidth: Integer): string;\r\n"
       "var\r\n  S: string;\r\nbegin\r\n  S := Title;\r\n  Result := Copy(S, 1, AWidth);\r\nend;\r\n"}},
     {"add operation Catalog::TBook.Summary(AWidth: Integer): string (out/Delphi/Catalog.pas:"},
     {},
     false,
     {"operation Summary(AWidth: Integer): string (public)"}},
    {"parameters and result changed", kCatalog,
     {{"    function Contains(ADate: TDateTime): Boolean;", "    function Contains(ADay: TDate;AStrict: Boolean): Integer;"},
      {"function TDateRange.Contains(ADate: TDateTime): Boolean;", "function TDateRange.Contains(ADay: TDate;AStrict: Boolean): Integer;"}},
     {"change type of operation Catalog::TDateRange.Contains to Integer",
      "change parameters of operation Catalog::TDateRange.Contains to (ADay: TDate; AStrict: Boolean)"},
     {},
     false,
     {"operation Contains(ADay: TDate; AStrict: Boolean): Integer (public)"}},
    {"method renamed (its zones keep the id)", kCatalog,
     {{"    function Days(): Integer;", "    function DayCount(): Integer;"},
      {"function TDateRange.Days(): Integer;", "function TDateRange.DayCount(): Integer;"}},
     {"rename operation Catalog::TDateRange.Days to DayCount"},
     {},
     false,
     {"operation DayCount(): Integer (public)", "!operation Days(): Integer (public)"}},
    {"procedure made protected and documented", kCatalog,
     {{"  protected\r\n  //## begin TDateRange%62B0A1C30018.protected preserve=yes\r\n  //## end TDateRange%62B0A1C30018.protected\r\n",
       "  protected\r\n  //## begin TDateRange%62B0A1C30018.protected preserve=yes\r\n  //## end TDateRange%62B0A1C30018.protected\r\n"
       "    {How many days.}\r\n    function Days(): Integer;\r\n"},
      {"  //## end TDateRange%62B0A1C30018.public\r\n    function Days(): Integer;\r\n",
       "  //## end TDateRange%62B0A1C30018.public\r\n"},
      {"function TDateRange.Days(): Integer;", "{How many days.}\r\nfunction TDateRange.Days(): Integer;"}},
     {"change visibility of operation Catalog::TDateRange.Days to protected",
      "change documentation of operation Catalog::TDateRange.Days"},
     {},
     false,
     {"operation Days(): Integer (protected)"}},
    {"directives changed", kCatalog,
     {{"    function Days(): Integer;", "    function Days(): Integer; overload; virtual;"}},
     {"change directives of operation Catalog::TDateRange.Days to virtual, overload"},
     {},
     false,
     {"operation Days(): Integer (public, Kind=virtual, IsOverload=TRUE)"}},
    {"class added with a superclass, a field and methods with bodies", kCatalog,
     {{"  //## begin TCatalog%", "  TJournal = class (TItem)\r\n  private\r\n    FIssue: Integer;\r\n  public\r\n"
                               "    function Describe(): string; override;\r\n    class function Count(): Integer;\r\n"
                               "  end;\r\n\r\n  //## begin TCatalog%"},
      {"\r\ninitialization", "\r\nfunction TJournal.Describe(): string;\r\nbegin\r\n  Result := 'journal';\r\nend;\r\n\r\n"
                   "class function TJournal.Count(): Integer;\r\nbegin\r\n  Result := 0;\r\nend;\r\n\r\ninitialization"}},
     {"add class Catalog::TJournal (superclass TItem; in no diagram) (out/Delphi/Catalog.pas:"},
     {},
     false,
     {"class TJournal [Delphi] -> Delphi::Catalog", "attribute Issue: Integer (private)"}},
    {"classes added whose bases are added too: a chain, an interface, a class of another unit", kCatalog,
     {{"  //## begin TCatalog%", "  TJournal = class (TPeriodical,IShelved)\r\n  private\r\n    FIssue: Integer;\r\n  end;\r\n\r\n"
                               "  IShelved = interface \r\n  end;\r\n\r\n  TPeriodical = class (TItem)\r\n  end;\r\n\r\n"
                               "  //## begin TCatalog%"},
      {"  //## begin TMember%", "  TDaily = class (TJournal)\r\n  end;\r\n\r\n  //## begin TMember%", "Delphi/Members.pas"}},
     {"add class Catalog::TJournal (superclass TPeriodical, IShelved; in no diagram)",
      "add class Catalog::TPeriodical (superclass TItem; in no diagram)", "add class Members::TDaily (superclass TJournal;"},
     {},
     false,
     {"class TJournal [Delphi] -> Delphi::Catalog", "class TDaily [Delphi] -> Delphi::Members"}},
    {"a class of the model given a base the same run adds", kCatalog,
     {{"TCatalog = class \r\n", "TCatalog = class (TRegistry)\r\n"},
      {"  //## begin TCatalog%", "  TRegistry = class \r\n  private\r\n    FSize: Integer;\r\n  end;\r\n\r\n"
                               "  //## begin TCatalog%"}},
     {"add class Catalog::TRegistry (in no diagram)", "add superclass TRegistry to class Catalog::TCatalog"},
     {},
     false,
     {"class TRegistry [Delphi] -> Delphi::Catalog"}},
    {"properties: one for an attribute's field, one new, their read methods with bodies", kCatalog,
     {{"    function Contains(ADate: TDateTime): Boolean;\r\n",
       "    function Contains(ADate: TDateTime): Boolean;\r\n    function GetStartDate(): TDateTime;\r\n"
       "    property StartDate: TDateTime read GetStartDate;\r\n"},
      {"    function LoanDays(): Integer; override;\r\n",
       "    function LoanDays(): Integer; override;\r\n    function GetShelf(): string;\r\n"
       "    property Shelf: string read GetShelf;\r\n"},
      {"\r\ninitialization", "\r\nfunction TDateRange.GetStartDate(): TDateTime;\r\nbegin\r\n  Result := FStartDate + 0;\r\n"
                            "end;\r\n\r\nfunction TBook.GetShelf(): string;\r\nbegin\r\n  Result := 'A1';\r\nend;\r\n\r\n"
                            "initialization"}},
     {"make attribute Catalog::TDateRange.StartDate a property (read)",
      "add attribute Catalog::TBook.Shelf: string (a property, read, no field)"},
     {},
     false,
     {"attribute StartDate: TDateTime (public, IsProperty=TRUE, GenerateGetOperation=TRUE)",
      "attribute Shelf: string (public, GenerateDataMember=FALSE, IsProperty=TRUE, GenerateGetOperation=TRUE)"}},
    {"C#: property added with a get body", kModel,
     {{"          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n",
       "          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n        public int Shelf \r\n        {\r\n"
       "          get\r\n          {\r\n            return 3;\r\n          }\r\n        }\r\n"}},
     {"add attribute LendingServer::Model::Book.Shelf: int (a property, read, no field)"},
     {},
     false,
     {"attribute Shelf: int (public, IsProperty=TRUE, GenerateDataMember=FALSE, GenerateSetOperation=FALSE)"}},
    {"C#: field added", kModel,
     {{"        private bool FIsAvailable;\r\n", "        private bool FIsAvailable;\r\n        private int FShelf;\r\n"}},
     {"add attribute LendingServer::Model::Book.Shelf: int (out/CSharp/LendingModel.cs:"},
     {},
     false,
     {"attribute Shelf: int (private)"}},
    {"C#: a const field added with its value, a readonly field made plain", kModel,
     {{"        private bool FIsAvailable;\r\n", "        private bool FIsAvailable;\r\n        private const int FShelf=3;\r\n"},
      {"        private readonly string FIsbn;", "        private string FIsbn;"}},
     {"add attribute LendingServer::Model::Book.Shelf: int", "make attribute LendingServer::Model::Book.Isbn neither const nor readonly"},
     {},
     false,
     {"attribute Shelf: int = 3 (private, Const=TRUE)", "attribute Isbn: string (private)"}},
    {"C#: method added with a body, parameters changed", kModel,
     {{"          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n",
       "          //## end Book::Lend%62B0A1C300A4.body\r\n        }\r\n        public int Count(int from,int to)\r\n"
       "        {\r\n          return to - from;\r\n        }\r\n"},
      {"        public override string Describe()", "        public override string Describe(bool full)"}},
     {"add operation LendingServer::Model::Book.Count(int from, int to): int",
      "change parameters of operation LendingServer::Model::Book.Describe to (bool full)"},
     {},
     false,
     {"operation Count(from: int; to: int): int (public)", "operation Describe(full: bool): string (public, Kind=override)"}},
    {"C#: class added with a base, a field and a method", kModel,
     {{"      /// <summary>\r\n      /// A book of the library.",
       "      public class Journal : LendingServer.Model.Entity\r\n      {\r\n        private int FIssue;\r\n"
       "        public int Next(int step)\r\n        {\r\n          return FIssue + step;\r\n        }\r\n      }\r\n"
       "      /// <summary>\r\n      /// A book of the library."}},
     {"add class LendingServer::Model::Journal (superclass LendingServer.Model.Entity; in no diagram)"},
     {},
     true,
     {"class Journal [C#] -> CSharp::LendingModel", "operation Next(step: int): int (public)"}},
    {"C#: classes added whose bases are added too: a chain, an interface, a class of another file", kModel,
     {{"      /// <summary>\r\n      /// A book of the library.",
       "      public class Journal : LendingServer.Model.Periodical,LendingServer.Model.IShelved\r\n      {\r\n"
       "        private int FIssue;\r\n      }\r\n      public interface IShelved \r\n      {\r\n      }\r\n"
       "      public class Periodical : LendingServer.Model.Entity\r\n      {\r\n      }\r\n"
       "      /// <summary>\r\n      /// A book of the library."},
      {"      internal class ReminderJob ",
       "      public class Daily : LendingServer.Model.Journal\r\n      {\r\n      }\r\n      internal class ReminderJob ",
       "CSharp/LendingServices.cs"}},
     {"add class LendingServer::Model::Journal (superclass LendingServer.Model.Periodical, LendingServer.Model.IShelved;",
      "add class LendingServer::Model::IShelved (interface; in no diagram)",
      "add class LendingServer::Internal::Services::Daily (superclass LendingServer.Model.Journal;"},
     {},
     true,
     {"class Journal [C#] -> CSharp::LendingModel", "class Daily [C#] -> CSharp::Services::LendingServices"}},
    {"C#: classes of the model, in two files, given an interface the same run adds", kModel,
     {{"      public class Loan \r\n", "      public class Loan : LendingServer.Model.IDated\r\n"},
      {"      /// <summary>\r\n      /// A book of the library.",
       "      public interface IDated \r\n      {\r\n      }\r\n      /// <summary>\r\n      /// A book of the library."},
      {"      public class LendingService \r\n", "      public class LendingService : LendingServer.Model.IDated\r\n",
       "CSharp/LendingServices.cs"}},
     {"add class LendingServer::Model::IDated (interface; in no diagram)",
      "add superclass LendingServer.Model.IDated to class LendingServer::Model::Loan",
      "::LendingService (out/CSharp/LendingServices.cs:"},
     {},
     true,
     {"class IDated [C#] -> CSharp::LendingModel"}},
    {"enumeration: values added where typed, one renamed; an enumeration added", kCatalog,
     {{"TItemState =  (isAvailable,isOnLoan,isReserved,isLost);",
       "TItemState =  (isNew,isAvailable,isOnLoan,isInRepair,isReserved,isGone);"},
      {"  //## begin TCatalog%", "  TShade =  (Light,Dark);\r\n\r\n  //## begin TCatalog%"}},
     {"add value Catalog::TItemState.isNew (first)", "add value Catalog::TItemState.isInRepair (after isOnLoan)",
      "rename value Catalog::TItemState.isLost to isGone", "add class Catalog::TShade (enum; in no diagram)"}},
    {"initial values changed and taken away in a constructor", kCatalog,
     {{"  FInventoryNo:=0;\r\n  FState:=isAvailable;\r\n", "  FInventoryNo:=100;\r\n"}},
     {"change initial value of attribute Catalog::TItem.InventoryNo to 100 (out/Delphi/Catalog.pas:",
      "change initial value of attribute Catalog::TItem.State to none"}},
    {"index parameters given to a property, its accessors made dynamic", kCatalog,
     {{"    function GetTitle(): string; virtual;", "    function GetTitle(const I: Integer): string; dynamic;"},
      {"    procedure SetTitle(Value: string); virtual;", "    procedure SetTitle(const I: Integer; Value: string); dynamic;"},
      {"    property Title: string read", "    property Title[const I: Integer]: string read"},
      {"function TItem.GetTitle(): string;", "function TItem.GetTitle(const I: Integer): string;"},
      {"procedure TItem.SetTitle(Value: string);", "procedure TItem.SetTitle(const I: Integer; Value: string);"}},
     {"make attribute Catalog::TItem.Title a property (read and write, index const I: Integer)",
      "change kind of attribute Catalog::TItem.Title to dynamic (out/Delphi/Catalog.pas:"}},
    {"the field of a role given another class of the model", kCatalog,
     {{"    FItems: TItem;", "    FItems: TBook;"},
      {"    function GetItems(Index: Integer): TItem;", "    function GetItems(Index: Integer): TBook;"},
      {"    procedure SetItems(Index: Integer; Value: TItem);", "    procedure SetItems(Index: Integer; Value: TBook);"},
      {"    property Items[Index: Integer]: TItem read", "    property Items[Index: Integer]: TBook read"},
      {"function TCatalog.GetItems(Index: Integer): TItem;", "function TCatalog.GetItems(Index: Integer): TBook;"},
      {"procedure TCatalog.SetItems(Index: Integer; Value: TItem);", "procedure TCatalog.SetItems(Index: Integer; Value: TBook);"}},
     {"move the other end of role Catalog::TCatalog.Items to class Catalog::TBook (out/Delphi/Catalog.pas:"}},
    {"C#: enumeration values numbered, added, renamed; a struct and an enumeration added", kModel,
     {{"        Open,\r\n        Returned,\r\n", "        Open = 1,\r\n        Lost = 7,\r\n        Back = 9,\r\n"},
      {"      //## begin LoanStatus%62B0A1C30028.preface",
       "      public struct Point \r\n      {\r\n        private int FX;\r\n      }\r\n"
       "      public enum Shade \r\n      {\r\n        Light,\r\n        Dark = 4\r\n      }\r\n"
       "      //## begin LoanStatus%62B0A1C30028.preface"}},
     {"change number of value LendingServer::Model::LoanStatus.Open to 1",
      "rename value LendingServer::Model::LoanStatus.Returned to Lost",
      "change number of value LendingServer::Model::LoanStatus.Returned to 7",
      "add value LendingServer::Model::LoanStatus.Back (number 9, after Lost)",
      "add class LendingServer::Model::Point (struct; in no diagram)", "add class LendingServer::Model::Shade (enum; in no diagram)"},
     {},
     true},
    {"C#: a constructor's initial value changed, the field of a role given another class, the class made a struct, "
     "a property made static", kModel,
     {{"          FStatus=LoanStatus.Open;", "          FStatus=LoanStatus.Overdue;"},
      {"        public LoanStatus Status ", "        public static LoanStatus Status "},
      {"      public class Loan ", "      public struct Loan "},
      {"        private Book FBook;", "        private Member FBook;"},
      {"        public virtual Book Book ", "        public virtual Member Book "}},
     {"change initial value of attribute LendingServer::Model::Loan.Status to LoanStatus.Overdue",
      "move the other end of role LendingServer::Model::Loan.Book to class LendingServer::Model::Member",
      "change kind of class LendingServer::Model::Loan to struct",
      "change kind of attribute LendingServer::Model::Loan.Status to static (out/CSharp/LendingModel.cs:"}},
    {"method removed, with --prune", kCatalog,
     {{"    function Days(): Integer;\r\n", ""},
      {"function TDateRange.Days(): Integer;\r\n//## begin TDateRange::Days%62B0A1C30042.var preserve=yes\r\n"
       "//## end TDateRange::Days%62B0A1C30042.var\r\nbegin\r\n"
       "  //## begin TDateRange::Days%62B0A1C30042.body preserve=yes\r\n"
       "  //## end TDateRange::Days%62B0A1C30042.body\r\nend;\r\n\r\n", ""}},
     {"remove operation Catalog::TDateRange.Days"},
     {"--prune"},
     false,
     {"!operation Days(): Integer (public)"}},
};

// The same edits on a synthetic model of each language (bench/delphi_synthetic_model.py).
const char* const kUnit = "Bench/U00000.pas";
const char* const kCsFile = "Bench/U00000.cs";
const EditRow kSyntheticRows[] = {
    {"synthetic: field added and retyped", kUnit,
     {{"    FF9: Integer;\r\n", "    FF9: Integer;\r\n    FExtra: Integer;\r\n"}, {"    FF0: Integer;", "    FF0: Double;"}},
     {"add attribute T00000.Extra: Integer", "change type of attribute T00000.F0 to Double"},
     {},
     false,
     {"attribute Extra: Integer (private)", "attribute F0: Double = 0 (public)"}},
    {"synthetic: method added, another renamed, a third made virtual", kUnit,
     {{"    function Op9(AValue: Integer;AText: string): Integer;\r\n",
       "    function Op9(AValue: Integer;AText: string): Integer;\r\n    function Total(): Integer;\r\n"},
      {"\r\n\r\ninitialization", "\r\nfunction T00000.Total(): Integer;\r\nbegin\r\n  Result := 1;\r\nend;\r\n\r\ninitialization"},
      {"    function Op0(AValue: Integer;AText: string): Integer; virtual;", "    function Sum(AValue: Integer;AText: string): Integer; virtual;"},
      {"function T00000.Op0(", "function T00000.Sum("},
      {"    function Op1(AValue: Integer;AText: string): Integer;\r\n", "    function Op1(AValue: Integer;AText: string): Integer; virtual;\r\n"}},
     {"add operation T00000.Total(): Integer", "rename operation T00000.Op0 to Sum",
      "change directives of operation T00000.Op1 to virtual"},
     {},
     false,
     {"operation Total(): Integer (public)", "operation Sum(AValue: Integer; AText: string): Integer (public, Kind=virtual)",
      "operation Op1(AValue: Integer; AText: string): Integer (public, Kind=virtual)"}},
    {"synthetic C#: field added, method added, another renamed, a third made virtual", kCsFile,
     {{"      private int FF9;\r\n", "      private int FF9;\r\n      private int FExtra;\r\n"},
      {"      public virtual int Op0(int AValue,string AText)", "      public virtual int Sum(int AValue,string AText)"},
      {"      public int Op1(int AValue,string AText)", "      public virtual int Op1(int AValue,string AText)"},
      {"      public int Op9(int AValue,string AText)\r\n",
       "      public int Total()\r\n      {\r\n        return 1;\r\n      }\r\n      public int Op9(int AValue,string AText)\r\n"}},
     {"add attribute Bench::T00000.Extra: int", "add operation Bench::T00000.Total(): int",
      "rename operation Bench::T00000.Op0 to Sum", "change directives of operation Bench::T00000.Op1 to virtual"},
     {},
     false,
     {"attribute Extra: int (private)", "operation Total(): int (public)",
      "operation Sum(AValue: int; AText: string): int (public, Kind=virtual)",
      "operation Op1(AValue: int; AText: string): int (public, Kind=virtual)"}},
};

class ReverseRun : public ReverseTest::ReverseExample {
protected:
    // Each row from the first run of the model (its model file, its code files, its base):
    // edit, reverse, and the model, the code, `generate --check` and `show` follow.
    void CheckRows(const std::string& model, const std::vector<std::string>& files, const EditRow* rows, size_t count);
};

void ReverseRun::CheckRows(const std::string& modelFile, const std::vector<std::string>& files, const EditRow* rows,
                           size_t count)
{
    ASSERT_EQ(Run({"generate", modelFile, "--out", "out"}).code, 0);
    const std::string model = ReadFile(m_dir / modelFile), before = Run({"show", modelFile, "--members"}).out;
    std::map<std::string, std::string> generated;
    for (const std::string& f : files)
        generated[f] = ReadFile(m_dir / "out" / f);
    fs::copy(m_dir / "out" / ".vexlo", m_dir / "base", fs::copy_options::recursive);
    for (const EditRow& row : std::vector<EditRow>(rows, rows + count)) {
        SCOPED_TRACE(row.what);
        WriteFile(m_dir / modelFile, model);
        for (const auto& [f, text] : generated)
            WriteFile(m_dir / "out" / f, text);
        fs::remove_all(m_dir / "out" / ".vexlo");
        fs::copy(m_dir / "base", m_dir / "out" / ".vexlo", fs::copy_options::recursive);
        std::map<std::string, std::string> edits;
        for (const Replace& e : row.edits) {
            const std::string file = e.file ? e.file : row.file;
            std::string& text = edits.emplace(file, generated[file]).first->second;
            ASSERT_NE(text.find(e.from), std::string::npos) << e.from;
            text.replace(text.find(e.from), e.from.size(), e.to);
        }
        for (const auto& [f, text] : edits)
            WriteFile(m_dir / "out" / f, text);
        const std::string& edited = edits[row.file];

        std::vector<std::string> args = {"reverse", modelFile, "--out", "out"};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        Result r = Run(args);
        ASSERT_EQ(r.code, 0) << r.out << r.err;
        for (const std::string& change : row.changes)
            EXPECT_TRUE(Contains(r.out, change)) << change << "\n" << r.out;
        EXPECT_NE(ReadFile(m_dir / modelFile), model);
        EXPECT_FALSE(Contains(r.out, "not read back: out/")) << r.out;
        Result upToDate = Run({"generate", modelFile, "--out", "out", "--check"});
        EXPECT_EQ(upToDate.code, 0) << upToDate.out << upToDate.err;
        if (row.file == kCatalog) {
            EXPECT_EQ(FpcErrors(m_dir / "out" / "Delphi", m_dir / "fpc"), "");
        }
        const std::vector<std::string> now = Normalised(ReadFile(m_dir / "out" / row.file)), want = Normalised(edited);
        if (row.addsLines)
            EXPECT_TRUE(std::includes(now.begin(), now.end(), want.begin(), want.end()));
        else
            EXPECT_EQ(now, want);
        const std::string after = Run({"show", modelFile, "--members"}).out;
        for (const std::string& line : row.shown) {
            const bool gone = line[0] == '!';
            const std::string text = " " + line.substr(gone ? 1 : 0) + "\n";
            EXPECT_TRUE(Contains(before, text) == gone && Contains(after, text) != gone)
                << (gone ? "show still lists: " : "show does not list: ") << text << "\n" << after;
        }
        // The zone guard saves lines the last run did not generate; what reverse read back
        // (the bodies of new methods in their zones) stands in the regenerated file.
        for (const auto& [f, text] : edits) {
            const fs::path lost = m_dir / "out" / (f + ".vxlost");
            EXPECT_FALSE(fs::exists(lost)) << ReadFile(lost);
            fs::remove(lost);
        }
    }
}

TEST_F(ReverseRun, EditsFlowIntoTheModelAndTheCodeStays)
{
    fs::copy_file(EXAMPLE_MODEL, m_dir / "Example.mdl");
    CheckRows("Example.mdl", {kCatalog, kModel, "Delphi/Members.pas", "CSharp/LendingServices.cs"}, kRows, std::size(kRows));
}

TEST_F(ReverseRun, EditsOfASyntheticModelFlowIntoTheModel)
{
    for (const char* language : {"Delphi", "C#"}) {
        SCOPED_TRACE(language);
        const std::string script = std::string(SOURCE_DIR) + "/bench/delphi_synthetic_model.py";
        if (std::system(("python3 " + Quote(script) + " 3 " + Quote((m_dir / "Synthetic.mdl").string()) +
                         " --language " + Quote(language) + " >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << "python3 cannot run " << script;
        fs::remove_all(m_dir / "out");
        fs::remove_all(m_dir / "base");
        const EditRow* rows = language[0] == 'D' ? kSyntheticRows : kSyntheticRows + 2;
        CheckRows("Synthetic.mdl", {language[0] == 'D' ? kUnit : kCsFile}, rows, language[0] == 'D' ? 2 : 1);
    }
}

} // namespace
