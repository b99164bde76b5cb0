// Random edits of the generated code of the example and the sample models, in both
// languages, read back by `vexlo reverse`: afterwards `generate --check` is up to date,
// every file equals the edited one up to the generator's normalisations, and every line
// that stood inside a zone still does. Seeded: a failure prints the seed and the edits;
// VEXLO_REVERSE_SEED=S VEXLO_REVERSE_ROUNDS=N repeats it (scripts/reverse-sweep.sh).
#include "CliTestSupport.h"
#include "RandomEdits.h"
#include "ReverseTestSupport.h"
#include "SampleModels.h"

#include <algorithm>

using namespace CliTest;
using namespace ReverseTest;

namespace {

int EnvNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// The lines of a (sorted) that b lacks, one a line.
std::string Minus(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::string> rest;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(rest));
    std::string text;
    for (const std::string& line : rest)
        text += "\n  " + line;
    return text;
}

struct Case {
    std::string model;                 // the model file
    std::vector<std::string> options;  // of generate and reverse
};

class RandomEdit : public VexloRunTest {
protected:
    std::vector<CodeFile> Generated(const fs::path& out)
    {
        std::vector<CodeFile> files;
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".pas" || ext == ".cs"))
                files.push_back(CodeFile::Parse(fs::relative(entry.path(), out).string(), ReadFile(entry.path())));
        }
        std::sort(files.begin(), files.end(), [](const CodeFile& a, const CodeFile& b) { return a.path < b.path; });
        return files;
    }

    // One round: generate afresh, edit, reverse, compare.
    void Round(const Case& c, unsigned seed)
    {
        const fs::path model = m_dir / fs::path(c.model).filename();
        fs::remove_all(m_dir / "out");
        fs::copy_file(c.model, model, fs::copy_options::overwrite_existing);
        fs::permissions(model, fs::perms::owner_write, fs::perm_options::add);
        std::vector<std::string> args = {"generate", model.filename().string(), "--out", "out"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args).code, 0);

        std::mt19937 rng(seed);
        std::vector<CodeFile> files = Generated(m_dir / "out");
        std::string edits;
        for (int k = 1; k <= 4; ++k)
            edits += "\n  " + ApplyRandomEdit(files, rng, static_cast<int>(seed % 1000) * 10 + k);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", edits:" + edits);
        for (const CodeFile& f : files)
            WriteFile(m_dir / "out" / f.path, f.Text());

        args[0] = "reverse";
        args.push_back("--prune");
        Result r = Run(args);
        ASSERT_EQ(r.code, 0) << r.out << r.err;
        args[0] = "generate";
        args.back() = "--check";
        Result check = Run(args);
        EXPECT_EQ(check.code, 0) << check.out << check.err << r.out;
        for (const CodeFile& f : files) {
            SCOPED_TRACE(f.path);
            const std::string now = ReadFile(m_dir / "out" / f.path), edited = f.Text();
            const std::vector<std::string> got = Normalised(now), want = Normalised(edited);
            // A new C# class may come with a namespace block of its own: every line, and more.
            EXPECT_TRUE(got == want || (f.csharp && std::includes(got.begin(), got.end(), want.begin(), want.end())))
                << "edited, not after reverse:" << Minus(want, got) << "\nafter reverse, not edited:" << Minus(got, want)
                << "\n--- the run\n" << r.out << r.err;
            // What reverse read back stands in the new file: the zone guard saves nothing.
            EXPECT_FALSE(fs::exists(m_dir / "out" / (f.path + ".vxlost"))) << ReadFile(m_dir / "out" / (f.path + ".vxlost"));
            const std::vector<std::string> before = ZoneLines(edited), after = ZoneLines(now);
            EXPECT_TRUE(std::includes(after.begin(), after.end(), before.begin(), before.end()))
                << "no longer inside a zone:" << Minus(before, after);
        }
    }
};

TEST_F(RandomEdit, ReverseReadsBackRandomEditsOfTheGeneratedCode)
{
    std::vector<Case> cases = {{EXAMPLE_MODEL, {}}};
    if (SampleFolder::Present()) {
        for (const char* m : {"atm.mdl", "library-gbk.mdl", "umldemo.mdl"})
            for (const char* language : {"Delphi", "C#"})
                cases.push_back({SampleFolder::Dir() + "/" + m, {"--language", language}});
    } else {
        std::cout << SampleFolder::MissingNote() << "\n";
    }
    const int first = EnvNumber("VEXLO_REVERSE_SEED", 1), rounds = EnvNumber("VEXLO_REVERSE_ROUNDS", 1);
    for (size_t i = 0; i < cases.size(); ++i)
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(cases[i].model + (cases[i].options.empty() ? "" : " " + cases[i].options[1]) +
                         "; VEXLO_REVERSE_SEED=" + std::to_string(first + round) + " repeats it");
            Round(cases[i], static_cast<unsigned>((first + round) * 100 + static_cast<int>(i)));
        }
}

} // namespace
