// What a run keeps in the output folder (.vexlo: the lock, the journal, the base store)
// and what it does with it, driven as a user runs vexlo: zones the user never edited
// follow the model, lines outside the zones are the user's when the last run did not
// write them, stale files are reported and pruned only when asked, zones saved by one
// run come back in a later one, a file changed while the run ran is never overwritten,
// and nothing of .vexlo is trusted to lead outside the folder.
#include "ExampleCompile.h"
#include "FilledOutput.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <regex>

using namespace CliTest;

namespace {

std::string Replace(std::string text, const std::string& pattern, const std::string& with)
{
    return std::regex_replace(text, std::regex(pattern), with);
}

std::string RenameTitle(std::string model)
{
    return Replace(model, "ClassAttribute \"Title\"", "ClassAttribute \"Heading\"");
}

// The base store as earlier versions wrote it: each text named by 32 hexadecimal digits
// of two 64-bit hashes (eight bytes at a time; FNV-1a a byte at a time).
void NameTextsAsBefore(const fs::path& out)
{
    const fs::path base = out / ".vexlo" / "base";
    std::string index = ReadFile(base / "index");
    for (std::smatch m; std::regex_search(index, m, std::regex("file (p[0-9a-f]{32})\t"));) {
        const std::string text = ReadFile(base / m[1].str());
        uint64_t a = text.size(), b = 0xCBF29CE484222325ull;
        size_t i = 0;
        for (uint64_t word; i + 8 <= text.size(); i += 8)
            std::memcpy(&word, text.data() + i, 8), a = (std::rotl(a, 29) ^ word) * 0x9E3779B97F4A7C15ull;
        for (; i < text.size(); ++i)
            a = (std::rotl(a, 29) ^ static_cast<unsigned char>(text[i])) * 0x9E3779B97F4A7C15ull;
        for (unsigned char c : text)
            b = (b ^ c) * 0x100000001B3ull;
        char name[40];
        std::snprintf(name, sizeof name, "%016llx%016llx", static_cast<unsigned long long>(a),
                      static_cast<unsigned long long>(b));
        fs::rename(base / m[1].str(), base / name);
        index.replace(static_cast<size_t>(m.position(1)), m[1].length(), name);
    }
    WriteFile(base / "index", index);
}

// The example generated into `out`, zones as the generator wrote them.
class RunStateTest : public VexloRunTest {
protected:
    void SetUp() override
    {
        VexloRunTest::SetUp();
        fs::create_directories(m_dir / "tmp");
        m_model = m_dir / "model.mdl";
        WriteFile(m_model, ReadFile(EXAMPLE_MODEL));
        Result first = Generate();
        ASSERT_EQ(first.code, 0) << first.err;
    }
    fs::path Out() const { return m_dir / "out"; }
    fs::path Catalog() const { return Out() / "Delphi" / "Catalog.pas"; }
    Result Generate(const std::vector<std::string>& more = {}, const std::string& env = "")
    {
        std::vector<std::string> args = {"generate", m_model.string(), "--out", Out().string()};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args, ".", "TMPDIR=" + Quote((m_dir / "tmp").string()) + " " + env);
    }
    // Whether the line is in a file of the output, or in a recovery file a message names.
    bool Kept(const std::string& line, const Result& r) const
    {
        for (const auto& [path, text] : Outputs(Out()))
            if (Contains(text, line) &&
                (path.extension() != ".vxlost" || Contains(r.out + r.err, "saved to " + path.string())))
                return true;
        return false;
    }
    // A note of the user's before the unit's last lines of Catalog.pas, an edited body of
    // TCatalog::Find, and the model giving that operation a new id: both are saved.
    // Returns the lines of the note and of the body's begin marker in the user's file.
    std::pair<int, int> SaveNoteAndFindBody()
    {
        std::string text = ReadFile(Catalog());
        const std::string body = "//## begin TCatalog::Find%62B0A1C3006B.body preserve=yes\r\n";
        text.insert(text.find(body) + body.size(), "    Exit(nil); // mine\r\n");
        text.insert(text.rfind("\r\nend.") + 2, "// a note of mine\r\n");
        WriteFile(Catalog(), text);
        auto lineOf = [&](const std::string& what) {
            return 1 + static_cast<int>(std::count(text.begin(), text.begin() + text.find(what), '\n'));
        };
        WriteFile(m_model, Replace(RenameTitle(ReadFile(m_model)), "62B0A1C3006B", "62B0A1C3F06B"));
        return {lineOf("// a note of mine"), lineOf(body)};
    }
    fs::path m_model;
};

