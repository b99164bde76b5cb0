// The vexlo tool run as a subprocess, each test with its own registry file and folder.
#include "CliTestSupport.h"
#include "SampleModels.h"

#include <algorithm>
#include <regex>

using namespace CliTest;

namespace {

// The lines that start with the prefix, without it.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line.substr(prefix.size()));
    return lines;
}

using CliTest = VexloRunTest;

fs::path SampleModel(const char* name) { return fs::path(SampleFolder::Dir()) / name; }

// ------------------------------------------------------------------ command line

TEST_F(CliTest, CommandLineErrorsAreUsageErrorsAndHelpIsNot)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"generate"},
        {"show"},
        {"generate", EXAMPLE_MODEL, "--host", "eclipse"},
        {"generate", EXAMPLE_MODEL, "--language", "Pascal"},
        {"generate", EXAMPLE_MODEL, "--path-map", "=dir"},
        {"generate", EXAMPLE_MODEL, "--codepage", "abc"},
        {"generate", EXAMPLE_MODEL, "--fail", "Name"},
        {"show", EXAMPLE_MODEL, "--class", "TBook"},
        {"generate", EXAMPLE_MODEL, "extra.mdl"},
    };
    for (const auto& args : cases) {
        Result r = Run(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "(no arguments)" : args[0] + " ...") << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, "vexlo: ")) << r.err;
    }
    Result help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(Contains(help.out, "Usage: vexlo") && Contains(help.out, "Exit codes")) << help.out;
    Result version = Run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(std::regex_search(version.out, std::regex("^vexlo [0-9]+\\.[0-9]+"))) << version.out;
}

// ------------------------------------------------------------------ registration

TEST_F(CliTest, RegisterWritesTheKeysAndUnregisterTakesThemAway)
{
    Result reg = Run({"register"});
    ASSERT_EQ(reg.code, 0) << reg.err;
    for (const char* key : {"HKEY_CLASSES_ROOT\\Vexlo.VXRoseDelphiAddin\\CLSID", "HKEY_CLASSES_ROOT\\Vexlo.VXRoseCSharpAddin.1",
                            "HKEY_CLASSES_ROOT\\CLSID\\{CD30F4BA-FE87-40A8-91A7-807FD52140C0}\\InprocServer32",
                            "HKEY_CLASSES_ROOT\\TypeLib\\{50442E6E-880A-498D-8831-7E810770A8D3}"})
        EXPECT_TRUE(Contains(reg.out, key)) << key << "\n" << reg.out;
    EXPECT_TRUE(Contains(reg.out, "ThreadingModel = \"Apartment\""));
    // The module beside the executable is the one registered.
    EXPECT_TRUE(Contains(reg.out, "@ = \"" + fs::path(VEXLO_MODULE).string() + "\"")) << reg.out;
    EXPECT_TRUE(Contains(Registry(), "Vexlo.VXRoseDelphiAddin"));

    Result unreg = Run({"unregister"});
    ASSERT_EQ(unreg.code, 0) << unreg.err;
    EXPECT_TRUE(Contains(unreg.out, "No Vexlo keys are registered.")) << unreg.out;
    EXPECT_FALSE(Contains(Registry(), "Vexlo.VXRoseDelphiAddin"));
}

TEST_F(CliTest, AModuleThatDoesNotLoadIsAnAddinError)
{
    Result r = Run({"register", (Dir() / "missing.so").string()});
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(Contains(r.err, "missing.so")) << r.err;
}

// ------------------------------------------------------------------ the real add-in

struct ProtocolCase {
    const char* host;
    bool menu;
    const char* executable;
    const char* generation;
};

