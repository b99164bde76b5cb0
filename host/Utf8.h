// Wide text to UTF-8, whatever the width of wchar_t: for standard output, exception
// messages and narrow file names. Header-only so that the command-line host shares it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace RoseHost {

// What ToUtf8 does with wide text that is not well-formed.
enum class Utf8Repair {
    // Surrogate pairs are joined only where wchar_t is 16-bit; every other unit is
    // encoded as it stands (console output shows what it was given).
    None,
    // Surrogate pairs are joined at any width; lone surrogates and values past U+10FFFF
    // become U+FFFD, so the result is always valid UTF-8.
    Replace,
};

inline void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

inline std::string ToUtf8(std::wstring_view text, Utf8Repair repair = Utf8Repair::Replace)
{
    const bool replace = repair == Utf8Repair::Replace;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if ((replace || sizeof(wchar_t) == 2) && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (replace && (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)))
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

// UTF-8 text as a JSON string, quotes included: the reports of every command write
// their texts this way.
inline std::string JsonQuoted(std::string_view utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

} // namespace RoseHost