TEST_F(RunStateTest, ZonesFollowTheModelUntilTheUserEditsThem)
{
    struct Row {
        const char* name;
        const char* edit;      // added to the accessor's body zone ("" for none)
        const char* expected;  // the body afterwards holds this
        const char* gone;      // and not this
        const char* log;
        bool lf = false; // the checkout has LF line ends (the add-in reads a converted copy)
        bool storeAsBefore = false; // the base store an earlier version wrote
        bool damaged = false; // the store's text of the edited unit cut short, as a crash of the machine may leave it
    };
    const Row rows[] = {
        {"never edited", "", "Result:=FHeading;", "Result:=FTitle;", "held the generated text, never edited"},
        {"edited", "    Inc(FReads);\r\n", "Inc(FReads);", "Result:=FHeading;", ""},
        {"never edited, LF", "", "Result:=FHeading;", "Result:=FTitle;", "held the generated text, never edited", true},
        {"edited, LF", "    Inc(FReads);\r\n", "Inc(FReads);", "Result:=FHeading;", "", true},
        {"never edited, store of an earlier version", "", "Result:=FHeading;", "Result:=FTitle;",
         "held the generated text, never edited", false, true},
        {"edited, its base text damaged", "    Inc(FReads);\r\n", "Inc(FReads, 2);", "Result:=FHeading;",
         "the base store's text of this file is missing or damaged", false, false, true},
    };
    const std::string model = ReadFile(m_model);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Each row from a first run of its own: the base store remembers the rows before.
        fs::remove_all(Out());
        WriteFile(m_model, model);
        ASSERT_EQ(Generate().code, 0);
        std::string edited = Replace(ReadFile(Catalog()), "(\\.getbody preserve=yes\r\n)(    Result:=FTitle;)",
                                     std::string("$1") + row.edit + "$2");
        WriteFile(Catalog(), row.lf ? Replace(edited, "\r\n", "\n") : edited);
        ASSERT_EQ(Generate().code, 0);
        if (row.storeAsBefore)
            NameTextsAsBefore(Out());
        if (row.damaged) {
            std::smatch m;
            const std::string index = ReadFile(Out() / ".vexlo" / "base" / "index");
            ASSERT_TRUE(std::regex_search(index, m, std::regex("file (\\w+)\t\\d+\t[^\n]*Catalog\\.pas")));
            fs::resize_file(Out() / ".vexlo" / "base" / m[1].str(), 100);
            // Edited again, so the unit is no longer the text the store names.
            WriteFile(Catalog(), Replace(ReadFile(Catalog()), "Inc\\(FReads\\);", "Inc(FReads, 2);"));
        }
        WriteFile(m_model, RenameTitle(model));
        Result r = Generate();
        ASSERT_EQ(r.code, 0) << r.err;
        std::string text = ReadFile(Catalog());
        size_t body = text.find("TItem::GetHeading%62B0A1C30050.getbody");
        ASSERT_NE(body, std::string::npos) << text;
        std::string zone = text.substr(body, text.find("//## end", body) - body);
        EXPECT_TRUE(Contains(zone, row.expected)) << zone;
        EXPECT_FALSE(Contains(zone, row.gone)) << zone;
        EXPECT_TRUE(Contains(r.out, row.log)) << r.out;
        EXPECT_FALSE(fs::exists(Catalog().string() + ".vxlost")) << r.err;
        // The store keeps only the texts its index names: the renamed unit's old one goes.
        const fs::path base = Out() / ".vexlo" / "base";
        const std::string index = ReadFile(base / "index");
        for (const fs::directory_entry& entry : fs::directory_iterator(base)) {
            if (entry.path().filename() != "index") {
                EXPECT_TRUE(Contains(index, "file " + entry.path().filename().string() + "\t")) << entry.path();
            }
        }
        // The unit follows the renamed attribute, so it still compiles (LF rows read the same text).
        if (!*row.edit && !row.lf && !row.damaged) {
            EXPECT_EQ(FpcErrors(Catalog().parent_path(), m_dir / "fpc"), "");
        }
    }
}

