// The example's output with the user's code in it: every zone of every generated file
// gets two unique lines ("user<N>a;", "user<N>b;"), so that a test can tell where each
// line of the user's went after a run.
#pragma once

#include "CliTestSupport.h"

#include <map>
#include <set>

namespace CliTest {

struct Zone {
    fs::path file;
    std::string marker;             // the begin-marker line
    std::vector<std::string> lines; // the user's lines put into it
};

// Puts two unique lines into every zone of every generated file below `out`.
inline std::vector<Zone> FillZones(const fs::path& out)
{
    std::vector<Zone> zones;
    for (auto it = fs::recursive_directory_iterator(out); it != fs::recursive_directory_iterator(); ++it) {
        const fs::directory_entry& entry = *it;
        if (entry.path().filename() == ".vexlo")
            it.disable_recursion_pending();
        if (!entry.is_regular_file())
            continue;
        std::string text = ReadFile(entry.path()), filled;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            filled += line + "\n";
            if (!Contains(line, "//## begin "))
                continue;
            Zone zone{entry.path(), line.substr(line.find("//## begin ")), {}};
            for (const char* part : {"a", "b"})
                zone.lines.push_back("user" + std::to_string(zones.size()) + part);
            for (const std::string& user : zone.lines)
                filled += "    " + user + ";\r\n";
            zones.push_back(zone);
        }
        WriteFile(entry.path(), filled);
    }
    return zones;
}

// Every regular file below `out` (the run's own scratch or state folders excluded).
inline std::map<fs::path, std::string> Outputs(const fs::path& out)
{
    std::map<fs::path, std::string> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(out, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->path().filename() == ".vexlo")
            it.disable_recursion_pending();
        if (it->is_regular_file())
            files[it->path()] = ReadFile(it->path());
    }
    return files;
}

// The user's lines that no file holds, or that only a recovery file holds without a
// warning (`err`) that names it: the silent losses.
inline std::vector<std::string> SilentlyLost(const std::vector<std::string>& lines,
                                             const std::map<fs::path, std::string>& files, const std::string& err)
{
    std::vector<std::string> lost;
    for (const std::string& line : lines) {
        bool found = false;
        for (const auto& [path, text] : files)
            if (Contains(text, line) &&
                (path.extension() != ".vxlost" || Contains(err, "saved to " + path.string()) ||
                 Contains(err, "saved to " + path.generic_string())))
                found = true;
        if (!found)
            lost.push_back(line);
    }
    return lost;
}

inline std::vector<std::string> LinesOf(const std::vector<Zone>& zones)
{
    std::vector<std::string> lines;
    for (const Zone& zone : zones)
        lines.insert(lines.end(), zone.lines.begin(), zone.lines.end());
    return lines;
}

// The example generated into `out` of the test's folder, then a unique line in every
// zone; the run's scratch folders and locks go to `tmp` of the test's folder.
class FilledRunTest : public VexloRunTest {
protected:
    void SetUp() override
    {
        VexloRunTest::SetUp();
        fs::create_directories(m_dir / "tmp");
        m_model = m_dir / "model.mdl";
        WriteFile(m_model, ReadFile(EXAMPLE_MODEL));
        Result first = Generate();
        ASSERT_EQ(first.code, 0) << first.err;
        m_zones = FillZones(Out());
        m_lines = LinesOf(m_zones);
    }

    fs::path Out() const { return m_dir / "out"; }

    Result Generate(const std::string& env = "", const std::vector<std::string>& more = {})
    {
        std::vector<std::string> args = {"generate", m_model.string(), "--out", Out().string()};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args, ".", "TMPDIR=" + Quote((m_dir / "tmp").string()) + " " + env);
    }

    fs::path m_model;
    std::vector<Zone> m_zones;
    std::vector<std::string> m_lines;
};

} // namespace CliTest
