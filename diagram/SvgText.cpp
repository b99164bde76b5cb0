// Text without a text engine: Arial's letter widths, line breaking and cutting.
#include "SvgPainter.h"

#include <algorithm>

namespace VexloDiagram::Svg {

namespace {

// The code points of UTF-8 text, each with its bytes (a broken sequence is one byte each).
std::vector<std::pair<char32_t, std::string>> CodePoints(const std::string& s)
{
    std::vector<std::pair<char32_t, std::string>> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + n > s.size() || (n == 1 && c >= 0x80)) {
            out.emplace_back(c, s.substr(i, 1));
            ++i;
            continue;
        }
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.emplace_back(cp, s.substr(i, n));
        i += n;
    }
    return out;
}

bool Wide(char32_t c) { return c >= 0x2E80 && !(c >= 0xFF61 && c <= 0xFFDC); }

// Arial's advances in thousandths of an em for the printable ASCII letters.
constexpr short kArial[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556, 556, 556, 556, 556,
    556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722,
    778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556,
    278, 556, 556, 222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260,
    334, 584};

double Advance(char32_t c)
{
    if (Wide(c))
        return 1.0;
    if (c >= 32 && c < 127)
        return kArial[c - 32] / 1000.0;
    return 0.6;
}

} // namespace

double TextWidth(const std::string& utf8, double fontPx, bool bold)
{
    double em = 0;
    for (const auto& cp : CodePoints(utf8))
        em += Advance(cp.first);
    return em * fontPx * (bold ? 1.08 : 1.0);
}

std::string Ellipsize(const std::string& text, double maxWidth, double fontPx)
{
    if (TextWidth(text, fontPx) <= maxWidth)
        return text;
    const std::string dots = "\xE2\x80\xA6";
    std::string out;
    double width = TextWidth(dots, fontPx);
    for (const auto& [cp, bytes] : CodePoints(text)) {
        width += Advance(cp) * fontPx;
        if (width > maxWidth)
            break;
        out += bytes;
    }
    return out + dots;
}

std::vector<std::string> Wrap(const std::string& text, double maxWidth, double fontPx, int nlines, bool bold)
{
    std::vector<std::string> out;
    const double limit = std::max(maxWidth, fontPx); // a width of nothing or less still holds a letter a line
    auto width = [&](const std::string& s) { return TextWidth(s, fontPx, bold); };
    for (const std::string& para : SplitLines(text)) {
        // Pieces a line may end after: words with their blank, single CJK characters, and
        // for an identifier longer than a line, its parts before capitals and after underscores.
        std::vector<std::string> pieces;
        std::string piece;
        char32_t prev = 0;
        for (const auto& [cp, bytes] : CodePoints(para)) {
            if (Wide(cp) || Wide(prev)) {
                if (!piece.empty())
                    pieces.push_back(piece);
                piece.clear();
            }
            piece += bytes;
            if (cp == ' ') {
                pieces.push_back(piece);
                piece.clear();
            }
            prev = cp;
        }
        if (!piece.empty())
            pieces.push_back(piece);
        std::vector<std::string> fine;
        for (const std::string& p : pieces) {
            if (width(p) <= limit) {
                fine.push_back(p);
                continue;
            }
            std::string part;
            char32_t before = 0;
            for (const auto& [cp, bytes] : CodePoints(p)) {
                const bool capital = cp >= 'A' && cp <= 'Z' && before >= 'a' && before <= 'z';
                if (!part.empty() && (capital || before == '_' || width(part + bytes) > limit)) {
                    fine.push_back(part);
                    part.clear();
                }
                part += bytes;
                before = cp;
            }
            if (!part.empty())
                fine.push_back(part);
        }
        std::string line;
        for (const std::string& p : fine) {
            std::string trimmed = line + p;
            while (!trimmed.empty() && trimmed.back() == ' ')
                trimmed.pop_back();
            if (!line.empty() && width(trimmed) > limit) {
                out.push_back(line); // a kept blank at its end says the break was at a blank
                line.clear();
            }
            line += p;
        }
        out.push_back(line + " "); // a paragraph ends at a blank too
    }
    if (nlines > 0 && out.size() > static_cast<size_t>(nlines)) {
        for (size_t i = static_cast<size_t>(nlines); i < out.size(); ++i)
            out[static_cast<size_t>(nlines) - 1] += out[i];
        out.resize(static_cast<size_t>(nlines));
    }
    for (std::string& line : out)
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
    if (out.empty())
        out.emplace_back();
    return out;
}

} // namespace VexloDiagram::Svg
