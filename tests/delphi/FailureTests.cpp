// Files that cannot be written: the error reaches the caller with its code and trail,
// files written before stay, and the old file is never left half-written or changed.
#include "DelphiTestSupport.h"

#include "VXGenerator.h"

#include <functional>

namespace DelphiTest {
namespace {

class FailureTest : public GenerationTest {
protected:
    Subsystem* good = nullptr;
    Subsystem* bad = nullptr;
    Class* cls = nullptr;
    Module* first = nullptr;
    Module* second = nullptr;

    void SetUp() override
    {
        GenerationTest::SetUp();
        good = build.AddSubsystem(build.components, L"Good");
        bad = build.AddSubsystem(build.components, L"Bad");
        cls = build.AddClass(L"TThing", L"Q-TThing");
        build.AddOperation(cls, L"Run");
        // The class is in two components; the driver generates them in this order.
        first = build.AddModule(good, L"First", L"unit", {cls});
        second = build.AddModule(bad, L"Second", L"unit", {cls});
    }

    CLmException GenerateClass()
    {
        return Raised([&] { Wrap<CVXClass>(cls)->Generate(CLmBSTR(L"Delphi")); });
    }

    void ExpectCantCreate(const CLmException& error, const std::wstring& relative)
    {
        std::wstring path = dir.wstring() + L"\\" + relative;
        EXPECT_EQ(L"Can't create file " + path + L" . Error - [FFFFFF9C]", Text(error.GetMessage()));
        EXPECT_EQ(-100, error.m_Code);
        // The trail names the operations the error went through, innermost first.
        std::wstring trail = Text(error.GetLocation());
        size_t module = trail.find(L"VexloLib/VXDelphiModule.cpp");
        size_t item = trail.find(L"VexloLib/VXItem.cpp");
        size_t cls = trail.find(L"VexloLib/VXClass.cpp");
        EXPECT_NE(std::wstring::npos, module) << Narrow(trail);
        EXPECT_LT(module, item) << Narrow(trail);
        EXPECT_LT(item, cls) << Narrow(trail);
    }

    std::vector<fs::path> Leftovers() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.path().extension() == ".vxnew")
                found.push_back(entry.path());
        return found;
    }
};

TEST_F(FailureTest, FileThatCannotBeCreatedIsLeftAsItWas)
{
    const std::string old = "unit Second;\r\n// the user's own file\r\nend.";
    const fs::path file = Output(L"Bad\\Second.pas");
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"a file where the folder should be", [&] { WriteBytes(dir / "Bad", "no folder"); }},
        {"a read-only old file",
         [&] {
             fs::create_directories(dir / "Bad");
             WriteBytes(file, old);
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         }},
        {"a folder where the file should be", [&] { fs::create_directories(file / "inside"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ignored;
        fs::permissions(file, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
        fs::create_directories(dir);
        c.arrange();
        std::string before = fs::is_regular_file(file) ? ReadBytes(file) : "";
        ExpectCantCreate(GenerateClass(), L"Bad\\Second.pas");
        EXPECT_TRUE(fs::exists(Output(L"Good\\First.pas"))) << "the file written before stays";
        if (!before.empty()) {
            EXPECT_EQ(before, ReadBytes(file));
        }
        EXPECT_TRUE(Leftovers().empty());
    }
}

// An old file whose markers cannot be read would lose the user's text: it is refused
// before anything is written.
TEST_F(FailureTest, UnreadableMarkersStopBeforeWriting)
{
    Generate(first);
    fs::path file = Output(L"Good\\First.pas");
    std::string text = ReadBytes(file);
    std::string truncated = text.substr(0, text.find("//## end TThing::Run"));
    WriteBytes(file, truncated);
    CLmException error = Raised([&] { Generate(first); });
    EXPECT_EQ(-100, error.m_Code);
    EXPECT_NE(std::wstring::npos, Text(error.GetMessage()).find(L"First.pas")) << Narrow(Text(error.GetMessage()));
    EXPECT_EQ(truncated, ReadBytes(file));
}

// A successful replacement leaves the new text and nothing else; the temporary file
// stands next to the target.
TEST_F(FailureTest, ReplacementIsWholeAndLeavesNoTemporaryFile)
{
    Generate(first);
    fs::path file = Output(L"Good\\First.pas");
    std::string once = ReadBytes(file);
    ASSERT_FALSE(once.empty());
    WriteBytes(file, once + "\r\n// trailing text outside every zone");
    Generate(first);
    EXPECT_EQ(once, ReadBytes(file));
    EXPECT_TRUE(Leftovers().empty());
    std::wstring a = Text(CVXGenerator::GetTemporaryPath(CLmBSTR(L"a\\b.pas")));
    std::wstring b = Text(CVXGenerator::GetTemporaryPath(CLmBSTR(L"a\\b.pas")));
    EXPECT_NE(a, b);
    EXPECT_EQ(0u, a.rfind(L"a\\b.pas.", 0));

    // A stale temporary file from an earlier crash is not in the way, and left alone.
    WriteBytes(Output(L"Good\\First.pas.vxnew"), "half");
    Generate(first);
    EXPECT_EQ(once, ReadBytes(file));
    EXPECT_EQ("half", ReadBytes(Output(L"Good\\First.pas.vxnew")));
    EXPECT_EQ(1u, Leftovers().size());
}

} // namespace
} // namespace DelphiTest
