// The compiler as judge: the C# components of the bundled example, generated and with
// the user's code in their zones, compile with the Mono C# compiler as one library.
#include "CSharpTestSupport.h"

namespace CSharpTest {
namespace {

// Every method and read accessor body that is still empty gets a statement that is
// valid whatever the member returns.
std::string FillEmptyBodies(const std::string& text)
{
    std::string result;
    size_t position = 0, begin;
    while ((begin = text.find("//## begin ", position)) != std::string::npos) {
        size_t preserve = text.find(" preserve=", begin);
        size_t textStart = text.find("\r\n", preserve) + 2;
        size_t end = text.find("//## end", textStart);
        std::string tag = text.substr(text.rfind('.', preserve) + 1, preserve - text.rfind('.', preserve) - 1);
        std::string indent = text.substr(text.rfind('\n', begin) + 1, begin - text.rfind('\n', begin) - 1);
        result += text.substr(position, textStart - position);
        if ((tag == "body" || tag == "getbody") && text.find_first_not_of(" ", textStart) == end)
            result += indent + "  throw new System.NotImplementedException();\r\n" + indent;
        else
            result += text.substr(textStart, end - textStart);
        position = end;
    }
    return result + text.substr(position);
}

class CompilerTest : public GenerationTest {
protected:
    CompilerTest() : GenerationTest(L"C#") {}
};

TEST_F(CompilerTest, ExampleFilesCompileWithMcs)
{
    int status = 0;
    Shell("mcs --version", status);
    if (status != 0)
        GTEST_SKIP() << "mcs (mono-mcs) is not installed; scripts/setup.sh installs it";
    LoadModel(SourceDir() / "examples" / "Example.mdl");
    for (Module* module : build.model->allModules)
        if (module->language == L"C#")
            Generate(module);
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.path().extension() == ".cs")
            files.push_back(entry.path());
    ASSERT_EQ(2u, files.size()) << "the example has two C# components that are generated";

    // The user's code: the using directive the model's types need, a few bodies, and a
    // statement in every body left empty.
    int filled = 0;
    for (const fs::path& file : files) {
        filled += FillZone(file, "LendingModel", "suses", "using System;\r\n");
        filled += FillZone(file, "LendingServices", "suses", "using System;\r\n");
        filled += FillZone(file, "Book::Describe", "body", "      return \"Book \" + FTitle;\r\n");
        filled += FillZone(file, "DateSpan::Days", "body", "      return (int)(FEnd - FStart).TotalDays;\r\n");
        WriteBytes(file, FillEmptyBodies(ReadBytes(file)));
    }
    EXPECT_EQ(4, filled);

    std::string command = "mcs -target:library -nologo -out:\"" + (dir / "Example.dll").string() + "\"";
    for (const fs::path& file : files)
        command += " \"" + file.string() + "\"";
    std::string output = Shell(command, status);
    std::string sources;
    for (const fs::path& file : files)
        sources += "--- " + file.filename().string() + "\n" + ReadBytes(file);
    EXPECT_EQ(0, status) << output << "\n" << sources;
    EXPECT_TRUE(fs::exists(dir / "Example.dll"));
}

} // namespace
} // namespace CSharpTest
