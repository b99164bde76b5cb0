// The identifiers of Delphi (as Free Pascal reads it in Delphi mode) and of C#: which
// characters may stand in one, and the reserved words that cannot be names.
#include "LintModel.h"

#include <algorithm>
#include <iterator>

namespace VexloLint {

namespace {

// Reserved words of Delphi; Delphi compares them in any letter case.
const wchar_t* const kDelphiReserved[] = {
    L"and", L"array", L"as", L"asm", L"begin", L"case", L"class", L"const", L"constructor", L"destructor",
    L"dispinterface", L"div", L"do", L"downto", L"else", L"end", L"except", L"exports", L"file", L"finalization",
    L"finally", L"for", L"function", L"goto", L"if", L"implementation", L"in", L"inherited", L"initialization",
    L"inline", L"interface", L"is", L"label", L"library", L"mod", L"nil", L"not", L"object", L"of", L"or", L"out",
    L"packed", L"procedure", L"program", L"property", L"raise", L"record", L"repeat", L"resourcestring", L"set",
    L"shl", L"shr", L"string", L"then", L"threadvar", L"to", L"try", L"type", L"unit", L"until", L"uses", L"var",
    L"while", L"with", L"xor",
};

// Keywords of C#, compared exactly ("@" in front makes one a name).
const wchar_t* const kCSharpReserved[] = {
    L"abstract", L"as", L"base", L"bool", L"break", L"byte", L"case", L"catch", L"char", L"checked", L"class",
    L"const", L"continue", L"decimal", L"default", L"delegate", L"do", L"double", L"else", L"enum", L"event",
    L"explicit", L"extern", L"false", L"finally", L"fixed", L"float", L"for", L"foreach", L"goto", L"if",
    L"implicit", L"in", L"int", L"interface", L"internal", L"is", L"lock", L"long", L"namespace", L"new", L"null",
    L"object", L"operator", L"out", L"override", L"params", L"private", L"protected", L"public", L"readonly",
    L"ref", L"return", L"sbyte", L"sealed", L"short", L"sizeof", L"stackalloc", L"static", L"string", L"struct",
    L"switch", L"this", L"throw", L"true", L"try", L"typeof", L"uint", L"ulong", L"unchecked", L"unsafe",
    L"ushort", L"using", L"virtual", L"void", L"volatile", L"while",
};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// C# takes letters of any script. Without the Unicode tables at hand, a character
// beyond ASCII counts as a letter unless it is a blank or punctuation of the blocks
// that hold them (Latin-1, general punctuation, CJK and full-width punctuation).
bool UnicodeLetter(wchar_t c)
{
    auto in = [c](unsigned from, unsigned to) { return unsigned(c) >= from && unsigned(c) <= to; };
    return c > 0x7F && !in(0x80, 0xBF) && c != 0xD7 && c != 0xF7 && !in(0x2000, 0x206F) && !in(0x3000, 0x303F) &&
           !in(0xFF00, 0xFF0F) && !in(0xFF1A, 0xFF20) && !in(0xFF3B, 0xFF40) && !in(0xFF5B, 0xFF65);
}

bool IdentifierStart(Language language, wchar_t c)
{
    // Delphi names are ASCII.
    return c == L'_' || IsAsciiLetter(c) || (language == Language::CSharp && UnicodeLetter(c));
}

bool IdentifierPart(Language language, wchar_t c) { return IdentifierStart(language, c) || (c >= L'0' && c <= L'9'); }

} // namespace

std::wstring IdentifierProblem(Language language, const std::wstring& text)
{
    if (text.empty())
        return L"it is empty";
    std::wstring name = text;
    if (language == Language::CSharp && name[0] == L'@')
        name.erase(0, 1); // a verbatim identifier: any keyword may follow
    else if (language == Language::Delphi) {
        std::wstring lower = Lower(name);
        if (std::find_if(std::begin(kDelphiReserved), std::end(kDelphiReserved),
                         [&](const wchar_t* word) { return lower == word; }) != std::end(kDelphiReserved))
            return L"it is a reserved word of Delphi";
    } else if (std::find_if(std::begin(kCSharpReserved), std::end(kCSharpReserved),
                            [&](const wchar_t* word) { return name == word; }) != std::end(kCSharpReserved)) {
        return L"it is a keyword of C#";
    }
    if (name.empty())
        return L"it holds nothing after the \"@\"";
    for (wchar_t c : name)
        if (c == L' ' || c == L'\t')
            return L"it holds a blank";
    if (!IdentifierStart(language, name[0]))
        return name[0] >= L'0' && name[0] <= L'9' ? L"it starts with a digit"
                                                  : L"it starts with \"" + std::wstring(1, name[0]) + L"\"";
    for (wchar_t c : name)
        if (!IdentifierPart(language, c))
            return L"it holds \"" + std::wstring(1, c) + L"\"";
    return std::wstring();
}

std::vector<std::wstring> IdentifiersOf(const std::wstring& text)
{
    std::vector<std::wstring> words;
    std::wstring word;
    for (wchar_t c : text) {
        if (c == L'_' || IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c > 0x7F) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

} // namespace VexloLint