// Lines made only of words the generated file has, put outside the zones: every one is
// the user's, because the last run did not write it there.
TEST_F(RunStateTest, LinesTheLastRunDidNotWriteAreSaved)
{
    const char* const lines[] = {"  Result := FItems.Count;", "  Exit;", "end;", "    FTitle:=Value;",
                                 "  inherited Create;", "{ TItem }"};
    std::string text = ReadFile(Catalog());
    size_t at = text.find("function TItem.GetTitle");
    ASSERT_NE(at, std::string::npos);
    std::string added;
    for (const char* line : lines)
        added += std::string(line) + "\r\n";
    WriteFile(Catalog(), text.insert(at, added));
    WriteFile(m_model, RenameTitle(ReadFile(m_model)));
    Result r = Generate();
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* line : lines)
        EXPECT_TRUE(Kept(line, r)) << line << "\n" << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, "are not text the last run generated")) << r.err;

    // Without the store the run says so, and falls back to telling lines by their words.
    fs::remove_all(Out() / ".vexlo");
    Result again = Generate();
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_TRUE(Contains(again.out, "no base store")) << again.out;
    EXPECT_TRUE(fs::exists(Out() / ".vexlo" / "base" / "index"));
}

TEST_F(RunStateTest, RenamedComponentLeavesAStaleFilePrunedOnlyWhenAsked)
{
    std::string text = ReadFile(Catalog());
    WriteFile(Catalog(), Replace(text, "(TItem%62B0A1C30019.private preserve=yes\r\n)", "$1    FMine: Integer;\r\n"));
    WriteFile(m_model, Replace(ReadFile(m_model), "object module \"Catalog\"", "object module \"Inventory\""));
    struct Row {
        std::vector<std::string> flags;
        int code;
        bool remains;
    };
    const Row rows[] = {{{"--check"}, 1, true}, {{"--dry-run"}, 0, true}, {{}, 0, true}, {{"--prune-stale"}, 0, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags.empty() ? "generate" : row.flags[0]);
        Result r = Generate(row.flags);
        EXPECT_EQ(r.code, row.code) << r.err;
        EXPECT_TRUE(Contains(r.out, "stale: " + Catalog().string()) || !row.remains) << r.out;
        EXPECT_EQ(fs::exists(Catalog()), row.remains);
        EXPECT_TRUE(Kept("FMine: Integer;", r)) << r.out << r.err;
    }
    Result after = Generate({"--check"});
    EXPECT_FALSE(Contains(after.out, "stale:")) << after.out;
}

// One file, one component; one id, one element: refused with both named, with their
// model file lines, before anything is written (also by a preview).
TEST_F(RunStateTest, OneFileOneComponentAndOneIdOneElement)
{
    struct Row {
        const char* name;
        const char* from;
        const char* to;
        const char* err;
        const char* rule; // of lint
    };
    const Row rows[] = {
        {"two components to one file", "object module \"Members\"", "object module \"Catalog\"",
         "model.mdl:[0-9]+: component Delphi::Catalog .*the file of component Delphi::Catalog \\(.*model.mdl:[0-9]+\\)",
         "one-file-one-component"},
        {"a copied operation keeps its id", "\"62B0A1C30071\"", "\"62B0A1C30070\"",
         "model.mdl:[0-9]+: operation .*Search has the unique id 62B0A1C30070, as has operation .* \\(.*model.mdl:[0-9]+\\)",
         "one-id-one-element"},
    };
    const std::map<fs::path, std::string> before = Outputs(Out());
    const std::string model = ReadFile(m_model);
    for (const Row& row : rows)
        for (const char* flag : {"--dry-run", ""}) {
            SCOPED_TRACE(std::string(row.name) + " " + flag);
            WriteFile(m_model, Replace(model, row.from, row.to));
            Result r = Generate(*flag ? std::vector<std::string>{flag} : std::vector<std::string>{});
            EXPECT_EQ(r.code, 3) << r.err;
            EXPECT_TRUE(std::regex_search(r.err, std::regex(row.err))) << r.err;
            EXPECT_EQ(Outputs(Out()), before);
            if (*flag)
                continue;
            Result show = Run({"show", m_model.string()});
            EXPECT_TRUE(std::regex_search(show.out, std::regex(std::string("conflict: .*") + row.err))) << show.out;
            Result lint = Run({"lint", m_model.string()});
            EXPECT_EQ(lint.code, 1) << lint.err;
            EXPECT_TRUE(Contains(lint.out + lint.err, row.rule)) << lint.out << lint.err;
        }
}

