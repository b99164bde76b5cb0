#include "HeldText.h"

#include "DurableFiles.h"

#include "vxplat/Kernel.h"

#include <bit>
#include <cstring>

namespace VexloCli {

namespace {

uint64_t Hash(std::string_view text)
{
    uint64_t h = text.size();
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        h = (std::rotl(h, 29) ^ word) * 0x9E3779B97F4A7C15ull;
    }
    for (; i < text.size(); ++i)
        h = (std::rotl(h, 29) ^ static_cast<unsigned char>(text[i])) * 0x9E3779B97F4A7C15ull;
    return h;
}

} // namespace

HeldText::HeldText(std::string text) : m_text(std::move(text)), m_size(m_text.size()) {}

HeldText HeldText::InFile(const std::wstring& file, const std::string& text, bool sameAsFile)
{
    if (!sameAsFile && !WriteScratch(file, text))
        return HeldText(text);
    HeldText held;
    held.m_file = file;
    held.m_size = text.size();
    held.m_hash = Hash(text);
    return held;
}

std::optional<std::string> HeldText::Read() const
{
    if (InMemory())
        return m_text;
    std::optional<std::string> text = ReadWhole(m_file);
    if (text && (text->size() != m_size || Hash(*text) != m_hash)) {
        SetLastError(ERROR_INVALID_DATA);
        return std::nullopt;
    }
    return text;
}

} // namespace VexloCli
