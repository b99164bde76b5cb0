// The readers on what vexlo generates: the example model (every declaration read back,
// nothing named as not read) and the sample models forced to each language (every type
// and member either read or named with its line: nothing left out silently).
#include "CliTestSupport.h"
#include "ReaderText.h"
#include "SampleModels.h"
#include "ZoneMarkers.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>

using namespace CliTest;
using namespace ReaderText;

namespace {

// Component name -> the simple names of its classes, from `vexlo show`.
std::map<std::string, std::set<std::string>> ComponentClasses(const std::string& show)
{
    std::map<std::string, std::set<std::string>> out;
    std::istringstream lines(show);
    std::string line, component;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        line = line.substr(start);
        if (line.starts_with("component ")) {
            component = line.substr(10, line.find(" [") - 10);
            out[component];
        } else if (line.starts_with("classes: ") && !component.empty()) {
            std::istringstream names(line.substr(9));
            std::string name;
            while (std::getline(names, name, ',')) {
                name = name.substr(name.find_first_not_of(' '));
                out[component].insert(name.substr(name.rfind("::") == std::string::npos ? 0 : name.rfind("::") + 2));
            }
        }
    }
    return out;
}

bool Mentioned(const CodeFile& file, const std::string& part, int first = 0, int last = 1 << 30)
{
    for (const NotReadBack& n : file.notReadBack)
        if (n.line >= first && n.line <= last && n.why.find(part) != std::string::npos)
            return true;
    return false;
}

// Checks one generated file; `strict`: everything must be read back.
void CheckFile(const fs::path& path, const std::set<std::string>& classes, bool strict, int& types, int& members)
{
    const std::string text = ReadFile(path);
    const bool csharp = path.extension() == ".cs";
    const CodeFile file = csharp ? ReadCSharp(path.string(), text) : ReadDelphi(path.string(), text);
    const std::vector<ZoneMarker> markers = FindZoneMarkers(text);
    SCOPED_TRACE(path.string());
    if (strict) {
        EXPECT_EQ(Skipped(file), "");
    }
    std::map<std::string, const TypeDecl*> read;
    for (const TypeDecl& t : file.types) {
        read[t.name] = &t;
        ++types;
        members += static_cast<int>(t.members.size());
        // show prints names in the console's encoding, the file holds the model's code page
        const bool ascii = std::all_of(t.name.begin(), t.name.end(), [](char c) { return c > 0; });
        EXPECT_TRUE(!ascii || classes.count(t.name)) << t.name << " is not a class of the component";
        EXPECT_EQ(t.uniqueId, OwnZoneId(markers, t.name)) << t.name;
    }
    // Each class written into the file (its own zones, first to last marker): read, or named.
    std::map<std::string, std::pair<int, int>> written;
    for (const ZoneMarker& z : markers)
        if (z.scope.find("::") == std::string::npos && z.scope != file.unitName) {
            auto [it, fresh] = written.try_emplace(z.scope, z.line, z.line);
            it->second.second = z.line;
        }
    for (const auto& [name, lines] : written) {
        if (!read.count(name)) {
            EXPECT_TRUE(!strict && Mentioned(file, "", lines.first, lines.second)) << name << " left out silently";
        }
    }
    // Each member body or accessor zone: its id on a member of the type, or the member named.
    for (const ZoneMarker& z : markers) {
        const size_t colons = z.scope.find("::");
        const std::string tag = BodyTag(z.tag);
        if (!z.begin || colons == std::string::npos || (tag != "body" && tag != "getbody" && tag != "setbody"))
            continue;
        const std::string type = z.scope.substr(0, colons);
        if (!read.count(type))
            continue;
        bool found = false;
        for (const Member& m : read[type]->members)
            found = found || (m.uniqueId == z.id && (m.zoneTag == tag || m.kind == Member::Kind::Property));
        EXPECT_TRUE(found || (!strict && Mentioned(file, type))) << z.scope << "%" << z.id << "." << z.tag << " has no member";
    }
    // Before a body zone the generators write only the fields' initial values.
    for (const Initialisation& i : file.initialisations)
        EXPECT_TRUE(i.field.size() > 1 && i.field[0] == 'F' && !i.value.empty()) << i.line << ": " << i.text;
}

// What a reader reports of any text: lines inside it, each declaration ending at or after
// its start, a reason for everything not read back.
void ExpectSane(const CodeFile& file, const std::string& text, const std::string& what)
{
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    auto inside = [&](int first, int last) { return first >= 1 && first <= last && last <= lines; };
    for (const TypeDecl& t : file.types) {
        EXPECT_TRUE(inside(t.line, t.endLine)) << what << ": " << t.name;
        for (const Member& m : t.members)
            EXPECT_TRUE(inside(m.line, m.endLine)) << what << ": " << t.name << "." << m.name;
    }
    for (const NotReadBack& n : file.notReadBack)
        EXPECT_TRUE(inside(n.line, n.line) && !n.why.empty()) << what << ": " << n.line << " " << n.why;
}