// A file saved by someone else at each change the run makes to the file system: the run
// either saw the new text (and kept the line) or rolls back naming the file; never is the
// line gone. (scripts/run-state-sweep.sh tries every change; here every fifth.)
TEST_F(RunStateTest, AFileChangedWhileTheRunRunsIsNeverOverwritten)
{
    const std::string model = ReadFile(m_model);
    const std::map<fs::path, std::string> start = Outputs(Out());
    WriteFile(m_model, RenameTitle(model));
    Result probe = Generate({}, "VEXLO_FAULT=count");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(probe.err, m, std::regex("([0-9]+) changes to the file system"))) << probe.err;
    const int changes = std::stoi(m[1]);
    const int stride = std::getenv("VEXLO_SWEEP_ALL") ? 1 : 5;
    bool refused = false;
    for (int n = 1; n <= changes; n += stride) {
        SCOPED_TRACE("edit at change " + std::to_string(n));
        for (const auto& [path, text] : start)
            WriteFile(path, text);
        fs::remove_all(Out() / ".vexlo");
        Result r = Generate({}, "VEXLO_FAULT=" + std::to_string(n) + ":edit=" + Catalog().string());
        EXPECT_TRUE(Kept("// edited while the run ran", r)) << r.out << r.err;
        if (r.code == 5) {
            refused = true;
            EXPECT_TRUE(Contains(r.err, Catalog().string() + ": the file changed after the run read it")) << r.err;
            EXPECT_TRUE(Contains(r.err, "Every file of the run is as it was before")) << r.err;
        } else {
            EXPECT_EQ(r.code, 0) << r.err;
        }
    }
    EXPECT_TRUE(refused) << "some edit fell between the reading and the replacing";
}

TEST_F(RunStateTest, ZonesSavedByAPartialRunComeBackInALaterOne)
{
    std::vector<Zone> zones = FillZones(Out());
    ASSERT_EQ(Generate().code, 0);
    std::vector<std::string> engine;
    for (const Zone& zone : zones)
        if (zone.file.filename() == "SearchEngine.pas" && Contains(zone.marker, "TSearchEngine"))
            engine.insert(engine.end(), zone.lines.begin(), zone.lines.end());
    ASSERT_FALSE(engine.empty());
    WriteFile(m_model, Replace(ReadFile(m_model),
                               "module\\s+\"Component View::Delphi::Search::SearchEngine\"\\s+quidu\\s+\"62B0A1C3000C\"",
                               "module \"Component View::Delphi::Members\" quidu \"62B0A1C30008\""));
    Result first = Generate({"--component", "SearchEngine"});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_TRUE(Contains(first.err, "SearchEngine.pas.vxlost")) << first.err;
    Result second = Generate({"--component", "Members"});
    ASSERT_EQ(second.code, 0) << second.err;
    const std::string members = ReadFile(Out() / "Delphi" / "Members.pas");
    for (const std::string& line : engine)
        EXPECT_TRUE(Contains(members, line)) << line << "\n" << second.out;
    EXPECT_TRUE(std::regex_search(second.out, std::regex("carrying the zone .* from .*SearchEngine.pas.vxlost:[0-9]+ "
                                                         "\\(saved there by an earlier run\\) into .*Members.pas")))
        << second.out;
}

