// The syntax of a type text in Delphi and in C#, as the generators write it into a
// declaration: which texts are types at all, the names they use, and, for those that
// are not, which other language's form they are (C++, Java, SQL, a Rose path).
#include "LintModel.h"

#include <algorithm>

namespace VexloLint {

namespace {

const wchar_t* LanguageName(Language language) { return language == Language::Delphi ? L"Delphi" : L"C#"; }
std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool IsWord(wchar_t c) { return c == L'_' || (c >= L'0' && c <= L'9') || ((c | 0x20) >= L'a' && (c | 0x20) <= L'z'); }

// A type text in tokens: words, "::", "..", single characters; blanks only separate.
std::vector<std::wstring> Tokens(const std::wstring& text)
{
    std::vector<std::wstring> tokens;
    for (size_t i = 0; i < text.size();) {
        wchar_t c = text[i];
        if (c == L' ' || c == L'\t') {
            ++i;
        } else if (IsWord(c) || c > 0x7F) {
            size_t end = i;
            while (end < text.size() && (IsWord(text[end]) || text[end] > 0x7F))
                ++end;
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else if ((c == L':' || c == L'.') && i + 1 < text.size() && text[i + 1] == c) {
            tokens.push_back(text.substr(i, 2));
            i += 2;
        } else {
            tokens.push_back(std::wstring(1, c));
            ++i;
        }
    }
    return tokens;
}

bool IsWordToken(const std::wstring& token) { return !token.empty() && (IsWord(token[0]) || token[0] > 0x7F); }

const wchar_t* const kCSharpTypeKeywords[] = {L"bool",  L"byte",   L"sbyte", L"char",  L"decimal", L"double",
                                              L"float", L"int",    L"uint",  L"long",  L"ulong",   L"object",
                                              L"short", L"ushort", L"string", L"void"};

} // namespace

bool IsCSharpTypeKeyword(const std::wstring& word)
{
    return std::find_if(std::begin(kCSharpTypeKeywords), std::end(kCSharpTypeKeywords),
                        [&](const wchar_t* k) { return word == k; }) != std::end(kCSharpTypeKeywords);
}

namespace {

// Reads one type expression; on success the names it uses (qualified as written).
class TypeParser {
public:
    TypeParser(Language language, const std::wstring& text) : m_language(language), m_tokens(Tokens(text)) {}

    // "" when the text is a type of the language, else the first token that is not.
    bool Parse(std::vector<std::wstring>& names, std::wstring& bad)
    {
        bool ok = m_language == Language::Delphi ? DelphiType(names) : CSharpType(names);
        if (ok && m_at == m_tokens.size())
            return true;
        bad = m_at < m_tokens.size() ? m_tokens[m_at] : std::wstring();
        return false;
    }

private:
    const std::wstring* Peek() const { return m_at < m_tokens.size() ? &m_tokens[m_at] : nullptr; }
    bool Take(const wchar_t* token)
    {
        if (!Peek() || (m_language == Language::Delphi ? Lower(*Peek()) != token : *Peek() != token))
            return false;
        ++m_at;
        return true;
    }
    bool Word(std::wstring& word)
    {
        if (!Peek() || !IsWordToken(*Peek()))
            return false;
        word = *Peek();
        bool ok = IdentifierProblem(m_language, word).empty() ||
                  (m_language == Language::CSharp && IsCSharpTypeKeyword(word)) ||
                  (m_language == Language::Delphi && (Lower(word) == L"string" || Lower(word) == L"file"));
        if (ok)
            ++m_at;
        return ok;
    }
    bool Name(std::vector<std::wstring>& names)
    {
        std::wstring word, name;
        if (m_language == Language::CSharp && Take(L"global") && !Take(L"::"))
            return false;
        do {
            if (!Word(word))
                return false;
            name += (name.empty() ? L"" : L".") + word;
        } while (Take(L"."));
        names.push_back(name);
        if (Take(L"<")) {
            do {
                if (!(m_language == Language::Delphi ? DelphiType(names) : CSharpType(names)))
                    return false;
            } while (Take(L","));
            return Take(L">");
        }
        return true;
    }
    bool DelphiType(std::vector<std::wstring>& names)
    {
        if (Take(L"array")) {
            if (Take(L"[")) {
                while (Peek() && *Peek() != L"]" && (IsWordToken(*Peek()) || *Peek() == L".." || *Peek() == L"," ||
                                                     *Peek() == L"-"))
                    ++m_at;
                if (!Take(L"]"))
                    return false;
            }
            return Take(L"of") && (Take(L"const") || DelphiType(names));
        }
        if (Take(L"set") || Take(L"class"))
            return Take(L"of") && Name(names);
        if (Take(L"^"))
            return Name(names);
        if (Take(L"file"))
            return !Take(L"of") || DelphiType(names);
        if (Take(L"string")) {
            if (Take(L"[")) {
                if (!Peek() || !std::all_of(Peek()->begin(), Peek()->end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
                    return false;
                ++m_at;
                return Take(L"]");
            }
            return true;
        }
        return Name(names);
    }
    bool CSharpType(std::vector<std::wstring>& names)
    {
        if (!Name(names))
            return false;
        Take(L"?");
        while (Take(L"[")) {
            while (Take(L","))
                ;
            if (!Take(L"]"))
                return false;
        }
        return true;
    }

    Language m_language;
    std::vector<std::wstring> m_tokens;
    size_t m_at = 0;
};

} // namespace

bool ParseType(Language language, const std::wstring& text, std::vector<std::wstring>& names, std::wstring& bad)
{
    return TypeParser(language, text).Parse(names, bad);
}

// Why a text that does not parse is no type: the forms of other languages by name.
std::wstring WhyNoType(Language language, const std::wstring& text, const std::wstring& bad)
{
    const bool delphi = language == Language::Delphi;
    if (text.find(L"::") != std::wstring::npos)
        return L"\"::\" joins C++ scopes and Rose packages; " +
               std::wstring(delphi ? L"Delphi names a unit's type Unit.TypeName" : L"C# names a type Namespace.Type");
    if (text.find_first_of(L"*&") != std::wstring::npos)
        return delphi ? L"\"*\" and \"&\" are C++ pointer and reference marks (Delphi writes ^T or PChar)"
                      : L"\"*\" and \"&\" are C++ pointer and reference marks (a C# pointer needs unsafe code)";
    if (text.find(L"<?") != std::wstring::npos || text.find(L"? ") != std::wstring::npos)
        return L"\"?\" is a Java wildcard";
    if (text.find(L"[*]") != std::wstring::npos)
        return L"\"[*]\" is no array bound";
    if (text.find(L'(') != std::wstring::npos)
        return L"a size in brackets is SQL's (char(12), numeric(10,2))";
    std::vector<std::wstring> tokens = Tokens(text);
    size_t words = std::count_if(tokens.begin(), tokens.end(), IsWordToken);
    if (words > 1 && words == tokens.size())
        return L"it is " + std::to_wstring(words) + L" words, as C++ (unsigned long, const T) and SQL (double "
               L"precision) write types; a " + LanguageName(language) + L" type is one name";
    if (!bad.empty() && IsWordToken(bad))
        return Quoted(bad) + L" is " + (IdentifierProblem(language, bad).empty() ? L"out of place there"
                                                                              : L"no name: " + IdentifierProblem(language, bad));
    return bad.empty() ? std::wstring(L"it ends early") : Quoted(bad) + L" has no place in a " + LanguageName(language) + L" type";
}

} // namespace VexloLint
