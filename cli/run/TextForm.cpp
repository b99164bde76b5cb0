#include "TextForm.h"

#include "Console.h"
#include "RunFiles.h"

#include "vxplat/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace VexloCli {

namespace {

const char kMark[] = "\xEF\xBB\xBF";

bool HasMark(const std::string& text) { return text.compare(0, 3, kMark) == 0; }

bool IsAscii(const std::string& text)
{
    // Eight bytes at a time: every file of a run is looked at, some more than once.
    size_t i = 0;
    for (; i + 64 <= text.size(); i += 64) {
        uint64_t any = 0;
        for (size_t k = 0; k < 64; k += 8) {
            uint64_t word;
            std::memcpy(&word, text.data() + i + k, 8);
            any |= word;
        }
        if (any & 0x8080808080808080ull)
            return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring Wide(const std::string& text, unsigned codePage)
{
    const int length = static_cast<int>(text.size());
    const int n = length ? MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n);
    return wide;
}

std::string Narrowed(const std::wstring& wide, unsigned codePage, BOOL* usedDefault)
{
    const int length = static_cast<int>(wide.size());
    BOOL* used = codePage == CP_UTF8 ? nullptr : usedDefault;
    const int n = length ? WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, used) : 0;
    std::string text(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), n, nullptr, used);
    return text;
}

// Well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate.
bool WellFormedUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t extra = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 9;
        if (extra == 9 || i + extra >= text.size() + (extra ? 0 : 1))
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        const auto second = extra ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((b == 0xE0 && second < 0xA0) || (b == 0xED && second >= 0xA0) || (b == 0xF0 && second < 0x90) ||
            (b == 0xF4 && second >= 0x90))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

bool IsUtf8Text(const std::string& text) { return HasMark(text) || (!IsAscii(text) && WellFormedUtf8(text)); }

std::string Utf8FromAnsi(const std::string& text, unsigned codePage)
{
    if (IsAscii(text) || codePage == CP_UTF8)
        return text;
    return Narrowed(Wide(text, codePage), CP_UTF8, nullptr);
}

std::string AnsiFromUtf8(const std::string& text, unsigned codePage, size_t* lost, int* firstLine)
{
    if (lost)
        *lost = 0;
    if (IsAscii(text) || codePage == CP_UTF8)
        return text;
    const std::wstring wide = Wide(text, CP_UTF8);
    BOOL usedDefault = FALSE;
    std::string ansi = Narrowed(wide, codePage, &usedDefault);
    if (usedDefault && lost) {
        // Which characters: one by one, only when there are any.
        int line = 1;
        for (size_t i = 0; i < wide.size(); ++i) {
            line += wide[i] == L'\n';
            BOOL one = FALSE;
            const bool pair = wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size();
            Narrowed(wide.substr(i, pair ? 2 : 1), codePage, &one);
            if (one && (*lost)++ == 0 && firstLine)
                *firstLine = line;
            i += pair;
        }
    }
    return ansi;
}

// Whether every line of the text already ends so (most files of a run do).
static bool HasLineEnds(const std::string& text, bool crlf)
{
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1))
        if ((end > 0 && text[end - 1] == '\r') != crlf)
            return false;
    return true;
}

std::string WithLineEnds(const std::string& text, bool crlf)
{
    std::string result;
    result.reserve(text.size() + (crlf ? static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) : 0));
    // The text between the line ends that change is copied in one piece.
    size_t at = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1)) {
        const bool afterCr = end > 0 && text[end - 1] == '\r';
        if (crlf && !afterCr) {
            result.append(text, at, end - at).push_back('\r');
            at = end;
        } else if (!crlf && afterCr) {
            result.append(text, at, end - 1 - at);
            at = end;
        }
    }
    return result.append(text, at, std::string::npos);
}

TextForms::TextForms(std::wstring lineEnds, std::wstring encoding, unsigned ansiCodePage)
    : m_lineEnds(std::move(lineEnds)), m_encoding(std::move(encoding)), m_ansi(ansiCodePage)
{
}