// Nothing of .vexlo leads outside the folder: a journal naming a file elsewhere, links
// where the lock, the journal, the base store or a recovery file would be.
TEST_F(RunStateTest, NothingOfTheRunsOwnLeadsOutOfTheFolder)
{
    const fs::path victim = m_dir / "victim.txt";
    const fs::path state = Out() / ".vexlo";
    struct Row {
        const char* name;
        std::function<void()> plant;
        int code;
        const char* err;
    };
    const Row rows[] = {
        {"journal naming a file outside",
         [&] {
             fs::create_directories(state / "journal");
             WriteFile(state / "journal" / "old-1", "forged\n");
             WriteFile(state / "journal" / "manifest",
                       "vexlo journal 1\nprocess 1\nmodel m\nstarted s\ncopy old-1\t../../victim.txt\ncomplete\n");
         },
         5, "lies outside the output folder"},
        {"journal naming a link that leads out",
         [&] {
             fs::create_directories(state / "journal");
             fs::create_symlink(m_dir, Out() / "Delphi" / "up");
             WriteFile(state / "journal" / "old-1", "forged\n");
             WriteFile(state / "journal" / "manifest",
                       "vexlo journal 1\nprocess 1\nmodel m\nstarted s\ncopy old-1\tDelphi/up/victim.txt\ncomplete\n");
         },
         5, "lies outside the output folder"},
        {"lock that is a link",
         [&] {
             fs::remove(state / "lock");
             fs::create_symlink(victim, state / "lock");
         },
         1, "lock: is a symbolic link"},
        {"state folder that is a link",
         [&] {
             fs::remove_all(state);
             fs::create_directories(m_dir / "elsewhere");
             fs::create_symlink(m_dir / "elsewhere", state);
         },
         1, ".vexlo: is a symbolic link"},
        {"base index that is a link",
         [&] {
             fs::remove(state / "base" / "index");
             fs::create_symlink(victim, state / "base" / "index");
         },
         0, ""},
        {"recovery file that is a link",
         [&] {
             WriteFile(m_model, Replace(ReadFile(m_model), "\"62B0A1C30071\"", "\"62B0A1C3F071\""));
             std::string text = ReadFile(Out() / "Delphi" / "Search" / "SearchEngine.pas");
             WriteFile(Out() / "Delphi" / "Search" / "SearchEngine.pas",
                       Replace(text, "(Search%62B0A1C30071.body preserve=yes\r\n)", "$1    Mine;\r\n"));
             fs::create_symlink(victim, Out() / "Delphi" / "Search" / "SearchEngine.pas.vxlost");
         },
         5, "the recovery file is a symbolic link"},
    };
    const std::string model = ReadFile(m_model);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(Out());
        WriteFile(m_model, model);
        ASSERT_EQ(Generate().code, 0);
        WriteFile(victim, "precious\n");
        row.plant();
        Result r = Generate();
        EXPECT_EQ(r.code, row.code) << r.out << r.err;
        EXPECT_TRUE(Contains(r.err, row.err)) << r.err;
        EXPECT_EQ(ReadFile(victim), "precious\n");
        EXPECT_TRUE(!fs::exists(m_dir / "elsewhere") || fs::is_empty(m_dir / "elsewhere"));
        fs::remove(Out() / "Delphi" / "up");
    }
}

// A project copied or moved after a run was killed in its commit: the journal is
// recovered where the project now is, and the original is never written.
TEST_F(RunStateTest, ACopiedOrMovedProjectIsRecoveredWhereItIs)
{
    FillZones(Out());
    ASSERT_EQ(Generate().code, 0);
    const fs::path snapshot = m_dir / "snapshot";
    auto restore = [&] {
        fs::remove_all(Out());
        fs::copy(snapshot, Out(), fs::copy_options::recursive);
    };
    fs::copy(Out(), snapshot, fs::copy_options::recursive);
    WriteFile(m_model, RenameTitle(ReadFile(m_model)));
    Result probe = Generate({}, "VEXLO_FAULT=count");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(probe.err, m, std::regex("([0-9]+) changes to the file system"))) << probe.err;
    // A kill that leaves a complete journal: late in the run, where the files are replaced.
    bool killed = false;
    for (int n = std::stoi(m[1]); n > 0 && !killed; --n) {
        restore();
        Generate({}, "VEXLO_FAULT=" + std::to_string(n) + ":kill");
        const fs::path manifest = Out() / ".vexlo" / "journal" / "manifest";
        killed = fs::exists(manifest) && Contains(ReadFile(manifest), "complete");
    }
    ASSERT_TRUE(killed);
    const fs::path crashed = m_dir / "crashed";
    fs::copy(Out(), crashed, fs::copy_options::recursive);
    for (const char* how : {"copied", "moved"}) {
        SCOPED_TRACE(how);
        fs::remove_all(Out());
        fs::copy(crashed, Out(), fs::copy_options::recursive);
        const fs::path there = m_dir / (std::string(how) + "-out");
        const bool moved = std::string(how) == "moved";
        if (moved)
            fs::rename(Out(), there);
        else
            fs::copy(Out(), there, fs::copy_options::recursive);
        const std::map<fs::path, std::string> original = Outputs(Out());
        Result r = Run({"generate", m_model.string(), "--out", there.string()}, ".",
                       "TMPDIR=" + Quote((m_dir / "tmp").string()));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "found the journal of an interrupted run")) << r.out;
        EXPECT_TRUE(Contains(r.out, "moved or copied since")) << r.out;
        EXPECT_EQ(Outputs(Out()), original) << "the original is never written";
        EXPECT_FALSE(fs::exists(there / ".vexlo" / "journal"));
        EXPECT_FALSE(fs::exists(Out() / "Delphi" / "Catalog.pas.vxlost"));
    }
}

