// Native runs of the shared platform tests must not touch the user's registry
// file or depend on the caller's ANSI code page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class PosixEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        m_file = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexlo-platform-tests-" + std::to_string(getpid()) + ".reg";
        setenv("VEXLO_REGISTRY", m_file.c_str(), 1);
        setenv("VEXLO_ACP", "1252", 1);
    }
    void TearDown() override
    {
        unlink(m_file.c_str());
        unlink((m_file + ".lock").c_str());
    }

private:
    std::string m_file;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PosixEnvironment);

}  // namespace