void TextForms::Plan(const std::vector<std::wstring>& paths)
{
    bool mayBeUtf8 = m_encoding == L"utf-8";
    for (const std::wstring& path : paths) {
        Planned file;
        const std::optional<std::string> text = ReadWhole(path);
        file.exists = text.has_value();
        file.utf8 = text && IsUtf8Text(*text);
        file.mark = text && HasMark(*text);
        file.ascii = text && IsAscii(*text);
        const std::wstring key = Lower(Slashed(path));
        file.csharp = key.size() >= 3 && key.compare(key.size() - 3, 3, L".cs") == 0;
        mayBeUtf8 = mayBeUtf8 || (m_encoding == L"keep" && (file.utf8 || (Undecided(file) && file.csharp)));
        m_files[key] = file;
    }
    m_addinUtf8 = mayBeUtf8 && m_ansi != CP_UTF8;
}

unsigned TextForms::AddinCodePage() const { return m_addinUtf8 ? CP_UTF8 : m_ansi; }

std::optional<std::string> TextForms::ToAddin(const std::wstring& path, const std::string& text) const
{
    const bool utf8 = IsUtf8Text(text);
    // ASCII reads the same in either encoding.
    if (!HasMark(text) && (utf8 == m_addinUtf8 || IsAscii(text)) && HasLineEnds(text, true))
        return std::nullopt;
    std::string result = HasMark(text) ? text.substr(3) : text;
    if (utf8 && !m_addinUtf8) {
        size_t lost = 0;
        int line = 0;
        result = AnsiFromUtf8(result, m_ansi, &lost, &line);
        if (lost)
            Warn(Slashed(path) + L":" + std::to_wstring(line) + L": " + std::to_wstring(lost) +
                 L" character(s) of this UTF-8 file have no byte in code page " + std::to_wstring(m_ansi) +
                 L" and become \"?\"" +
                 (m_encoding == L"ansi" ? L" (--encoding ansi); --encoding keep keeps the file UTF-8" : L""));
    } else if (!utf8 && m_addinUtf8) {
        result = Utf8FromAnsi(result, m_ansi);
    }
    // The add-in reads CR LF lines; an LF line of the user's is one to it as well.
    if (!HasLineEnds(result, true))
        return WithLineEnds(result, true);
    return result;
}

bool TextForms::TargetUtf8(const Planned& file, const std::string& addinText) const
{
    if (m_encoding != L"keep")
        return m_encoding == L"utf-8";
    if (!Undecided(file))
        return file.utf8;
    return file.csharp && m_addinUtf8 && !IsAscii(addinText);
}

LineEndTally TallyLineEnds(std::string_view text)
{
    LineEndTally tally;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1), ++tally.lf)
        tally.pairs += end > 0 && text[end - 1] == '\r';
    return tally;
}

std::string TextForms::ToUser(const std::wstring& path, const std::string& addinText, OldFile old)
{
    Planned file;
    if (auto it = m_files.find(Lower(Slashed(path))); it != m_files.end())
        file = it->second;
    else
        file.exists = old.exists;
    const bool utf8 = TargetUtf8(file, addinText);
    const bool mark = utf8 && (m_encoding == L"utf-8" || Undecided(file) || file.mark);
    std::string text = addinText;
    if (m_addinUtf8 && !utf8) {
        size_t lost = 0;
        int line = 0;
        text = AnsiFromUtf8(text, m_ansi, &lost, &line);
        if (lost)
            Warn(Slashed(path) + L":" + std::to_wstring(line) + L": " + std::to_wstring(lost) +
                 L" character(s) of the model have no byte in code page " + std::to_wstring(m_ansi) +
                 L" and are written as \"?\" (--encoding utf-8 writes the file in UTF-8)");
    }

    // --line-ends, else git's setting, else the old file's line ends when they are all alike.
    int crlf = -1; // -1: as the add-in wrote them
    if (m_lineEnds != L"keep") {
        crlf = m_lineEnds == L"crlf";
    } else if (std::optional<GitEol> git = m_git.EolOf(path)) {
        crlf = git->crlf;
    } else if (old.exists) {
        crlf = old.lineEnds;
    }
    if (crlf >= 0 && !HasLineEnds(text, crlf == 1))
        text = WithLineEnds(text, crlf == 1);
    if (mark)
        text.insert(0, kMark);
    return text;
}

} // namespace VexloCli
