// Previews of a run (--dry-run, --check, --diff) and its report, over the example's
// output with the user's code in every zone: a preview changes nothing in the output
// folder (bytes, inodes, timestamps) and leaves no scratch folder behind; a normal run
// leaves files whose text did not change as they were.
#include "FilledOutput.h"

#include <sys/stat.h>

#include <regex>

using namespace CliTest;

namespace {

// What a file is on disk, beyond its bytes: a rewrite changes one of these.
struct Identity {
    ino_t inode = 0;
    long long mtimeNs = 0;
    bool operator==(const Identity&) const = default;
};

std::map<fs::path, Identity> Identities(const fs::path& out)
{
    std::map<fs::path, Identity> ids;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        struct stat st {};
        if (entry.is_regular_file() && entry.path().string().find("/.vexlo/") == std::string::npos &&
            ::stat(entry.path().c_str(), &st) == 0)
            ids[entry.path()] = {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return ids;
}

int Count(const std::string& text, const std::string& pattern)
{
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

// Model edits: the title attribute renamed (two files change), the search engine moved
// into the members' unit (its zones are carried), an operation given a new identity (its
// body zone has no place left).
std::string Edit(const std::string& model, const std::string& kind)
{
    if (kind == "rename")
        return std::regex_replace(model, std::regex("Title"), "Heading");
    if (kind == "move")
        return std::regex_replace(
            model, std::regex("module\\s+\"Component View::Delphi::Search::SearchEngine\"\\s+quidu\\s+\"62B0A1C3000C\""),
            "module \"Component View::Delphi::Members\" quidu \"62B0A1C30008\"");
    if (kind == "orphan")
        return std::regex_replace(model, std::regex("62B0A1C300A4"), "62B0A1C399A4");
    return model;
}

struct PreviewCase {
    const char* name;
    const char* edit;
    std::vector<std::string> flags;
    int code;
    // Each pattern must match the given number of lines of standard output.
    std::vector<std::pair<const char*, int>> out;
    const char* err; // a pattern standard error must hold
};

std::ostream& operator<<(std::ostream& os, const PreviewCase& c) { return os << c.name; }

class PreviewTest : public FilledRunTest, public ::testing::WithParamInterface<PreviewCase> {
protected:
    void SetUp() override
    {
        FilledRunTest::SetUp();
        // The filled files end in a line end the generator does not write: one run
        // settles them, as the user's next generation would.
        Result settle = Generate();
        ASSERT_EQ(settle.code, 0) << settle.err;
    }
};

TEST_P(PreviewTest, ChangesNothingAndSaysWhatARunWouldDo)
{
    const PreviewCase& c = GetParam();
    WriteFile(m_model, Edit(ReadFile(m_model), c.edit));
    const fs::path out = Out();
    const auto files = Outputs(out);
    const auto ids = Identities(out);

    Result preview = Generate("", c.flags);
    EXPECT_EQ(preview.code, c.code) << preview.out << preview.err;
    for (const auto& [pattern, times] : c.out)
        EXPECT_EQ(Count(preview.out, std::string("(^|\n)") + pattern), times) << pattern << "\n" << preview.out;
    EXPECT_TRUE(std::regex_search(preview.err, std::regex(c.err))) << preview.err;
    EXPECT_EQ(Outputs(out), files);
    EXPECT_EQ(Identities(out), ids);
    for (const auto& entry : fs::recursive_directory_iterator(m_dir / "tmp"))
        EXPECT_NE(entry.path().filename().string().rfind("vexlo-shadow-", 0), 0u) << "left behind: " << entry.path();

    // The real run then does what the preview announced, to the same files; the diff,
    // applied by patch to a copy of the old files, gives what the run wrote.
    if (std::find(c.flags.begin(), c.flags.end(), "--diff") == c.flags.end())
        return;
    const fs::path copy = m_dir / "copy";
    fs::copy(out, copy, fs::copy_options::recursive);
    WriteFile(m_dir / "changes.diff", preview.out.substr(std::min(preview.out.find("--- a/"), preview.out.size())));
    ASSERT_EQ(std::system(("cd " + Quote(copy.string()) + " && patch -s -p1 --binary < " +
                           Quote((m_dir / "changes.diff").string()))
                              .c_str()),
              0);
    Result real = Generate();
    ASSERT_EQ(real.code, 0) << real.err;
    auto written = Outputs(out), patched = Outputs(copy);
    ASSERT_EQ(written.size(), patched.size());
    for (const auto& [path, text] : written)
        EXPECT_EQ(patched[copy / fs::relative(path, out)], text) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PreviewTest,
    ::testing::Values(
        PreviewCase{"NothingToDoCheck", "", {"--check"}, 0, {{"unchanged: ", 0}, {"replace: ", 0}}, "all 8 file\\(s\\) are up to date"},
        PreviewCase{"NothingToDoDryRun", "", {"--dry-run"}, 0, {{"unchanged: ", 8}, {"replace: ", 0}}, "^$"},
        PreviewCase{"RenameCheckDiff", "rename", {"--check", "--diff"}, 1,
                    {{"replace: ", 2}, {"--- a/CSharp/LendingModel.cs", 1}, {"\\+\\+\\+ b/Delphi/Catalog.pas", 1}, {"-.*FTitle", 2}},
                    "2 of 8 file\\(s\\) differ"},
        PreviewCase{"RenameDiff", "rename", {"--diff"}, 0, {{"replace: ", 2}, {"--- a/", 2}, {"would save", 0}}, "^$"},
        PreviewCase{"MoveDryRun", "move", {"--dry-run"}, 0,
                    {{"would carry: .* from .*SearchEngine.pas:[0-9]+ into .*Members.pas", 13}, {"replace: ", 3}}, "^$"},
        PreviewCase{"MoveDiff", "move", {"--diff"}, 0, {{"\\+    user[0-9]+a;\r", 13}}, "^$"},
        PreviewCase{"OrphanDryRun", "orphan", {"--dry-run"}, 0,
                    {{"would save: .*LendingModel.cs:[0-9]+: .*Lend.* \\(to .*LendingModel.cs.vxlost\\)", 1}}, "^$"}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });

// A normal run leaves a file whose text is the same as it was, its inode and time; a
// read-only output folder can still be checked; the report holds what the run did.
TEST_F(PreviewTest, UnchangedFilesStayAndTheReportSaysWhatHappened)
{
    const fs::path out = Out(), report = m_dir / "run.json";
    WriteFile(m_model, Edit(ReadFile(m_model), "rename"));
    const auto before = Identities(out);
    Result run = Generate("", {"--report", report.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Count(run.out, "(^|\n)unchanged: "), 6) << run.out;
    int kept = 0;
    for (const auto& [path, id] : Identities(out))
        kept += before.count(path) && before.at(path) == id;
    EXPECT_EQ(kept, 6);

    const std::string json = ReadFile(report);
    for (const char* field :
         {"\"mode\": \"generate\"", "\"summary\": \\{\"create\": 0, \"replace\": 2, \"unchanged\": 6\\}",
          "\"exitCode\": 0", "\"action\": \"replace\", \"bytes\": [1-9][0-9]*, \"zones\": \\{\"kept\": [1-9]",
          "\"timingsMs\": \\{\"load\": [0-9]+"})
        EXPECT_TRUE(std::regex_search(json, std::regex(field))) << field << "\n" << json;

    // Read-only: a check reads and compares, and says the tree is up to date.
    for (const auto& entry : fs::recursive_directory_iterator(out))
        fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    fs::permissions(out, fs::perms::owner_write, fs::perm_options::remove);
    Result check = Generate("", {"--check", "--report", report.string()});
    EXPECT_EQ(check.code, 0) << check.err;
    EXPECT_TRUE(std::regex_search(ReadFile(report), std::regex("\"mode\": \"check\"[^]*\"unchanged\": 8\\}")));
}

} // namespace
