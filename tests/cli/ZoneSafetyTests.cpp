// The user's text in preserved zones through regeneration, driven as a user runs vexlo:
// every zone of the example's output gets unique lines, one change is made, and the run
// must keep each line in a generated file, save it to a recovery file that a warning
// names, or refuse naming the file and line with nothing written.
#include "FilledOutput.h"

#include <functional>
#include <map>
#include <regex>

using namespace CliTest;

namespace {

std::string Read(const fs::path& path) { return ReadFile(path); }
void Write(const fs::path& path, const std::string& text) { WriteFile(path, text); }

std::string Replace(std::string text, const std::string& pattern, const std::string& with)
{
    return std::regex_replace(text, std::regex(pattern), with);
}

// The petal object that starts with head, with its parentheses, taken out.
std::string Remove(std::string text, const std::string& head)
{
    size_t start = text.find(head);
    if (start == std::string::npos)
        return text;
    size_t at = start;
    for (int depth = 0; at < text.size(); ++at) {
        depth += text[at] == '(' ? 1 : text[at] == ')' ? -1 : 0;
        if (depth == 0)
            break;
    }
    return text.erase(start, at + 1 - start);
}

// A change to the generated file that holds zone; text is that file's text.
using FileEdit = std::function<void(std::string& text, const Zone& zone)>;

// Position of the zone's begin-marker line in text.
size_t BeginOf(const std::string& text, const Zone& zone) { return text.find(zone.marker); }
size_t EndOf(const std::string& text, const Zone& zone) { return text.find("//## end", BeginOf(text, zone)); }
size_t LineStart(const std::string& text, size_t at) { return text.rfind('\n', at) + 1; }

struct Row {
    const char* name;
    std::function<std::string(std::string)> modelBefore; // before the first generation
    std::function<std::string(std::string)> modelAfter;  // before the regeneration
    const char* zone;       // the last zone whose begin marker holds this is edited and followed
    FileEdit edit;          // applied to that zone's file
    int code;               // exit code of the regeneration
    const char* err;        // standard error holds this ("" for nothing in particular)
    const char* expectedIn; // the followed zone's lines end up in this file ("" if anywhere)
    const char* flag = "";  // of the regeneration
    bool clean = false;     // no recovery file may be written
};

class ZoneSafetyTest : public VexloRunTest {
protected:
    int Run(const fs::path& model, std::string& out, std::string& err, const std::string& flag = "")
    {
        std::vector<std::string> args = {"generate", model.string(), "--out", (m_dir / "out").string()};
        if (!flag.empty())
            args.push_back(flag);
        Result r = VexloRunTest::Run(args);
        out = r.out;
        err = r.err;
        return r.code;
    }