// Zones that held the generated text are left out of the add-in's copy of the file;
// what is saved from below them is still named by its line in the user's file.
TEST_F(RunStateTest, SavedTextIsNamedByItsLineInTheUsersFile)
{
    const auto [note, body] = SaveNoteAndFindBody();
    Result r = Generate();
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_TRUE(Contains(r.out, "held the generated text, never edited")) << r.out;
    const std::string n = std::to_string(note), b = std::to_string(body);
    EXPECT_TRUE(Contains(r.err, Catalog().string() + ":" + n + ": 1 line(s) outside the preserved zones (line " + n +
                                    ")"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, Catalog().string() + ":" + b + ": the zone TCatalog::Find (62B0A1C3006B.body) of lines " +
                                    b + "-" + std::to_string(body + 2) + " is in no generated file"))
        << r.err;
}

// A recovery file the user deleted takes the base store's record of its zones with it:
// said once by the run that writes, and no later run looks for them.
TEST_F(RunStateTest, ADeletedRecoveryFileIsForgotten)
{
    SaveNoteAndFindBody();
    ASSERT_EQ(Generate().code, 0);
    const fs::path index = Out() / ".vexlo" / "base" / "index";
    ASSERT_TRUE(Contains(ReadFile(index), "saved 62B0A1C3006B\tbody\tDelphi/Catalog.pas.vxlost"));
    fs::remove(Catalog().string() + ".vxlost");
    const std::string gone = "Catalog.pas.vxlost is gone, and with it the zone 62B0A1C3006B.body";
    // Previews change no store: generate's says what a run would do, reverse's nothing.
    Result dry = Generate({"--dry-run"});
    EXPECT_TRUE(Contains(dry.out, gone + " an earlier run saved there; a run that writes would")) << dry.out;
    Result reverse = Run({"reverse", m_model.string(), "--out", Out().string(), "--dry-run"}, ".",
                         "TMPDIR=" + Quote((m_dir / "tmp").string()));
    EXPECT_FALSE(Contains(reverse.out, "is gone")) << reverse.out;
    ASSERT_TRUE(Contains(ReadFile(index), "saved 62B0A1C3006B\tbody")) << "a dry run forgot the zone";
    Result r = Generate();
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, gone)) << r.out;
    EXPECT_FALSE(Contains(ReadFile(index), "saved ")) << ReadFile(index);
    Result again = Generate();
    EXPECT_FALSE(Contains(again.out, gone)) << again.out;
}

// Whoever runs it, with whatever TMPDIR: the lock is in the output folder.
TEST_F(RunStateTest, TheLockIsInTheOutputFolder)
{
    int fd = ::open((Out() / ".vexlo" / "lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    fs::create_directories(m_dir / "other-tmp");
    Result r = Run({"generate", m_model.string(), "--out", Out().string()}, ".",
                   "VEXLO_LOCK_WAIT=0.3 TMPDIR=" + Quote((m_dir / "other-tmp").string()));
    ::close(fd);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "is still generating into this folder")) << r.err;
    EXPECT_FALSE(fs::exists(m_dir / "tmp" / "vexlo-locks"));
    EXPECT_FALSE(fs::exists(m_dir / "other-tmp" / "vexlo-locks"));
}

