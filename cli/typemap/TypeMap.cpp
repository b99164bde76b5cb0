#include "TypeMap.h"

#include <algorithm>
#include <cwctype>

namespace VexloTypes {

using namespace RoseHost;

namespace {

bool IsWordChar(wchar_t c) { return c == L'_' || c == L'$' || std::iswalnum(static_cast<wint_t>(c)) || c > 0x7F; }

// UTF-8 text to wide characters; a byte that starts no sequence stands for itself.
std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more == 0 || i + more >= text.size()) {
            out += static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        uint32_t code = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += static_cast<wchar_t>(code);
        i += more + 1;
    }
    return out;
}

std::wstring Trim(const std::wstring& text)
{
    size_t start = text.find_first_not_of(L" \t\r");
    if (start == std::wstring::npos)
        return std::wstring();
    return text.substr(start, text.find_last_not_of(L" \t\r") - start + 1);
}

// "Logical View::java::lang::String" -> "java.lang.String"
std::wstring AsPackagePath(const std::wstring& text)
{
    std::wstring path = text;
    const std::wstring root = L"Logical View::";
    if (path.compare(0, root.size(), root) == 0)
        path.erase(0, root.size());
    for (size_t at; (at = path.find(L"::")) != std::wstring::npos;)
        path.replace(at, 2, L".");
    return path;
}

} // namespace

std::wstring NormalizeType(const std::wstring& text)
{
    std::wstring out;
    bool blank = false;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
            blank = true;
            continue;
        }
        if (blank && !out.empty() && IsWordChar(out.back()) && IsWordChar(c))
            out += L' ';
        blank = false;
        out += c;
    }
    return out;
}

const MapEntry* TypeMap::Find(const std::wstring& language, const std::wstring& modelType, std::wstring* to) const
{
    const std::wstring normal = NormalizeType(modelType);
    for (const std::wstring& key : {normal, AsPackagePath(normal)})
        for (const std::wstring& lang : {language, std::wstring()})
            if (auto it = m_entries.find({lang, key}); it != m_entries.end()) {
                if (to)
                    *to = it->second.to;
                return &it->second;
            }
    for (const auto& [lang, entry] : m_patterns) {
        if (!lang.empty() && lang != language)
            continue;
        size_t at = entry.from.find(L"$T");
        const std::wstring head = entry.from.substr(0, at), tail = entry.from.substr(at + 2);
        if (normal.size() <= head.size() + tail.size() || normal.compare(0, head.size(), head) != 0 ||
            normal.compare(normal.size() - tail.size(), tail.size(), tail) != 0)
            continue;
        std::wstring name = normal.substr(head.size(), normal.size() - head.size() - tail.size());
        // One name, also qualified (std::string, java.util.Date).
        if (!std::all_of(name.begin(), name.end(), [](wchar_t c) { return IsWordChar(c) || c == L':' || c == L'.'; }))
            continue;
        if (to) {
            std::wstring inner;
            if (!Find(language, name, &inner) || inner.empty())
                inner = name;
            *to = entry.to;
            for (size_t t; (t = to->find(L"$T")) != std::wstring::npos;)
                to->replace(t, 2, inner);
        }
        return &entry;
    }
    return nullptr;
}

void TypeMap::Add(const std::wstring& language, MapEntry entry)
{
    entry.from = NormalizeType(entry.from);
    if (entry.from.find(L"$T") != std::wstring::npos) {
        m_patterns.emplace_back(language, std::move(entry));
        return;
    }
    std::wstring from = entry.from;
    m_entries[{language, from}] = std::move(entry);
}

bool ParseTypeMap(const std::string& bytes, const std::wstring& source, TypeMap& map, std::wstring& error)
{
    std::wstring text = FromUtf8(bytes);
    if (text.size() >= 1 && text[0] == 0xFEFF)
        text.erase(0, 1);
    std::wstring language;
    unsigned number = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? text.size() + 1 : end + 1;
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == L'#') // "#" starts a comment only at the start: "[C#]"
            continue;
        auto fail = [&](const std::wstring& why) {
            error = source + L":" + std::to_wstring(number) + L": " + why;
            return false;
        };
        if (line.front() == L'[') {
            if (line.back() != L']')
                return fail(L"a language group is written [Delphi] or [C#]");
            language = Trim(line.substr(1, line.size() - 2));
            if (language != L"Delphi" && language != L"C#")
                return fail(L"unknown language \"" + language + L"\" (the groups are [Delphi] and [C#])");
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos)
            return fail(L"no \"=\": a line maps a model type to a language type, as \"int = Integer\"");
        std::wstring from = Trim(line.substr(0, eq)), to = Trim(line.substr(eq + 1));
        if (from.empty())
            return fail(L"nothing in front of \"=\"");
        map.Add(language, {from, NormalizeType(to), source, number});
    }
    map.name = source;
    return true;
}

size_t ApplyTypeMap(Model& model, const TypeMap& map, const std::function<std::wstring(const Class&)>& languageOf)
{
    size_t changed = 0;
    auto apply = [&](ModelText& text, const std::wstring& language) {
        if (text.empty())
            return;
        std::wstring to;
        if (map.Find(language, text, &to) && to != std::wstring(text)) {
            text = to;
            ++changed;
        }
    };
    for (Class* cls : model.allClasses) {
        const std::wstring language = languageOf(*cls);
        if (language != L"Delphi" && language != L"C#")
            continue;
        for (Attribute* attribute : cls->attributes)
            apply(attribute->type, language);
        for (Operation* operation : cls->operations) {
            apply(operation->returnType, language);
            for (Parameter* parameter : operation->parameters)
                apply(parameter->type, language);
        }
    }
    return changed;
}

} // namespace VexloTypes