    std::vector<Zone> FillZones() { return CliTest::FillZones(m_dir / "out"); }
    std::map<fs::path, std::string> Outputs() { return CliTest::Outputs(m_dir / "out"); }
};

std::string Same(std::string model) { return model; }

// A zone of TSearchEngine.Search (the unit SearchEngine), of TSearchEngine, of the unit Members.
const char* const kSearch = "62B0A1C30071";
const char* const kEngine = "62B0A1C3001D";
const char* const kMembers = "62B0A1C30008";

std::string MoveEngineToMembers(std::string model)
{
    return Replace(model, "module\\s+\"Component View::Delphi::Search::SearchEngine\"\\s+quidu\\s+\"62B0A1C3000C\"",
                   "module \"Component View::Delphi::Members\" quidu \"62B0A1C30008\"");
}

TEST_F(ZoneSafetyTest, NoUserLineIsSilentlyLost)
{
    const FileEdit none = [](std::string&, const Zone&) {};
    const Row rows[] = {
        {"class moved to another component", Same, MoveEngineToMembers, kEngine, none, 0, "carrying the zone",
         "Members.pas", "", true},
        {"component renamed", Same,
         [](std::string m) {
             return Replace(Replace(m, "\\(object module \"Members\"", "(object module \"Patrons\""),
                            "Component View::Delphi::Members\"", "Component View::Delphi::Patrons\"");
         },
         kMembers, none, 0, "carrying the zone", "Patrons.pas"},
        {"operation deleted", Same, [](std::string m) { return Remove(m, "(object Operation \"Search\""); }, kSearch,
         none, 0, "is in no generated file", "SearchEngine.pas.vxlost"},
        {"unique id changed", Same, [](std::string m) { return Replace(m, "\"62B0A1C30071\"", "\"62B0A1C3F071\""); },
         kSearch, none, 0, "is in no generated file", "SearchEngine.pas.vxlost"},
        {"unique id changed, strict", Same,
         [](std::string m) { return Replace(m, "\"62B0A1C30071\"", "\"62B0A1C3F071\""); }, kSearch, none, 5,
         "is in no generated file", "SearchEngine.pas.vxlost", "--strict-zones"},
        {"percent sign in a name", [](std::string m) { return Replace(m, "Operation \"Search\"", "Operation \"Se%arch\""); },
         Same, kSearch, none, 0, "is in no generated file", "SearchEngine.pas.vxlost"},
        {"UTF-16 old file", Same, Same, kSearch,
         [](std::string& text, const Zone&) {
             std::string wide = "\xFF\xFE";
             for (char c : text)
                 wide += std::string(1, c) + '\0';
             text = wide;
         },
         5, "SearchEngine.pas:1: the file is UTF-16 text", ""},
        {"UTF-16 old file without byte-order mark", Same, Same, kSearch,
         [](std::string& text, const Zone&) {
             std::string wide;
             for (char c : text)
                 wide += std::string(1, '\0') + c;
             text = wide;
         },
         5, "SearchEngine.pas:1: the file is UTF-16 text", ""},
        {"NUL byte", Same, Same, kSearch,
         [](std::string& text, const Zone& zone) { text.insert(text.find(zone.lines[1], BeginOf(text, zone)), 1, '\0'); },
         5, "NUL byte", ""},
        {"UTF-8 byte-order mark", Same, Same, kSearch, [](std::string& text, const Zone&) { text.insert(0, "\xEF\xBB\xBF"); },
         0, "SearchEngine.pas:1: the file starts with a UTF-8 byte-order mark", ""},
        {"end marker deleted", Same, Same, kEngine,
         [](std::string& text, const Zone& zone) {
             size_t end = LineStart(text, EndOf(text, zone));
             text.erase(end, text.find('\n', end) + 1 - end);
         },
         0, "begin marker inside the text of another zone", ""},
        {"begin marker deleted", Same, Same, kSearch,
         [](std::string& text, const Zone& zone) {
             size_t begin = LineStart(text, BeginOf(text, zone));
             text.erase(begin, text.find('\n', begin) + 1 - begin);
         },
         0, "an end marker that no begin marker opens", "SearchEngine.pas.vxlost"},
        {"end marker in user code", Same, Same, kSearch,
         [](std::string& text, const Zone& zone) {
             text.insert(text.find(zone.lines[0], BeginOf(text, zone)) + zone.lines[0].size(), " //## end of loop");
         },
         0, "stands on a line with other text", ""},
        {"LF checkout where the last line ends in CR LF", Same, Same, kEngine,
         [](std::string& text, const Zone&) {
             text = Replace(text, "\r\n", "\n");
             text.insert(text.size() - 1, "\r");
         },
         0, "has mixed line ends", "SearchEngine.pas", "", true},
        {"CR LF file where a begin-marker line ends in LF", Same, Same, kSearch,
         [](std::string& text, const Zone& zone) { text.erase(text.find("\r\n", BeginOf(text, zone)), 1); }, 0,
         "has mixed line ends", "SearchEngine.pas", "", true},
        {"attribute renamed in the model", Same, [](std::string m) { return Replace(m, "Title", "Heading"); }, kSearch,
         none, 0, "", "", "", true},
        {"generated line edited", Same, Same, kSearch,
         [](std::string& text, const Zone&) { text = Replace(text, "FHitCount:=0;", "FHitCount:=42;"); }, 0,
         "1 line(s) outside the preserved zones", ""},
        {"truncated file", Same, Same, kSearch,
         [](std::string& text, const Zone& zone) { text.erase(EndOf(text, zone)); }, 5,
         "cannot be read (no \"//## end\" follows it", ""},
    };
    const std::string example = Read(EXAMPLE_MODEL);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(Dir() / "out");
        fs::path model = Dir() / "model.mdl";
        Write(model, row.modelBefore(example));
        std::string out, err;
        ASSERT_EQ(Run(model, out, err), 0) << err;
        std::vector<Zone> zones = FillZones();
        const Zone* followed = nullptr;
        for (const Zone& zone : zones)
            if (Contains(zone.marker, row.zone))
                followed = &zone;
        ASSERT_NE(followed, nullptr);
        std::string edited = Read(followed->file);
        row.edit(edited, *followed);
        Write(followed->file, edited);
        std::map<fs::path, std::string> before = Outputs();

        Write(model, row.modelAfter(row.modelBefore(example)));
        int code = Run(model, out, err, row.flag);
        EXPECT_EQ(code, row.code) << err;
        EXPECT_TRUE(Contains(out + err, row.err)) << out << err;
        if (code == 5) {
            // Refused (also --strict-zones): the file and line are named and nothing was written.
            EXPECT_TRUE(std::regex_search(err, std::regex(followed->file.filename().string() + ":[0-9]+: "))) << err;
            EXPECT_EQ(Outputs(), before);
            continue;
        }
        // Every user line is in a generated file or in a recovery file that a warning names.
        std::map<fs::path, std::string> after = Outputs();
        for (const Zone& zone : zones)
            for (const std::string& line : zone.lines) {
                bool found = false;
                for (const auto& [path, text] : after) {
                    bool recovery = path.extension() == ".vxlost";
                    if (Contains(text, line) && (!recovery || Contains(err, "saved to " + path.string())))
                        found = true;
                }
                EXPECT_TRUE(found) << line << " of " << zone.marker << "\n" << err;
            }
        for (const auto& [path, text] : after)
            EXPECT_FALSE(row.clean && path.extension() == ".vxlost") << path << "\n" << err;
        if (*row.expectedIn)
            for (const std::string& line : followed->lines) {
                auto file = std::find_if(after.begin(), after.end(), [&](const auto& entry) {
                    return entry.first.filename() == row.expectedIn;
                });
                ASSERT_NE(file, after.end()) << row.expectedIn;
                EXPECT_TRUE(Contains(file->second, line)) << line << " not in " << row.expectedIn;
            }
    }
}

} // namespace