// An unusable TMPDIR: the system's temporary folder, with a warning, never the current
// folder; the user's scratch folder there is private.
TEST_F(RunStateTest, AnUnusableTmpdirFallsBackToTheSystemsOne)
{
    WriteFile(m_dir / "a-file", "");
    const std::string tmpdirs[] = {"relative/tmp", "/nonexistent-vexlo-tmp", (m_dir / "a-file").string()};
    for (const std::string& tmpdir : tmpdirs) {
        SCOPED_TRACE(tmpdir);
        Result r = Run({"generate", m_model.string(), "--out", Out().string()}, ".", "TMPDIR=" + Quote(tmpdir));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(Contains(r.err, "is not usable for scratch files")) << r.err;
        for (const auto& entry : fs::directory_iterator(m_dir))
            EXPECT_EQ(entry.path().filename().string().rfind("vexlo-", 0), std::string::npos) << entry.path();
    }
    struct stat st {};
    ASSERT_EQ(::stat(("/tmp/vexlo-" + std::to_string(::getuid())).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

// Two users generating into the folder they share (group-writable, as a team shares one),
// each with a TMPDIR of their own: the other user's run waits for the lock this one holds,
// and then changes the files, keeping the user's line.
TEST_F(RunStateTest, TwoUsersTakeTurnsAndLoseNothing)
{
    const struct passwd* other = ::getpwnam("nobody");
    const struct group* group = ::getgrnam("nogroup");
    if (::getuid() != 0 || !other || !group || std::system("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "running vexlo as a second user (nobody) needs root and setpriv";
    const std::string asNobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    if (std::system((asNobody + "test -r " + Quote(m_model.string())).c_str()) != 0)
        GTEST_SKIP() << "the second user (nobody) cannot reach the test folder " << m_dir;
    std::string text = ReadFile(Catalog());
    const std::string mine = "  // shared by two users";
    text.insert(text.find("\r\n", text.find("//## begin Catalog%62B0A1C30007.suses")) + 2, mine + "\r\n");
    WriteFile(Catalog(), text);
    for (const auto& entry : fs::recursive_directory_iterator(Out())) {
        ASSERT_EQ(::chown(entry.path().c_str(), 0, group->gr_gid), 0);
        ::chmod(entry.path().c_str(), entry.is_directory() ? 02775 : 0664);
    }
    ASSERT_EQ(::chown(Out().c_str(), 0, group->gr_gid), 0);
    ::chmod(Out().c_str(), 02775);
    const fs::path otherTmp = m_dir / "tmp-other";
    fs::create_directories(otherTmp);
    ASSERT_EQ(::chown(otherTmp.c_str(), other->pw_uid, group->gr_gid), 0);
    ::chmod(m_registry.c_str(), 0644); // where the add-in module is registered
    auto asOther = [&](const std::string& env) {
        std::string command = Command({"generate", m_model.string(), "--out", Out().string()}, ".",
                                      "umask 002 && TMPDIR=" + Quote(otherTmp.string()) + " " + env);
        command.insert(command.find(" exec ") + 6, asNobody);
        fs::path out = m_dir / "other.out", err = m_dir / "other.err";
        int status = std::system(("(" + command + ") >" + Quote(out.string()) + " 2>" + Quote(err.string())).c_str());
        return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    };
    WriteFile(m_model, RenameTitle(ReadFile(m_model)));
    const auto before = Outputs(Out());
    int fd = ::open((Out() / ".vexlo" / "lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    Result waited = asOther("VEXLO_LOCK_WAIT=0.3");
    ::close(fd);
    EXPECT_EQ(waited.code, 1) << waited.err;
    EXPECT_TRUE(Contains(waited.err, "is still generating into this folder")) << waited.err;
    EXPECT_EQ(Outputs(Out()), before);
    Result r = asOther("");
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(ReadFile(Catalog()), "FHeading")) << r.out;
    EXPECT_TRUE(Kept(mine, r)) << r.out << r.err;
    EXPECT_EQ(Generate().code, 0) << "and the first user after the second";
    EXPECT_TRUE(Contains(ReadFile(Catalog()), mine));
}

} // namespace
