// Helpers shared by the petal tests: where the model files are, raw file access and
// counting of objects straight from the text (independent of the loader).
#pragma once

#include "ModelLoader.h"
#include "SampleModels.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace PetalTest {

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

inline std::string SampleDir() { return SampleFolder::Dir(); }
inline std::string SamplePath(const std::string& rel) { return SampleDir() + "/" + rel; }
inline std::wstring WSamplePath(const std::string& rel) { return Widen(SamplePath(rel)); }

// A model file the tests load: one the repository holds (`own`, relative to its root)
// or one of the samples beside the project (relative to their folder).
struct ModelFile {
    const char* file;
    bool own;
};
inline std::ostream& operator<<(std::ostream& os, const ModelFile& m) { return os << m.file; }
inline std::string PathOf(const ModelFile& m)
{
    return m.own ? std::string(VEXLO_SOURCE_DIR) + "/" + m.file : SamplePath(m.file);
}

// The raw bytes of a file; fails the test when it is not there.
inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "model file missing: " << path;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
inline std::string ReadSample(const std::string& rel) { return ReadText(SamplePath(rel)); }

// Lines whose first non-blank text starts with `prefix`.
inline size_t CountLines(const std::string& text, const std::string& prefix)
{
    size_t count = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t p = pos;
        while (p < end && (text[p] == ' ' || text[p] == '\t'))
            ++p;
        if (text.compare(p, prefix.size(), prefix) == 0 && end - p >= prefix.size())
            ++count;
        pos = end + 1;
    }
    return count;
}

inline RoseHost::LoadOptions EmfOptions()
{
    RoseHost::LoadOptions o;
    o.pathMap[L"VABASE_PLUGINS_PATH"] = WSamplePath("emf/plugins");
    return o;
}

} // namespace PetalTest
