// vexlo lint as a user runs it: the findings on the bundled example with their model
// file lines, the same model once its files hold the fixes in their zones, the
// component selection and the exit codes.
#include "CliTestSupport.h"
#include "SampleModels.h"

#include <algorithm>
#include <sstream>

namespace {

using namespace CliTest;

// Puts text at the start of the zone (scope, tag) of every file below the folder that
// has it; the number of zones filled.
int PutIntoZone(const fs::path& folder, const std::string& scope, const std::string& tag, const std::string& text)
{
    int filled = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        // .vexlo holds the run's own state, not the user's files.
        if (!entry.is_regular_file() || entry.path().string().find("/.vexlo/") != std::string::npos)
            continue;
        std::string bytes = ReadFile(entry.path());
        const std::string head = "//## begin " + scope + "%", tail = "." + tag + " preserve=yes";
        for (size_t at = bytes.find(head); at != std::string::npos; at = bytes.find(head, at + 1)) {
            size_t end = bytes.find("\r\n", at);
            if (end != std::string::npos && end >= tail.size() && bytes.compare(end - tail.size(), tail.size(), tail) == 0) {
                bytes.insert(end + 2, text);
                WriteFile(entry.path(), bytes);
                ++filled;
                break;
            }
        }
    }
    return filled;
}

// The 1-based line of the first line of the model that holds the text.
int ModelLine(const std::string& text)
{
    std::string model = ReadFile(EXAMPLE_MODEL);
    size_t at = model.find(text);
    return at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(model.begin(), model.begin() + at, '\n'));
}

struct LintRun {
    const char* name;
    std::vector<std::string> args;  // after "lint"; "MODEL" stands for the example
    bool generateAndFill = false;   // generate into "out" first and put the fixes into the zones
    int code;
    std::vector<std::string> expected; // in the output (standard output, then error)
};

const LintRun kRuns[] = {
    {"ExampleNeedsTwoZoneFixes",
     {"MODEL", "--out", "out"},
     false,
     1,
     {"delphi-published-rtti: Catalog::TItem: ", "put {$M+} into the \"preface\" zone of TItem,",
      "delphi-published-rtti: Catalog::TBook: ", "put {$M+} into the \"preface\" zone of TItem (its subclasses",
      "delphi-forward-declaration: Members::TMember: TMember uses TLoan",
      "put \"TLoan = class;\" into the \"preface\" zone of TMember",
      "unknown-type: LendingServer::Model::Entity::Created: the type \"DateTime\"",
      "put \"using System;\" into the \"suses\" zone of LendingModel", "vexlo lint: 6 findings in "}},
    {"FixesInTheZonesSettleThem", {"MODEL", "--out", "out"}, true, 0, {"vexlo lint: no findings in "}},
    // The C# DateTime findings, settled by a type map or by the team's known types.
    {"TypeMapFile", {"MODEL", "--out", "out", "--type-map", "map.txt"}, false, 1,
     {"type map map.txt: 3 type text(s) of the model mapped", "vexlo lint: 3 findings in "}},
    {"KnownTypes", {"MODEL", "--out", "out", "--known-types", "known.txt"}, false, 1, {"vexlo lint: 3 findings in "}},
    {"TypeMapWithoutEntry", {"MODEL", "--type-map", "bad.map"}, false, 3, {"bad.map:2: no \"=\""}},
    {"TypeMapMissing", {"MODEL", "--type-map", "none.map"}, false, 3, {"none.map: the type map cannot be read"}},
    {"OneComponent", {"MODEL", "--component", "LendingServices"}, false, 0, {"vexlo lint: no findings in 1 component\n"}},
    {"UnknownComponent", {"MODEL", "--component", "NoSuchThing"}, false, 2, {"NoSuchThing"}},
    {"NoModel", {}, false, 2, {"lint needs a model file"}},
    {"UnreadableModel", {"missing.mdl"}, false, 3, {"missing.mdl"}},
    {"OptionOfGenerateOnly", {"MODEL", "--class", "TItem"}, false, 2, {"unknown option for lint: --class"}},
};

class LintCliTest : public VexloRunTest, public ::testing::WithParamInterface<LintRun> {};

