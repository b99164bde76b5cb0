// A C# file that cannot be written: the error reaches the caller with its message,
// code and trail; the file written before stays; the old file is left as it was.
#include "CSharpTestSupport.h"

#include <functional>

namespace CSharpTest {
namespace {

class FailureTest : public CSharpGenerationTest {};

TEST_F(FailureTest, FileThatCannotBeCreated)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path& file)> arrange; // file: the second component's
    };
    const Case cases[] = {
        {"a file where the folder should be",
         [](const fs::path& file) {
             fs::create_directories(file.parent_path().parent_path());
             WriteBytes(file.parent_path(), "no folder");
         }},
        {"a read-only old file",
         [](const fs::path& file) {
             fs::create_directories(file.parent_path());
             WriteBytes(file, "// the user's own file\r\n");
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         }},
        {"a folder where the file should be", [](const fs::path& file) { fs::create_directories(file / "inside"); }},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring n = std::to_wstring(index++);
        Subsystem* good = build.AddSubsystem(csharp, L"Good" + n);
        Subsystem* bad = build.AddSubsystem(csharp, L"Bad" + n);
        Class* cls = build.AddClass(L"Thing", L"Q-Thing" + n);
        build.AddOperation(cls, L"Run", L"void");
        // The class is in two components; generating it writes them in this order.
        build.AddModule(good, L"First" + n, L"", {cls});
        build.AddModule(bad, L"Second" + n, L"", {cls});
        const std::wstring relative = L"CSharp\\Bad" + n + L"\\Second" + n + L".cs";
        c.arrange(Output(relative));
        std::string old = fs::is_regular_file(Output(relative)) ? ReadBytes(Output(relative)) : "";

        CLmException error = Raised([&] { Wrap<CVXClass>(cls)->Generate(CLmBSTR(L"C#")); });
        EXPECT_EQ(L"Can't create file " + dir.wstring() + L"\\" + relative + L" . Error - [FFFFFF9C]",
                  Text(error.GetMessage()));
        EXPECT_EQ(-100, error.m_Code);
        // The trail names the operations the error went through, innermost first.
        std::wstring trail = Text(error.GetLocation());
        size_t module = trail.find(L"VexloLib/VXCSharpModule.cpp");
        size_t item = trail.find(L"VexloLib/VXItem.cpp", module);
        EXPECT_NE(std::wstring::npos, module) << Narrow(trail);
        EXPECT_NE(std::wstring::npos, item) << Narrow(trail);
        EXPECT_NE(std::wstring::npos, trail.find(L"VexloLib/VXClass.cpp", item)) << Narrow(trail);

        EXPECT_TRUE(fs::exists(Output(L"CSharp\\Good" + n + L"\\First" + n + L".cs"))) << "the file written before";
        if (!old.empty()) {
            EXPECT_EQ(old, ReadBytes(Output(relative)));
        }
    }
}

} // namespace
} // namespace CSharpTest
