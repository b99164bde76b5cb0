// Documentation changes as one short word diff: the words that differ between the common
// beginning and the common end, with a few words of context on each side.
#include "ModelDiff.h"

#include <algorithm>
#include <sstream>

namespace VexloDiff {

namespace {

constexpr size_t kContext = 3;  // words of context on each side
constexpr size_t kShown = 12;   // words of a removed or added run shown at most

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

std::string Run(const std::vector<std::string>& words, size_t from, size_t to, size_t limit)
{
    std::string out;
    for (size_t i = from; i < to && i < from + limit; ++i)
        out += (out.empty() ? "" : " ") + words[i];
    if (to > from + limit)
        out += " …";
    return out;
}

} // namespace

std::string WordDiff(const std::string& before, const std::string& after)
{
    const std::vector<std::string> a = Words(before), b = Words(after);
    if (a == b)
        return "blanks and line breaks only";
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    std::string out;
    const size_t from = head > kContext ? head - kContext : 0;
    if (from > 0)
        out += "… ";
    out += Run(a, from, head, kContext);
    auto piece = [&](const std::string& text) {
        if (!text.empty())
            out += (out.empty() || out.back() == ' ' ? "" : " ") + text;
    };
    if (a.size() - tail > head)
        piece("[-" + Run(a, head, a.size() - tail, kShown) + "-]");
    if (b.size() - tail > head)
        piece("{+" + Run(b, head, b.size() - tail, kShown) + "+}");
    piece(Run(b, b.size() - tail, std::min(b.size(), b.size() - tail + kContext), kContext));
    if (tail > kContext)
        out += " …";
    return out;
}

} // namespace VexloDiff
