// vexlo against what real use throws at it: references to classes a model does not hold,
// relative folders, runs at the same time, Ctrl-C, files that cannot be written, models
// saved in other code pages.
#include "CliTestSupport.h"
#include "SampleModels.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

using namespace CliTest;

namespace {

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

// One class TWorker in a Delphi unit, whose relations name classes the model lacks: a
// superclass and a dependency without "quidu", a realization, a has relationship and an
// association role whose "quidu" resolves to nothing.
const char* const kDanglingModel = R"((object Petal
    version 47
    charSet 0)

(object Design "Logical View"
    quid "M0"
    root_category (object Class_Category "Logical View"
        quid "L0"
        logical_models (list unit_reference_list
            (object Class "TWorker"
                quid "C1"
                superclasses (list inheritance_relationship_list
                    (object Inheritance_Relationship quid "R1" supplier "Logical View::CWinThread"))
                used_nodes (list uses_relationship_list
                    (object Uses_Relationship quid "R2" supplier "list"))
                realized_interfaces (list realize_rel_list
                    (object Realize_Relationship quid "R3" supplier "Logical View::IRunnable" quidu "0000DEAD0001"))
                fields (list has_relationship_list
                    (object Has_Relationship quid "R4" supplier "Logical View::TBuffer" quidu "0000DEAD0002"))
                module "Component View::Work" quidu "K1")
            (object Association "$UNNAMED$0"
                quid "A1"
                roles (list role_list
                    (object Role "$UNNAMED$1" quid "RR1" label "Failure"
                        supplier "Logical View::java::io::IOException" quidu "0000DEAD0003" is_navigable TRUE)
                    (object Role "$UNNAMED$2" quid "RR2" supplier "Logical View::TWorker" quidu "C1")))
            (object Class "TOther"
                quid "C2"
                superclasses (list inheritance_relationship_list
                    (object Inheritance_Relationship quid "R5" supplier "Logical View::CWinThread"))
                module "Component View::Work" quidu "K1")))
    root_subsystem (object SubSystem "Component View"
        quid "S0"
        physical_models (list unit_reference_list
            (object module "Work" "NotAModuleType" "NotAModulePart" quid "K1" language "Delphi"))))
)";

