// What the reverse tests compare: a code file up to the generator's normalisations, and
// the lines that stand inside the preserved zones of a file.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace ReverseTest {

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The lines of a file that are not zone markers, blank or visibility keywords, sorted:
// the generator's order, its markers and its sections are normalisations.
inline std::vector<std::string> Normalised(const std::string& text)
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(text)) {
        if (line.find_first_not_of(' ') == std::string::npos || line.find("//## ") != std::string::npos)
            continue;
        // The generator writes every visibility section, also an empty one.
        const std::string word = line.substr(line.find_first_not_of(' '));
        if (word == "private" || word == "protected" || word == "public" || word == "published" ||
            word == "//private" || word == "//protected" || word == "//public" || word == "//internal")
            continue;
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The lines between a "//## begin" and its "//## end" marker, trimmed, sorted.
inline std::vector<std::string> ZoneLines(const std::string& text)
{
    std::vector<std::string> inside;
    bool in = false;
    for (const std::string& line : Lines(text)) {
        if (line.find("//## begin ") != std::string::npos)
            in = true;
        else if (line.find("//## end ") != std::string::npos)
            in = false;
        else if (in && line.find_first_not_of(' ') != std::string::npos)
            inside.push_back(line.substr(line.find_first_not_of(' ')));
    }
    std::sort(inside.begin(), inside.end());
    return inside;
}

} // namespace ReverseTest