class GeneratedFiles : public VexloRunTest {
protected:
    // Generates `model` (with extra arguments) and checks every file written.
    void Check(const std::string& model, const std::vector<std::string>& extra, bool strict, int& types, int& members)
    {
        const std::string out = (m_dir / ("out" + std::to_string(runs_++))).string();
        std::vector<std::string> args = {"generate", model, "--out", out};
        args.insert(args.end(), extra.begin(), extra.end());
        Result generated = Run(args);
        // A C++ model's header/body pairs are two components to one file: refused, nothing to read.
        if (generated.code == 3 && generated.err.find("one would overwrite the other") != std::string::npos)
            return;
        ASSERT_EQ(generated.code, 0) << generated.err;
        args[0] = "show";
        Result show = Run(args);
        ASSERT_EQ(show.code, 0) << show.err;
        const auto classes = ComponentClasses(show.out);
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".pas" && ext != ".dpr" && ext != ".dpk" && ext != ".cs")
                continue;
            const std::string component = entry.path().stem().string();
            ASSERT_TRUE(classes.count(component)) << component << " is not a component of " << model;
            CheckFile(entry.path(), classes.at(component), strict, types, members);
        }
    }
    int runs_ = 0;
};

TEST_F(GeneratedFiles, TheExampleReadsBackWhole)
{
    int types = 0, members = 0;
    Check(EXAMPLE_MODEL, {}, true, types, members);
    if (CSharpReaderAvailable())
        EXPECT_EQ(types, 11 + 12);  // the Delphi units' classes and the C# files' types
    else
        EXPECT_EQ(types, 11);
    EXPECT_GT(members, 100);
}

TEST_F(GeneratedFiles, SampleModelsLeaveNothingOutSilently)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    int types = 0, members = 0;
    for (const auto& entry : fs::directory_iterator(SampleFolder::Dir()))
        if (entry.path().extension() == ".mdl")
            for (const char* language : {"Delphi", "C#"})
                if (std::string(language) == "Delphi" || CSharpReaderAvailable()) {
                    Check(entry.path().string(), {"--language", language}, false, types, members);
                }
    EXPECT_GT(types, 60);
    EXPECT_GT(members, types);
}

} // namespace

// Generated files cut short anywhere and edited at random (a fixed seed): the readers
// never crash and report only lines of the text, and C# read again from the tree of
// the text before an edit reads as read afresh. The fuzz target goes further.
TEST_F(GeneratedFiles, MalformedTextNeverBreaksTheReaders)
{
    Result generated = Run({"generate", EXAMPLE_MODEL, "--out", (m_dir / "out").string()});
    ASSERT_EQ(generated.code, 0) << generated.err;
    std::mt19937 random(26);
    const std::string pieces[] = {";", "(", ")", "{", "}", "'", "\"", "//", "/*", "#if X\n", "{$IFDEF X}", "end", "class ",
                                  "<", "[", "//## begin T::M%1.body preserve=yes\n", "\n", "\xE9"};
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(m_dir / "out")) {
        if (!entry.is_regular_file())
            continue;
        const std::string text = ReadFile(entry.path());
        const bool csharp = entry.path().extension() == ".cs";
        auto read = [&](const std::string& t) { return csharp ? ReadCSharp("x.cs", t) : ReadDelphi("x.pas", t); };
        ++files;
        for (size_t cut = 0; cut < text.size(); cut += 1 + text.size() / 60) {
            const std::string part = text.substr(0, cut);
            ExpectSane(read(part), part, entry.path().filename().string() + " cut at " + std::to_string(cut));
        }
        std::string edited = text;
        for (int edit = 0; edit < 40; ++edit) {
            const std::string before = edited;
            const size_t at = random() % (edited.size() + 1);
            if (random() % 2)
                edited.insert(at, pieces[random() % std::size(pieces)]);
            else
                edited.erase(at, random() % 8);
            const CodeFile file = read(edited);
            ExpectSane(file, edited, entry.path().filename().string() + " edit " + std::to_string(edit));
            if (csharp) { // parsed again from the tree of the text before the edit: the same
                const std::string whole = ReaderText::Lines(file) + ReaderText::Skipped(file);
                const CodeFile again = ReadCSharpTwice("x.cs", before, edited).second;
                EXPECT_EQ(ReaderText::Lines(again) + ReaderText::Skipped(again), whole) << "edit " << edit;
                const CodeFile later = CSharpParse("x.cs", before).ReadAgain(edited);
                EXPECT_EQ(ReaderText::Lines(later) + ReaderText::Skipped(later), whole) << "edit " << edit;
            }
        }
    }
    EXPECT_GE(files, 8);
}
