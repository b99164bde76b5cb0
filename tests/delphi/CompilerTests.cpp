// The compiler as judge: the Delphi components of the bundled example, generated and
// with a few method bodies filled in their zones, compile with Free Pascal in Delphi
// mode.
#include "DelphiTestSupport.h"

#include <cstdio>
#include <set>

namespace DelphiTest {
namespace {

bool HaveFpc()
{
    int status = 0;
    Shell("fpc -iV", status);
    return status == 0;
}

class CompilerTest : public GenerationTest {
protected:
    void SetUp() override
    {
        GenerationTest::SetUp();
        std::unique_ptr<Model> loaded =
            LoadRoseModel((SourceDir() / "examples" / "Example.mdl").wstring(), LoadOptions());
        build.model = std::shared_ptr<Model>(std::move(loaded));
        ModelBuilder::Set(build.model.get(), L"Directory", dir.wstring());
    }

    std::vector<fs::path> GenerateDelphiComponents()
    {
        for (Module* module : build.model->allModules)
            if (module->language == L"Delphi")
                Generate(module);
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        return files;
    }
};

TEST_F(CompilerTest, ExampleUnitsCompileWithFreePascal)
{
    if (!HaveFpc())
        GTEST_SKIP() << "fpc (Free Pascal) is not installed; scripts/setup.sh installs it";
    std::vector<fs::path> files = GenerateDelphiComponents();
    std::vector<fs::path> units;
    std::set<fs::path> folders;
    for (const fs::path& file : files)
        if (file.extension() == ".pas") {
            units.push_back(file);
            folders.insert(file.parent_path());
        }
    ASSERT_GE(units.size(), 3u) << "the example has several Delphi units";

    // The user's code in some zones: RTTI for the class with published members (Free
    // Pascal insists on it where Delphi only warns), the forward declaration that two
    // classes referring to each other need, a read accessor's result, a local variable
    // and a method body, and the implementation's uses clause.
    int filled = 0;
    for (const fs::path& unit : units) {
        filled += FillZone(unit, "Catalog", "iuses", "uses\r\n  SysUtils;\r\n");
        filled += FillZone(unit, "TItem", "preface", "  {$M+}\r\n");
        filled += FillZone(unit, "TMember", "preface", "  TLoan = class;\r\n");
        filled += FillZone(unit, "TItem::GetTitle", "getbody", "    Result := UpperCase(FTitle);\r\n");
        filled += FillZone(unit, "TDateRange::Days", "var", "var\r\n  Count: Integer;\r\n");
        filled += FillZone(unit, "TDateRange::Days", "body", "  Count := 1;\r\n  Result := Count;\r\n");
    }
    EXPECT_EQ(6, filled);

    fs::path out = dir / "fpc-out";
    fs::create_directories(out);
    std::string command = "cd \"" + out.string() + "\" && fpc -Mdelphi -vew -FE\"" + out.string() + "\"";
    for (const fs::path& folder : folders)
        command += " -Fu\"" + folder.string() + "\"";
    for (const fs::path& unit : units) {
        int status = 0;
        std::string output = Shell(command + " \"" + unit.string() + "\"", status);
        EXPECT_EQ(0, status) << unit.filename() << ":\n" << output << "\n---\n" << ReadBytes(unit);
    }
}

} // namespace
} // namespace DelphiTest