class RobustnessTest : public VexloRunTest {
protected:
    fs::path Write(const std::string& name, const std::string& text) const
    {
        fs::path path = m_dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

TEST_F(RobustnessTest, UnresolvedReferencesGenerateAndAreListedOnce)
{
    fs::path model = Write("dangling.mdl", kDanglingModel);
    struct Case {
        const char* written;  // as the model writes it
        const char* kind;     // how the warning names the reference
        int line;             // of its first reference
    };
    const Case cases[] = {
        {"Logical View::CWinThread", "superclass of TWorker", 13},
        {"list", "class dependency of TWorker", 15},
        {"Logical View::IRunnable", "realized interface of TWorker", 17},
        {"Logical View::TBuffer", "has relationship of TWorker", 19},
        {"Logical View::java::io::IOException", "association role in an association with TWorker", 24},
    };
    for (const char* command : {"show", "generate"}) {
        SCOPED_TRACE(command);
        Result r = Run({command, model.string(), "--out", "gen"});
        ASSERT_EQ(r.code, 0) << r.err;
        for (const Case& c : cases) {
            std::string quoted = std::string("the class \"") + c.written + "\"";
            EXPECT_EQ(1u, Count(r.err, quoted)) << r.err;
            EXPECT_TRUE(Contains(r.err, "dangling.mdl:" + std::to_string(c.line) + ": " + quoted + " (" + c.kind + ")"))
                << c.written << "\n" << r.err;
        }
        EXPECT_TRUE(Contains(r.err, "CWinThread\" (superclass of TWorker) is not in the model; 1 more reference")) << r.err;
    }
    std::string unit = ReadFile(m_dir / "gen" / "Work.pas");
    EXPECT_TRUE(Contains(unit, "TWorker = class (CWinThread)")) << unit;
}

TEST_F(RobustnessTest, RelativeFoldersAreCreatedFromTheCurrentFolder)
{
    fs::path model = Write("models/dangling.mdl", kDanglingModel);
    std::string relativeDirectory = kDanglingModel;
    relativeDirectory.replace(relativeDirectory.find("    root_category"), 0,
                              "    attributes (list Attribute_Set (object Attribute tool \"Delphi\" name \"Directory\" "
                              "value \"src\\\\delphi\"))\n");
    fs::path own = Write("models/own.mdl", relativeDirectory);
    struct Case {
        std::vector<std::string> args;
        const char* cwd;
        const char* file;  // below the test folder
    };
    const Case cases[] = {
        {{"generate", model.string(), "--out", "a/b/c"}, ".", "a/b/c/Work.pas"},
        {{"generate", "dangling.mdl", "--out", "..\\deep\\er"}, "models", "deep/er/Work.pas"},
        {{"generate", own.string()}, "models", "models/src/delphi/Work.pas"},
        {{"generate", model.string()}, "models", "models/Work.pas"},
        {{"generate", model.string(), "--out", "$OUT\\x", "--path-map", "OUT=mapped/y"}, ".", "mapped/y/x/Work.pas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Result r = Run(c.args, c.cwd);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(Contains(ReadFile(m_dir / c.file), "TWorker = class")) << r.out << r.err;
    }
}

TEST_F(RobustnessTest, TwoRunsAtOnceBothSucceedWithWholeFiles)
{
    // A fresh registry: both runs register the add-in while the other does.
    for (int round = 0; round < 3; ++round) {
        fs::remove(m_registry);
        std::string one = "(" + Command({"generate", EXAMPLE_MODEL, "--out", "same"}) + ") >'" + (m_dir / "o1").string() +
                          "' 2>&1; echo $? >'" + (m_dir / "rc1").string() + "'";
        std::string two = "(" + Command({"generate", EXAMPLE_MODEL, "--out", "same"}) + ") >'" + (m_dir / "o2").string() +
                          "' 2>&1; echo $? >'" + (m_dir / "rc2").string() + "'";
        ASSERT_EQ(0, std::system((one + " & " + two + "; wait").c_str()));
        EXPECT_EQ("0\n", ReadFile(m_dir / "rc1")) << ReadFile(m_dir / "o1");
        EXPECT_EQ("0\n", ReadFile(m_dir / "rc2")) << ReadFile(m_dir / "o2");
    }
    Result alone = Run({"generate", EXAMPLE_MODEL, "--out", "alone"});
    ASSERT_EQ(alone.code, 0) << alone.err;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(m_dir / "alone")) {
        if (!entry.is_regular_file() || entry.path().string().find("/.vexlo/") != std::string::npos)
            continue;
        ++files;
        fs::path twin = m_dir / "same" / fs::relative(entry.path(), m_dir / "alone");
        EXPECT_EQ(ReadFile(entry.path()), ReadFile(twin)) << twin;
    }
    EXPECT_GT(files, 3u);
    for (const auto& entry : fs::recursive_directory_iterator(m_dir / "same"))
        EXPECT_NE(".vxnew", entry.path().extension()) << entry.path();
}

TEST_F(RobustnessTest, ThePathMapOfTheUserIsNeverWritten)
{
    const std::string user = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Microsoft\\Visual Modeler\\Virtual Path Map]\r\n"
                             "\"OUT\"=\"/user/choice\"\r\n\r\n";
    std::ofstream(m_registry, std::ios::binary) << user;
    // Registered first, so that the runs below change nothing else.
    ASSERT_EQ(0, Run({"register"}).code);
    const std::string before = ReadFile(m_registry);
    ASSERT_TRUE(Contains(before, "/user/choice"));

    Result r = Run({"generate", EXAMPLE_MODEL, "--out", "$OUT\\gen", "--path-map", "OUT=" + (m_dir / "run").string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(m_dir / "run" / "gen")) << r.out;
    EXPECT_EQ(before, ReadFile(m_registry));

    // Interrupted in the middle of a run: nothing of the run is left in the registry.
    for (int delayMs : {20, 80, 200}) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setpgid(0, 0);
            execl("/bin/sh", "sh", "-c",
                  (Command({"generate", EXAMPLE_MODEL, "--out", "$OUT\\gen", "--path-map", "OUT=" + (m_dir / "int").string()}) +
                   " >/dev/null 2>&1")
                      .c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        kill(-child, SIGINT);
        kill(child, SIGINT);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(before, ReadFile(m_registry)) << delayMs;
    }
}

TEST_F(RobustnessTest, FilesThatCannotBeWrittenAreExplained)
{
    fs::path model = Write("dangling.mdl", kDanglingModel);
    struct Case {
        const char* name;
        bool permissions;  // needs permissions that bind (not root)
        void (*prepare)(const fs::path& out);
        const char* out;   // below the case's folder
        const char* why;
        bool atLock = false; // the output folder itself cannot take the run's lock
    };
    const Case cases[] = {
        {"read-only file", true,
         [](const fs::path& out) {
             std::ofstream(out / "Work.pas") << "old";
             fs::permissions(out / "Work.pas", fs::perms::owner_read);
         },
         "", "the file is read-only"},
        {"read-only folder", true,
         [](const fs::path& out) { fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec); }, "",
         "is read-only: no file can be created in it", true},
        {"folder in the way", false, [](const fs::path& out) { fs::create_directories(out / "Work.pas"); }, "",
         "a folder of that name is in the way"},
        {"file instead of a folder", false, [](const fs::path& out) { std::ofstream(out / "sub") << "x"; },
         "sub/deeper", "sub\" is a file, not a folder", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.permissions && geteuid() == 0)
            continue;  // permissions do not stop root
        fs::path out = m_dir / c.name;
        fs::create_directories(out);
        c.prepare(out);
        Result r = Run({"generate", model.string(), "--out", (out / c.out).string()});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.err, c.atLock ? ".vexlo: the folder of the run's lock cannot be created"
                                              : "Work.pas: the new file of component Work cannot be written"))
            << r.err;
        EXPECT_TRUE(Contains(r.err, c.why)) << r.err;
        EXPECT_TRUE(Contains(r.err, c.atLock ? "nothing was written" : "Every file of the run is as it was before"))
            << r.err;
    }
}

