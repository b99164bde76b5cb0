// The real Rose models that live beside the project (../shared/models in its own CI
// layout), not in the repository. Tests that read them skip where they are absent, with
// a message that says where they were looked for and how to point elsewhere.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace SampleFolder {

// VEXLO_SAMPLE_MODELS in the environment wins over the folder chosen at configure time.
inline std::string Dir()
{
    const char* dir = std::getenv("VEXLO_SAMPLE_MODELS");
    return dir && *dir ? dir : VEXLO_SAMPLE_MODELS_DIR;
}

inline bool Present() { return std::filesystem::is_directory(Dir()); }

inline std::string MissingNote()
{
    return "sample models not found in " + Dir() +
           " (they are not part of the repository; set VEXLO_SAMPLE_MODELS to their folder,"
           " at test time or when configuring, to run these tests)";
}

} // namespace SampleFolder

// The first statement of a test that reads the sample models.
#define VEXLO_REQUIRE_SAMPLE_MODELS()                         \
    do {                                                      \
        if (!::SampleFolder::Present())                       \
            GTEST_SKIP() << ::SampleFolder::MissingNote();    \
    } while (false)
