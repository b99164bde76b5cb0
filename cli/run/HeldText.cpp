#include "HeldText.h"

#include "DurableFiles.h"
#include "TextHash.h"

#include "vxplat/Kernel.h"

#include <bit>
#include <cstring>

namespace VexloCli {

HeldText::HeldText(std::string text) : m_text(std::move(text)), m_size(m_text.size()) {}

HeldText HeldText::InFile(const std::wstring& file, const std::string& text, bool sameAsFile)
{
    if (!sameAsFile && !WriteScratch(file, text))
        return HeldText(text);
    HeldText held;
    held.m_file = file;
    held.m_size = text.size();
    held.m_hash = TextHash(text);
    return held;
}

std::optional<std::string> HeldText::Read() const
{
    if (InMemory())
        return m_text;
    std::optional<std::string> text = ReadWhole(m_file);
    if (text && (text->size() != m_size || TextHash(*text) != m_hash)) {
        SetLastError(ERROR_INVALID_DATA);
        return std::nullopt;
    }
    return text;
}

} // namespace VexloCli
