// One fast 64-bit hash of a text, eight bytes at a time: the run's fingerprints of file
// and zone texts (held texts, zone keys, the base store's blob names) all use it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace VexloCli {

inline uint64_t TextHash(std::string_view text)
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

// A text's size and two independent 64-bit hashes, taken in one pass: what the run keeps
// of an old file it let go, to tell that the bytes it reads again are the ones it read.
struct TextPrint {
    uint64_t size = 0, a = 0, b = 0;
    bool operator==(const TextPrint&) const = default;
};

inline TextPrint PrintOf(std::string_view text)
{
    uint64_t a = text.size(), b = ~text.size();
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        a = (std::rotl(a, 29) ^ word) * 0x9E3779B97F4A7C15ull;
        b = (std::rotl(b, 23) ^ word) * 0xC2B2AE3D27D4EB4Full + 0x165667B19E3779F9ull;
    }
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        a = (std::rotl(a, 29) ^ c) * 0x9E3779B97F4A7C15ull;
        b = (std::rotl(b, 23) ^ c) * 0xC2B2AE3D27D4EB4Full + 0x165667B19E3779F9ull;
    }
    return {text.size(), a, b};
}

} // namespace VexloCli
