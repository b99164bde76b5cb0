// The example model generated into out/ and reversed, as the reverse tests drive it.
#pragma once

#include "CliTestSupport.h"

#include <string>
#include <vector>

namespace ReverseTest {

inline const char* const kCatalog = "Delphi/Catalog.pas";
inline const char* const kModel = "CSharp/LendingModel.cs";

class ReverseExample : public CliTest::VexloRunTest {
protected:
    void Generate()
    {
        CliTest::fs::copy_file(EXAMPLE_MODEL, m_dir / "Example.mdl");
        CliTest::Result r = Run({"generate", "Example.mdl", "--out", "out"});
        ASSERT_EQ(r.code, 0) << r.err;
    }
    CliTest::Result Reverse(std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"reverse", "Example.mdl", "--out", "out"};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
};

} // namespace ReverseTest
