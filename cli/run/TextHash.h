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

} // namespace VexloCli