TEST_F(RobustnessTest, WritingKeepsPermissionsAndLinks)
{
    fs::path model = Write("dangling.mdl", kDanglingModel);
    ASSERT_EQ(0, Run({"generate", model.string(), "--out", "gen"}).code);
    fs::path unit = m_dir / "gen" / "Work.pas";
    fs::rename(unit, m_dir / "kept.pas");
    fs::permissions(m_dir / "kept.pas", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(m_dir / "kept.pas", unit);
    Write("kept.pas", ReadFile(m_dir / "kept.pas") + "\r\n");  // changed, so that it is rewritten

    Result r = Run({"generate", model.string(), "--out", "gen"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(unit));
    EXPECT_TRUE(Contains(ReadFile(m_dir / "kept.pas"), "TWorker = class"));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(m_dir / "kept.pas").permissions() & fs::perms::all);
}

TEST_F(RobustnessTest, TheCodePageComesFromTheModel)
{
    struct Case {
        const char* charSet;
        std::vector<std::string> extra;
        const char* env;
        const char* shown;
    };
    const Case cases[] = {
        {"134", {}, "", "code page: 936 (the model's charSet 134)"},
        {"238", {}, "", "code page: 1250 (the model's charSet 238)"},
        {"204", {}, "", "code page: 1251 (the model's charSet 204)"},
        {"0", {}, "", "code page: 1252 (the default)"},
        {"134", {"--codepage", "1253"}, "", "code page: 1253 (--codepage)"},
        {"134", {}, "VEXLO_ACP=1257", "code page: 1257 (VEXLO_ACP)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        std::string text = kDanglingModel;
        text.replace(text.find("charSet 0"), 9, std::string("charSet ") + c.charSet);
        fs::path model = Write("cp.mdl", text);
        std::vector<std::string> args = {"show", model.string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        Result r = Run(args, ".", c.env);
        EXPECT_TRUE(Contains(r.out, c.shown)) << r.out << r.err;
    }
}

TEST_F(RobustnessTest, OldFilesTheCodePageCannotCarryAreReported)
{
    struct Case {
        const char* charSet;
        std::vector<std::string> extra;
        const char* line; // the old file's fourth line
        const char* warning; // "" for none
    } cases[] = {
        // "\xFF" is no GBK character.
        {"charSet 134", {}, "// \xFF stray", "Work.pas:4:4: the old file holds bytes that code page 936 cannot represent"},
        {"charSet 134", {}, "// plain", ""},
        // Plain ASCII text is no plain text of an EBCDIC page.
        {"charSet 0", {"--codepage", "37"}, "// plain", "Work.pas:1:1: the old file holds bytes that code page 37 cannot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.charSet) + " " + c.line);
        std::string text = kDanglingModel;
        text.replace(text.find("charSet 0"), 9, c.charSet);
        fs::path model = Write("cp.mdl", text);
        fs::remove_all(m_dir / "gen");
        fs::create_directories(m_dir / "gen");
        Write("gen/Work.pas", std::string("unit Work;\r\n\r\ninterface\r\n") + c.line + "\r\n");
        std::vector<std::string> args = {"generate", model.string(), "--out", "gen"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        Result r = Run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        if (*c.warning)
            EXPECT_TRUE(Contains(r.err, c.warning)) << r.err;
        else
            EXPECT_FALSE(Contains(r.err, "cannot represent")) << r.err;
    }
}

TEST_F(RobustnessTest, EverySampleModelGeneratesFromAFreshFolder)
{
    struct Sample {
        const char* file;
        std::vector<std::string> extra;
        int code = 0; // a C++ model's header/body pairs are two components to one file: refused
    };
    VEXLO_REQUIRE_SAMPLE_MODELS();
    const std::string plugins = fs::path(SampleFolder::Dir()) / "emf" / "plugins";
    const Sample samples[] = {
        {"atm.mdl", {}},
        {"umldemo.mdl", {}},
        {"zelva-design.mdl", {}, 3},
        {"library-gbk.mdl", {}},
        {"emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl", {"--path-map", "VABASE_PLUGINS_PATH=" + plugins}},
    };
    for (const Sample& s : samples) {
        fs::path model = fs::path(SampleFolder::Dir()) / s.file;
        SCOPED_TRACE(s.file);
        std::string folder = "fresh-" + model.stem().string();
        fs::create_directories(m_dir / folder);
        std::vector<std::string> args = {"generate", model.string(), "--language", "Delphi", "--out", "out/x"};
        args.insert(args.end(), s.extra.begin(), s.extra.end());
        Result r = Run(args, folder);
        EXPECT_EQ(r.code, s.code) << r.err.substr(0, 2000);
        if (s.code == 0)
            EXPECT_TRUE(fs::exists(m_dir / folder / "out" / "x")) << r.out.substr(0, 2000);
        else
            EXPECT_NE(r.err.find("one would overwrite the other; nothing was written"), std::string::npos) << r.err;
    }
}

} // namespace
