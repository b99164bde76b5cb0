// Generated files keep the form of the user's checkout: the line ends git gave them
// (LF, CR LF, per file, or as .gitattributes says) and their encoding (UTF-8 with its
// mark stays so, with every character of the zones, names and documentation), for a
// run, --check and --diff alike; --line-ends and --encoding override.
#include "FilledOutput.h"

#include <regex>

using namespace CliTest;

namespace {

std::string WithEnds(const std::string& text, bool crlf)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' && crlf)
            out += '\r';
        out += text[i];
    }
    return out;
}

bool AllCrLf(const std::string& text) { return std::regex_search(text, std::regex("\r\n")) && !std::regex_search(text, std::regex("[^\r]\n")); }
bool AllLf(const std::string& text) { return text.find('\r') == std::string::npos && text.find('\n') != std::string::npos; }

int Differing(const std::string& err)
{
    std::smatch m;
    return std::regex_search(err, m, std::regex("([0-9]+) of [0-9]+ file\\(s\\) differ")) ? std::stoi(m[1]) : 0;
}

struct Checkout {
    const char* name;
    const char* lf;            // files (by extension, "*" all, "" none) checked out with LF
    const char* gitattributes; // at the work tree's top ("" none)
    std::vector<std::string> flags;
    int differ;                // files that --check finds out of sync with the model as it is
    bool full = false;         // also a run, a model change, --diff and patch
};

std::ostream& operator<<(std::ostream& os, const Checkout& c) { return os << c.name; }

class LineEndTest : public FilledRunTest, public ::testing::WithParamInterface<Checkout> {
protected:
    void SetUp() override
    {
        FilledRunTest::SetUp();
        Result settle = Generate(); // the filled zones as generation writes them back
        ASSERT_EQ(settle.code, 0) << settle.err;
    }
    // The checked-in files as the checkout has them, and the work tree around them.
    void CheckOut(const Checkout& c)
    {
        for (auto& [path, text] : Outputs(Out())) {
            const std::string ext = path.extension().string();
            const bool lf = std::string(c.lf) == "*" || (*c.lf && ext == c.lf);
            WriteFile(path, WithEnds(text, !lf));
        }
        fs::create_directories(m_dir / ".git");
        if (*c.gitattributes)
            WriteFile(m_dir / ".gitattributes", c.gitattributes);
    }
};

TEST_P(LineEndTest, TheGateComparesAndARunWritesInTheCheckoutsLineEnds)
{
    const Checkout& c = GetParam();
    CheckOut(c);
    std::vector<std::string> check = c.flags;
    check.push_back("--check");
    Result inSync = Generate("", check);
    EXPECT_EQ(inSync.code, c.differ ? 1 : 0) << inSync.out << inSync.err;
    EXPECT_EQ(Differing(inSync.err), c.differ) << inSync.err;
    if (!c.full)
        return;

    // A real run brings the files to the form --check wanted, and --check is then content.
    Result run = Generate("", c.flags);
    ASSERT_EQ(run.code, 0) << run.err;
    const auto settled = Outputs(Out());
    EXPECT_EQ(Generate("", check).code, 0);
    EXPECT_TRUE(SilentlyLost(m_lines, settled, run.err).empty());

    // A model change: --check fails on exactly the changed files, --diff applied to the
    // checkout gives what a run writes, line ends included.
    WriteFile(m_model, std::regex_replace(ReadFile(m_model), std::regex("Title"), "Heading"));
    check.push_back("--diff");
    Result changed = Generate("", check);
    EXPECT_EQ(changed.code, 1);
    EXPECT_EQ(Differing(changed.err), 2) << changed.err;
    const fs::path copy = m_dir / "copy";
    fs::copy(Out(), copy, fs::copy_options::recursive);
    WriteFile(m_dir / "changes.diff", changed.out.substr(std::min(changed.out.find("--- a/"), changed.out.size())));
    ASSERT_EQ(std::system(("cd " + Quote(copy.string()) + " && patch -s -p1 --binary < " +
                           Quote((m_dir / "changes.diff").string()))
                              .c_str()),
              0);
    ASSERT_EQ(Generate("", c.flags).code, 0);
    for (const auto& [path, text] : Outputs(Out())) {
        EXPECT_EQ(ReadFile(copy / fs::relative(path, Out())), text) << path;
        EXPECT_TRUE(AllLf(text) == AllLf(settled.at(path)) && AllCrLf(text) == AllCrLf(settled.at(path))) << path;
    }
}

// The example writes 8 files, 2 of them C# (.cs).
INSTANTIATE_TEST_SUITE_P(
    Checkouts, LineEndTest,
    ::testing::Values(
        Checkout{"CrLf", "", "", {}, 0, true},
        Checkout{"Lf", "*", "", {}, 0, true},
        Checkout{"MixedPerFile", ".cs", "", {}, 0, true}),
    [](const ::testing::TestParamInfo<Checkout>& info) { return std::string(info.param.name); });

// What .gitattributes and --line-ends ask for, each judged by --check (which changes
// nothing) on one LF checkout.
TEST_F(LineEndTest, GitAttributesAndTheOptionDecide)
{
    const Checkout cases[] = {
        {"eol=lf for all", "*", "* text=auto eol=lf\n", {}, 0},
        {"eol=crlf for C#", "*", "# C# tools\n*.cs eol=crlf\n", {}, 2},
        {"eol unset again", "*", "*.cs eol=crlf\n*.cs !eol\n", {}, 0},
        {"text unset for C#", "*", "* eol=crlf\n[attr]x -text\n*.cs -text\n", {}, 6},
        {"pattern with a folder", "*", "out/CSharp/** eol=crlf\n", {}, 2},
        {"--line-ends crlf", "*", "", {"--line-ends", "crlf"}, 8},
        {"--line-ends lf over eol=crlf", "*", "* eol=crlf\n", {"--line-ends", "lf"}, 0},
    };
    CheckOut(cases[0]);
    for (const Checkout& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(m_dir / ".gitattributes", c.gitattributes);
        std::vector<std::string> check = c.flags;
        check.push_back("--check");
        Result r = Generate("", check);
        EXPECT_EQ(r.code, c.differ ? 1 : 0) << r.err;
        EXPECT_EQ(Differing(r.err), c.differ) << r.err;
    }
}

// A file whose own lines end both ways is written as the add-in writes it (CR LF), and
// so is a .gitattributes outside any git work tree ignored.
TEST_F(LineEndTest, MixedFileGetsTheAddinsLineEnds)
{
    CheckOut(Checkout{"", "", "", {}, 0});
    fs::remove_all(m_dir / ".git");
    WriteFile(m_dir / ".gitattributes", "* eol=lf\n");
    const fs::path unit = Out() / "Delphi" / "Catalog.pas";
    std::string text = ReadFile(unit);
    text.replace(text.find("\r\n"), 2, "\n");
    WriteFile(unit, text);
    Result check = Generate("", {"--check"});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(Differing(check.err), 1) << check.err;
    ASSERT_EQ(Generate().code, 0);
    EXPECT_TRUE(AllCrLf(ReadFile(unit)));
}

} // namespace
