// Helpers for the tests that run vexlo as a subprocess: a scratch folder and registry
// file of the test's own, and the run's exit code and output.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace CliTest {

namespace fs = std::filesystem;

struct Result {
    int code = -1;
    std::string out, err;
};

inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class VexloRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("vexlo-cli-" + std::to_string(std::random_device()()));
        fs::create_directories(m_dir);
        m_dir = fs::canonical(m_dir);
        m_registry = m_dir / "registry.reg";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const auto& entry : fs::recursive_directory_iterator(m_dir, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

    // The command line for vexlo run in `cwd` (relative to the test folder).
    std::string Command(const std::vector<std::string>& args, const std::string& cwd = ".",
                        const std::string& env = "") const
    {
        std::string command = "cd " + Quote((m_dir / cwd).string()) + " && " + env +
                              " VEXLO_REGISTRY=" + Quote(m_registry.string()) + " exec " + Quote(VEXLO_EXE);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        return command;
    }

    Result Run(const std::vector<std::string>& args, const std::string& cwd = ".", const std::string& env = "")
    {
        fs::path out = m_dir / "stdout.txt", err = m_dir / "stderr.txt";
        int status = std::system(("(" + Command(args, cwd, env) + ") >" + Quote(out.string()) + " 2>" +
                                  Quote(err.string()))
                                     .c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }

    std::string Registry() const { return ReadFile(m_registry); }
    const fs::path& Dir() const { return m_dir; }

    fs::path m_dir;
    fs::path m_registry;
};

} // namespace CliTest