TEST_P(LintCliTest, FindingsAndExitCodes)
{
    const LintRun& run = GetParam();
    if (run.generateAndFill) {
        Result generated = Run({"generate", EXAMPLE_MODEL, "--out", "out"});
        ASSERT_EQ(0, generated.code) << generated.err;
        EXPECT_EQ(1, PutIntoZone(Dir() / "out", "TItem", "preface", "  {$M+}\r\n"));
        EXPECT_EQ(1, PutIntoZone(Dir() / "out", "TMember", "preface", "  TLoan = class;\r\n"));
        EXPECT_EQ(1, PutIntoZone(Dir() / "out", "LendingModel", "suses", "using System;\r\n"));
    }
    WriteFile(Dir() / "map.txt", "# DateTime without using System;\n[C#]\nDateTime = System.DateTime\n");
    WriteFile(Dir() / "known.txt", "# declared by our libraries\nDateTime\n");
    WriteFile(Dir() / "bad.map", "[Delphi]\nint Integer\n");
    std::vector<std::string> args = {"lint"};
    for (const std::string& arg : run.args)
        args.push_back(arg == "MODEL" ? std::string(EXAMPLE_MODEL) : arg);
    Result result = Run(args);
    EXPECT_EQ(run.code, result.code) << result.out << result.err;
    for (const std::string& part : run.expected)
        EXPECT_TRUE(Contains(result.out + result.err, part)) << part << "\n" << result.out << result.err;
    // Each finding starts with the model file and the line of the element's object.
    if (run.code == 1) {
        EXPECT_TRUE(Contains(result.out, std::string(EXAMPLE_MODEL) + ":" +
                                             std::to_string(ModelLine("(object Class \"TItem\"")) +
                                             ": delphi-published-rtti"))
            << result.out;
        EXPECT_TRUE(Contains(result.out, std::string(EXAMPLE_MODEL) + ":" +
                                             std::to_string(ModelLine("(object Class \"TMember\"")) +
                                             ": delphi-forward-declaration"))
            << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Lint, LintCliTest, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<LintRun>& info) { return std::string(info.param.name); });

// docs/CLI.md shows lint's output on the example; it is the tool's output, line by line.
TEST_F(VexloRunTest, TheDocumentedSampleIsTheRealOutput)
{
    std::string doc = ReadFile(CLI_DOC), sample;
    std::istringstream lines(doc);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("examples/Example.mdl:", 0) == 0 || line.rfind("vexlo lint: ", 0) == 0)
            sample += line + "\n";
    ASSERT_FALSE(sample.empty()) << "no lint sample in " << CLI_DOC;
    fs::create_directories(Dir() / "examples");
    fs::copy_file(EXAMPLE_MODEL, Dir() / "examples" / "Example.mdl");
    Result result = Run({"lint", "examples/Example.mdl", "--out", "out"});
    EXPECT_EQ(1, result.code) << result.err;
    EXPECT_EQ(sample, result.out);
}

// A model whose package lives in a unit file named with "\\": its findings name the unit
// file as every other path, with "/", so that problem matchers open it.
TEST_F(VexloRunTest, UnitFilesAreNamedWithSlashes)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    const std::string models = SampleFolder::Dir();
    Result result = Run({"lint", models + "/emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl", "--path-map",
                         "VABASE_PLUGINS_PATH=" + models + "/emf/plugins", "--language", "C#", "--out", "out"});
    EXPECT_EQ(1, result.code) << result.err;
    EXPECT_TRUE(Contains(result.out, "/org.eclipse.emf.ecore/model/org.eclipse.emf.Ecore.cat:")) << result.out;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.substr(0, line.find(": ")).find('\\'), std::string::npos) << line;
}

// generate applies the type map to the model in memory before the add-in reads it: the
// file holds the mapped type, the model file is as it was.
TEST_F(VexloRunTest, GenerateWritesTheMappedTypes)
{
    WriteFile(Dir() / "map.txt", "[C#]\nDateTime = System.DateTime\n");
    const std::string model = ReadFile(EXAMPLE_MODEL);
    Result result = Run({"generate", EXAMPLE_MODEL, "--out", "out", "--type-map", "map.txt"});
    ASSERT_EQ(0, result.code) << result.err;
    EXPECT_TRUE(Contains(result.err, "type map map.txt: 3 type text(s) of the model mapped")) << result.err;
    const std::string code = ReadFile(Dir() / "out" / "CSharp" / "LendingModel.cs");
    EXPECT_TRUE(Contains(code, "private readonly System.DateTime FCreated;")) << code;
    EXPECT_FALSE(Contains(code, " DateTime F")) << code;
    EXPECT_EQ(model, ReadFile(EXAMPLE_MODEL));
}

} // namespace