TEST_F(CliTest, GenerateRegistersTheModuleAndCallsBackInRoseOrder)
{
    const ProtocolCase cases[] = {
        {"rose", false, "C:\\Program Files\\Rational\\Rose\\rose.exe", "OnGenerateCode"},
        {"rose", true, "C:\\Program Files\\Rational\\Rose\\rose.exe", "OnSelectedContextMenuItem"},
        {"modeler", false, "\\Vmodeler\\vm.exe", "OnGenerateCode"},
        {"modeler", true, "\\Vmodeler\\vm.exe", "OnSelectedContextMenuItem"},
    };
    for (const ProtocolCase& c : cases) {
        SCOPED_TRACE(std::string(c.host) + (c.menu ? " --menu" : ""));
        std::vector<std::string> args = {"generate", EXAMPLE_MODEL, "--host", c.host, "--trace-host",
                                         "--out", (Dir() / "out").string()};
        if (c.menu)
            args.push_back("--menu");
        Result r = Run(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "host: executable ")) << r.out;
        EXPECT_TRUE(Contains(r.out, c.executable)) << r.out;

        // Both add-ins have work in the example: each is activated, asked to generate
        // and deactivated. OnEnableContextMenuItems is left out here: the host calls it
        // only for an add-in that added the "Generate Code" item (see the stand-in's test).
        std::vector<std::string> calls;
        for (const std::string& call : LinesStartingWith(r.out, "host: call Vexlo."))
            if (!Contains(call, "OnEnableContextMenuItems"))
                calls.push_back(call.substr(0, call.find(' ')));
        const std::string g = c.generation;
        const std::vector<std::string> expected = {
            "VXRoseDelphiAddin.OnActivate", "VXRoseCSharpAddin.OnActivate",   "VXRoseDelphiAddin." + g,
            "VXRoseCSharpAddin." + g,       "VXRoseDelphiAddin.OnDeactivate", "VXRoseCSharpAddin.OnDeactivate"};
        EXPECT_EQ(calls, expected) << r.out;
        std::vector<std::string> results;
        for (const std::string& line : LinesStartingWith(r.out, "host: Vexlo."))
            if (Contains(line, " -> "))
                results.push_back(line);
        EXPECT_EQ(results.size(), LinesStartingWith(r.out, "host: call Vexlo.").size());
        for (const std::string& result : results)
            EXPECT_TRUE(Contains(result, "-> 0x00000000")) << result;
    }
    // The module was registered on the way, as `register` would have done it.
    EXPECT_TRUE(Contains(Registry(), "Vexlo.VXRoseDelphiAddin"));
    EXPECT_TRUE(Contains(Registry(), fs::path(VEXLO_MODULE).filename().string()));
}

// ------------------------------------------------------------------ the stand-in add-in

// The calls of the menu path, in order, with the items the add-in added through its
// own entry.
TEST_F(CliTest, TheContextMenuPathUsesTheItemsTheAddinAdded)
{
    Result r = Run({"generate", EXAMPLE_MODEL, "--component", "CSharp::LendingModel", "--menu", "--trace-host"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<std::string> lines;
    for (const std::string& line : LinesStartingWith(r.out, "host: "))
        if (line.rfind("call ", 0) == 0 || line.rfind("menu item", 0) == 0)
            lines.push_back(line);
    const std::vector<std::string> expected = {
        "call Vexlo.VXRoseCSharpAddin.OnActivate (DISPID 1)",
        "menu item added through \"C#\": type 4 \"Generate Code\" (CODEGEN)",
        "menu item added through \"C#\": type 7 \"Generate Code\" (CODEGEN)",
        "call Vexlo.VXRoseCSharpAddin.OnEnableContextMenuItems (DISPID 5)",
        "call Vexlo.VXRoseCSharpAddin.OnSelectedContextMenuItem (DISPID 4)",
        "call Vexlo.VXRoseCSharpAddin.OnDeactivate (DISPID 2)"};
    EXPECT_EQ(lines, expected) << r.out;
    EXPECT_FALSE(Contains(r.err, "warning")) << r.err;
}

// Delphi is asked first, each add-in with the selected elements of its language, and
// only their files are written.
TEST_F(CliTest, EachAddinIsGivenTheSelectedElementsOfItsLanguage)
{
    Result r = Run({"generate", EXAMPLE_MODEL, "--class", "TBook", "--class", "LendingServer::Model::Loan",
                    "--component", "Delphi::Search::SearchEngine", "--trace-host", "--out", "out"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(LinesStartingWith(r.out, "host: selection for "),
              (std::vector<std::string>{"Delphi: classes Catalog::TBook; components Delphi::Search::SearchEngine",
                                        "C#: classes LendingServer::Model::Loan; components -"}));
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Dir() / "out"))
        if (entry.is_regular_file() && entry.path().string().find("/.vexlo/") == std::string::npos)
            files.push_back(fs::relative(entry.path(), Dir() / "out").string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"CSharp/LendingModel.cs", "Delphi/Catalog.pas",
                                               "Delphi/Search/SearchEngine.pas"}));
}

// A host call made to fail: the add-in's error information, its location trail, and the
// add-in still closed down.
TEST_F(CliTest, AFailingHostCallEndsWithTheErrorInformation)
{
    const struct {
        const char* fail;
        const char* hresult;
        const char* text;
    } cases[] = {
        {"GetSelectedModules=0x80004005", "0x80004005", "IRoseModel.GetSelectedModules failed"},
        {"IRoseApplication.CurrentModel=-2147418113", "0x8000FFFF", "IRoseApplication.CurrentModel failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fail);
        Result r = Run({"generate", EXAMPLE_MODEL, "--component", "Delphi::Members", "--fail", c.fail, "--trace-host",
                        "--out", "out"});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.err, std::string("Vexlo.VXRoseDelphiAddin.OnGenerateCode failed with HRESULT ") + c.hresult))
            << r.err;
        EXPECT_TRUE(Contains(r.err, c.text)) << r.err;
        EXPECT_TRUE(Contains(r.err, "\nVexlo/VXRoseDelphiAddin.cpp - ")) << r.err;
        EXPECT_TRUE(Contains(r.out, "host: call Vexlo.VXRoseDelphiAddin.OnDeactivate")) << r.out;
    }
}

