// libFuzzer target: both code readers over arbitrary bytes, handed over in a buffer of
// exactly their size. Neither may crash or throw, and every line they report must lie
// inside the text, with each declaration ending at or after its start.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "Declarations.h"

namespace
{
    void Check(bool condition)
    {
        if (!condition)
            std::abort();
    }

    void CheckFile(const VexloCode::CodeFile& file, int lines)
    {
        auto inside = [&](int first, int last) { return first >= 1 && first <= last && last <= lines; };
        for (const VexloCode::TypeDecl& type : file.types)
        {
            Check(inside(type.line, type.endLine));
            for (const VexloCode::Member& member : type.members)
                Check(inside(member.line, member.endLine) && member.line >= type.line);
        }
        for (const VexloCode::NotReadBack& skipped : file.notReadBack)
            Check(inside(skipped.line, skipped.line) && !skipped.why.empty());
    }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> buffer(new char[size ? size : 1]);
    if (size)
        std::memcpy(buffer.get(), data, size);
    const std::string_view text(buffer.get(), size);
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    CheckFile(VexloCode::ReadDelphi("fuzz.pas", text), lines);
    CheckFile(VexloCode::ReadCSharp("fuzz.cs", text), lines);
    return 0;
}
