// `vexlo reverse` against code as developers type it, in styles the generator never
// writes: several fields in one declaration, comments between declarations, keywords in
// any case, headers broken over lines, bodies on one line, local routines, a new overload
// of a name, braces at the end of a C# header, expression bodies, one-line summaries, a
// byte order mark, LF line ends, tabs. Each edit is read back, the regenerated code is up
// to date, a method's body stands in its zone, the Delphi unit compiles, and every line
// the user typed stands in the new file or in its .vxlost file.
#include "CliTestSupport.h"
#include "ExampleCompile.h"
#include "ReverseTestSupport.h"

#include <algorithm>
#include <map>
#include <set>

using namespace CliTest;

namespace {

struct Replace {
    std::string from, to; // "\n" in both is the generated file's line end
};

struct StyleRow {
    const char* what;
    const char* file; // below out/
    std::vector<Replace> edits;
    std::vector<std::string> changes; // lines --dry-run prints (each a part of one; a leading "!": none holds it)
    std::vector<std::string> inZones; // lines of the user's that stand in a zone afterwards (trimmed)
    const char* form = "";            // the whole file then written with "LF" ends, a "BOM", "tabs"
    std::vector<std::string> written = {}; // lines the regenerated file holds (trimmed)
    // Lines of the user's (trimmed) that reverse read back and the regenerated file holds in
    // the generator's form: in neither file as typed, and not saved as lost.
    std::vector<std::string> readBack = {};
};

const char* const kCatalog = "Delphi/Catalog.pas";
const char* const kModel = "CSharp/LendingModel.cs";

const StyleRow kRows[] = {
    {"Delphi: several fields in one declaration, comments of each kind between them", kCatalog,
     {{"    FPages: Integer;\n", "    FPages: Integer; // page count\n    FEdition, FPrinting: Integer;\n"
                                 "    (* shelf *) FShelf: string;\n"}},
     {"add attribute Catalog::TBook.Edition: Integer", "add attribute Catalog::TBook.Printing: Integer",
      "add attribute Catalog::TBook.Shelf: string"},
     {},
     "",
     {},
     {"FEdition, FPrinting: Integer;"}},
    {"Delphi: keywords in capitals, a header over two lines, a local routine, a case", kCatalog,
     {{"    function Contains(ADate: TDateTime): Boolean;\n",
       "    function Contains(ADate: TDateTime): Boolean;\n    FUNCTION Overlaps(AOther: TDateTime;\n"
       "                      AStrict: Boolean): Boolean;\n"},
      {"function TDateRange.Contains(ADate: TDateTime): Boolean;\n",
       "FUNCTION TDateRange.Overlaps(AOther: TDateTime;\n                      AStrict: Boolean): Boolean;\nVAR\n"
       "  I: Integer;\n  procedure Local;\n  begin\n    I := 0;\n  end;\nBEGIN\n  Local;\n  case I of\n"
       "    0: Result := False;\n  else\n    Result := AStrict;\n  end;\nEND;\n\n"
       "function TDateRange.Contains(ADate: TDateTime): Boolean;\n"}},
     {"add operation Catalog::TDateRange.Overlaps(AOther: TDateTime; AStrict: Boolean): Boolean"},
     {"I: Integer;", "I := 0;", "Local;", "0: Result := False;", "Result := AStrict;"},
     "",
     {},
     {"FUNCTION Overlaps(AOther: TDateTime;", "AStrict: Boolean): Boolean;", "FUNCTION TDateRange.Overlaps(AOther: TDateTime;"}},
    {"Delphi: a body on the header's line, a constructor, an indented implementation", kCatalog,
     {{"    function Contains(ADate: TDateTime): Boolean;\n",
       "    function Contains(ADate: TDateTime): Boolean;\n    function Width: Integer;\n"
       "    constructor CreateFor(ADays: Integer);\n    procedure Clear;\n"},
      {"function TDateRange.Contains(ADate: TDateTime): Boolean;\n",
       "function TDateRange.Width: Integer; begin Result := 7; end;\n\nconstructor TDateRange.CreateFor(ADays: Integer);\n"
       "begin\n  FEndDate := ADays;\nend;\n\n  procedure TDateRange.Clear;\n  begin\n    FStartDate := 0;\n  end;\n\n"
       "function TDateRange.Contains(ADate: TDateTime): Boolean;\n"}},
     {"add operation Catalog::TDateRange.Width(): Integer", "add operation Catalog::TDateRange.CreateFor(ADays: Integer)",
      "add operation Catalog::TDateRange.Clear()"},
     {"Result := 7;", "FEndDate := ADays;", "FStartDate := 0;"},
     "",
     {},
     {"function Width: Integer;", "procedure Clear;", "procedure TDateRange.Clear;"}},
    {"Delphi: a new overload of a name, LF line ends and a byte order mark", kCatalog,
     {{"    procedure Borrow(AMember: TObject;ADays: Integer); overload; virtual;\n",
       "    procedure Borrow(AMember: TObject;ADays: Integer); overload; virtual;\n"
       "    procedure Borrow(AMember: TObject; AHours: Integer; AFlag: Boolean); overload;\n"},
      {"procedure TItem.Borrow(AMember: TObject;ADays: Integer);\n",
       "procedure TItem.Borrow(AMember: TObject; AHours: Integer; AFlag: Boolean);\nbegin\n  FTitle := 'lent';\nend;\n\n"
       "procedure TItem.Borrow(AMember: TObject;ADays: Integer);\n"}},
     {"add operation Catalog::TItem.Borrow(AMember: TObject; AHours: Integer; AFlag: Boolean)"},
     {"FTitle := 'lent';"},
     "LF BOM",
     {},
     {"procedure Borrow(AMember: TObject; AHours: Integer; AFlag: Boolean); overload;",
      "procedure TItem.Borrow(AMember: TObject; AHours: Integer; AFlag: Boolean);"}},
    {"Delphi: tabs", kCatalog,
     {{"    function Contains(ADate: TDateTime): Boolean;\n",
       "    function Contains(ADate: TDateTime): Boolean;\n    procedure Clear;\n"},
      {"function TDateRange.Contains(ADate: TDateTime): Boolean;\n",
       "procedure TDateRange.Clear;\nbegin\n    FStartDate := 0;\nend;\n\nfunction TDateRange.Contains(ADate: TDateTime): Boolean;\n"}},
     {"add operation Catalog::TDateRange.Clear()"},
     {"FStartDate := 0;"},
     "tabs",
     {},
     {"procedure Clear;", "procedure TDateRange.Clear;"}},
    {"C#: a one-line summary with more tags, a brace ending the header, an expression body, a void method, "
     "a get block on one line",
     kModel,
     {{"        public Loan Lend(Member member)\n",
       "        /// <summary>Counts.</summary>\n        /// <param name=\"n\">how many</param>\n"
       "        public int Count(int n) {\n            return n;\n        }\n"
       "        public int Twice(int n) => n * 2;\n        public void Touch()\n        {\n            Twice(1);\n        }\n"
       "        public int Shelf\n        {\n            get { return 3; }\n            set\n            {\n"
       "                FCopies = value;\n            }\n        }\n"
       "        public Loan Lend(Member member)\n"}},
     {"add operation LendingServer::Model::Book.Count(int n): int", "add operation LendingServer::Model::Book.Twice(int n): int",
      "add operation LendingServer::Model::Book.Touch()"},
     {"return n;", "return n * 2;", "Twice(1);", "return 3;", "FCopies = value;"},
     "",
     {"/// Counts.", "public int Count(int n)", "public void Touch()"}},
    {"C#: several fields in one declaration, auto-properties, LF line ends, a byte order mark, tabs", kModel,
     {{"        private bool FIsAvailable;\n", "        private bool FIsAvailable;\n        private int FShelf, FRow;\n"},
      {"        public Loan Lend(Member member)\n",
       "        public int Floor { get; set; }\n        public string Code { get; set; } = \"x\";\n"
       "        public static int Made { get; set; }\n"
       "        public Loan Lend(Member member)\n"}},
     {"add attribute LendingServer::Model::Book.Shelf: int", "add attribute LendingServer::Model::Book.Row: int",
      "add attribute LendingServer::Model::Book.Floor: int (a property, read and write) (",
      "add attribute LendingServer::Model::Book.Code: string (a property, read and write) (",
      "add attribute LendingServer::Model::Book.Made: int (a property, read and write, no field)"},
     {"return FFloor;", "FCode=value;"},
     "LF BOM tabs",
     {"private int FFloor;", "FCode=\"x\";"},
     {"private int FShelf, FRow;"}},
    {"C#: base names without their namespaces, a field added", kModel,
     {{"public sealed class Book : LendingServer.Model.Entity,LendingServer.Model.ILendable",
       "public sealed class Book : Entity, ILendable"},
      {"        private bool FIsAvailable;\n", "        private bool FIsAvailable;\n        private int FShelf;\n"}},
     {"add attribute LendingServer::Model::Book.Shelf: int", "!superclass"},
     {},
     "",
     {"public sealed class Book : LendingServer.Model.Entity,LendingServer.Model.ILendable"},
     {"public sealed class Book : Entity, ILendable"}},
};

// The text in the row's form: its line ends, its byte order mark, its indentation.
std::string InForm(std::string text, const std::string& form)
{
    auto replaceAll = [&](const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    if (form.find("LF") != std::string::npos)
        replaceAll("\r\n", "\n");
    if (form.find("tabs") != std::string::npos)
        replaceAll("    ", "\t");
    return form.find("BOM") != std::string::npos ? "\xEF\xBB\xBF" + text : text;
}

std::string Trim(const std::string& line)
{
    const size_t b = line.find_first_not_of(" \t\xEF\xBB\xBF");
    return b == std::string::npos ? "" : line.substr(b, line.find_last_not_of(" \t") - b + 1);
}

class ReverseStyles : public VexloRunTest {};

TEST_F(ReverseStyles, EachStyleIsReadBackAndNothingTypedIsLost)
{
    fs::copy_file(EXAMPLE_MODEL, m_dir / "Example.mdl");
    ASSERT_EQ(Run({"generate", "Example.mdl", "--out", "out"}).code, 0);
    const std::string model = ReadFile(m_dir / "Example.mdl");
    const std::map<std::string, std::string> generated = {{kCatalog, ReadFile(m_dir / "out" / kCatalog)},
                                                         {kModel, ReadFile(m_dir / "out" / kModel)}};
    fs::copy(m_dir / "out" / ".vexlo", m_dir / "base", fs::copy_options::recursive);
    for (const StyleRow& row : kRows) {
        SCOPED_TRACE(row.what);
        WriteFile(m_dir / "Example.mdl", model);
        for (const auto& [f, text] : generated) {
            WriteFile(m_dir / "out" / f, text);
            fs::remove(m_dir / "out" / (f + ".vxlost"));
        }
        fs::remove_all(m_dir / "out" / ".vexlo");
        fs::copy(m_dir / "base", m_dir / "out" / ".vexlo", fs::copy_options::recursive);
        std::string edited = generated.at(row.file);
        for (const Replace& e : row.edits) {
            std::string from = e.from, to = e.to;
            for (std::string* s : {&from, &to})
                for (size_t at = s->find('\n'); at != std::string::npos; at = s->find('\n', at + 2))
                    s->insert(at, "\r");
            ASSERT_NE(edited.find(from), std::string::npos) << from;
            edited.replace(edited.find(from), from.size(), to);
        }
        edited = InForm(edited, row.form);
        WriteFile(m_dir / "out" / row.file, edited);

        Result preview = Run({"reverse", "Example.mdl", "--out", "out", "--dry-run"});
        ASSERT_EQ(preview.code, 0) << preview.err;
        for (const std::string& change : row.changes)
            EXPECT_EQ(Contains(preview.out, change.substr(change[0] == '!')), change[0] != '!')
                << change << "\n" << preview.out;
        EXPECT_FALSE(Contains(preview.out, "not read back")) << preview.out;
        Result r = Run({"reverse", "Example.mdl", "--out", "out"});
        ASSERT_EQ(r.code, 0) << r.out << r.err;
        Result upToDate = Run({"generate", "Example.mdl", "--out", "out", "--check"});
        EXPECT_EQ(upToDate.code, 0) << upToDate.out << upToDate.err;
        if (row.file == kCatalog) {
            EXPECT_EQ(FpcErrors(m_dir / "out" / "Delphi", m_dir / "fpc"), "");
        }
        const std::string now = ReadFile(m_dir / "out" / row.file);
        std::set<std::string> zones;
        for (const std::string& line : ReverseTest::ZoneLines(now))
            zones.insert(Trim(line));
        for (const std::string& line : row.inZones)
            EXPECT_TRUE(zones.count(line)) << "not in a zone: " << line;
        const std::vector<std::string> nowLines = ReverseTest::Lines(now);
        for (const std::string& line : row.written)
            EXPECT_TRUE(std::any_of(nowLines.begin(), nowLines.end(), [&](const std::string& l) { return Trim(l) == line; }))
                << "not written: " << line;
        const fs::path lost = m_dir / "out" / (row.file + std::string(".vxlost"));
        const std::string saved = fs::exists(lost) ? ReadFile(lost) : "";
        std::set<std::string> kept, savedLines, typed;
        for (const std::string& text : {now, saved})
            for (const std::string& line : ReverseTest::Lines(text))
                (&text == &saved ? savedLines : kept).insert(Trim(line));
        for (const std::string& line : ReverseTest::Lines(edited)) {
            const std::string trimmed = Trim(line);
            typed.insert(trimmed);
            const bool readBack = std::count(row.readBack.begin(), row.readBack.end(), trimmed) > 0;
            if (readBack)
                EXPECT_FALSE(savedLines.count(trimmed)) << "saved, though read back: " << line;
            else
                EXPECT_TRUE(kept.count(trimmed) || savedLines.count(trimmed)) << "lost: " << line;
        }
        for (const std::string& line : row.readBack)
            EXPECT_TRUE(typed.count(line)) << "not typed: " << line;
    }
}

} // namespace