// ------------------------------------------------------------------ selection and models

TEST_F(CliTest, NamesThatMatchNothingListCloseMatches)
{
    struct Case {
        const char* option;
        const char* name;
        const char* suggestion;
    };
    const Case cases[] = {
        {"--class", "TBok", "Catalog::TBook"},
        {"--class", "Catalog::TLoan", "Members::TLoan"},
        {"--component", "LendingModl", "CSharp::LendingModel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Result r = Run({"generate", EXAMPLE_MODEL, c.option, c.name});
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(Contains(r.err, std::string("named \"") + c.name + "\"")) << r.err;
        EXPECT_TRUE(Contains(r.err, std::string("\n  ") + c.suggestion)) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(CliTest, ModelErrorsNameFileLineAndColumn)
{
    fs::path bad = Dir() / "bad.mdl";
    std::ofstream(bad) << "(object Petal\n    version 45\n    charSet 0)\n\n(object Design \"Logical View\"\n    quid \"1\"\n    root_category (list\n";
    for (const char* command : {"show", "generate"}) {
        Result r = Run({command, bad.string()});
        EXPECT_EQ(r.code, 3) << command;
        EXPECT_TRUE(std::regex_search(r.err, std::regex("bad\\.mdl:[0-9]+:[0-9]+: "))) << r.err;
    }
    // A model that cannot be read: the reason, and no invented place in it.
    for (const auto& [name, reason] : {std::pair{"none.mdl", "no such file"}, std::pair{"folder.mdl", "is a folder"}}) {
        fs::create_directories(Dir() / "folder.mdl");
        Result r = Run({"show", (Dir() / name).string()});
        EXPECT_EQ(r.code, 3) << name;
        EXPECT_TRUE(Contains(r.err, (Dir() / name).string() + ": " + reason + "\n")) << r.err;
    }
}

TEST_F(CliTest, ShowListsTheClassesOfASampleModel)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    fs::path atm = SampleModel("atm.mdl");
    Result r = Run({"show", atm.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* cls : {"class ATM [no language] not assigned", "class bank ", "class saving account "})
        EXPECT_TRUE(Contains(r.out, cls)) << cls << "\n" << r.out;

    // --language turns the model's classes into one Delphi unit named after the model.
    Result delphi = Run({"show", atm.string(), "--language", "Delphi", "--out", "OUT"});
    ASSERT_EQ(delphi.code, 0) << delphi.err;
    EXPECT_TRUE(Contains(delphi.out, "class ATM [Delphi] -> atm")) << delphi.out;
    // A relative folder is given to the add-in from the current folder.
    EXPECT_TRUE(Contains(delphi.out, "component atm [Delphi] unit -> " + fs::canonical(Dir()).string() + "/OUT\\atm.pas"))
        << delphi.out;

    // Nothing has a language of the add-in without it: nothing to do, and no add-in call.
    Result nothing = Run({"generate", atm.string(), "--trace-host"});
    EXPECT_EQ(nothing.code, 0);
    EXPECT_TRUE(Contains(nothing.err, "nothing to generate")) << nothing.err;
    EXPECT_FALSE(Contains(nothing.out, "host: call")) << nothing.out;
}

TEST_F(CliTest, ShowComputesOutputPathsAsTheGeneratorsDo)
{
    Result r = Run({"show", EXAMPLE_MODEL, "--out", "$OUT\\gen", "--path-map", "OUT=/base"});
    ASSERT_EQ(r.code, 0) << r.err;
    const char* expected[] = {
        // "AUTO GENERATE" subsystems become folders below the model's "Directory".
        "component Catalog [Delphi] unit -> /base\\gen\\Delphi\\Catalog.pas",
        "component LendingDesk [Delphi] program -> /base\\gen\\Delphi\\LendingDesk.dpr",
        "component LendingPackage [Delphi] package -> /base\\gen\\Delphi\\LendingPackage.dpk",
        "component SearchEngine [Delphi] unit -> /base\\gen\\Delphi\\Search\\SearchEngine.pas",
        // "." puts the components in the parent's folder.
        "component LendingServices [C#] -> /base\\gen\\CSharp\\LendingServices.cs",
        "component LendingTests [C#] -> /base\\gen\\CSharp\\LendingTests.cs (not written",
    };
    for (const char* line : expected)
        EXPECT_TRUE(Contains(r.out, line)) << line << "\n" << r.out;
    // An unknown symbol expands to nothing.
    Result unknown = Run({"show", EXAMPLE_MODEL, "--out", "$NOWHERE\\gen"});
    EXPECT_TRUE(Contains(unknown.out, "-> \\gen\\Delphi\\Catalog.pas")) << unknown.out;
}

} // namespace
