// Type maps: the type texts of a model drawn for another language (C++, Java, SQL)
// rewritten into Delphi or C# types before the add-in reads them.
//
// A map file holds lines `model type = language type`, grouped by language under a
// `[Delphi]` or `[C#]` line (lines before any group hold for both); a line starting
// with `#` is a comment. An empty right side clears the text (`void =` makes a Delphi function a
// procedure); "$T" stands for one name (`$T* = $T`: a pointer to a class is the
// class, whose variables are references in both languages). The host applies the map to the model in memory; the add-in never sees
// the model's own text, and the model file is not changed.
#pragma once

#include "RoseModel.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace VexloTypes {

struct MapEntry {
    std::wstring from, to; // as written in the map (from: normalised)
    std::wstring source;   // the map file, or "cpp" / "java" for a built-in map
    unsigned line = 0;
};

class TypeMap {
public:
    // The entry for a model type text in the language ("Delphi" or "C#"), or nullptr.
    // The text is compared normalised (see NormalizeType), then as a package path
    // ("Logical View::java::lang::String" as "java.lang.String").
    // An entry may hold "$T" for one name ("$T* = $T"): the name found there is mapped
    // in turn and put in place of "$T" on the right (`to` then holds the result).
    const MapEntry* Find(const std::wstring& language, const std::wstring& modelType, std::wstring* to = nullptr) const;
    void Add(const std::wstring& language, MapEntry entry); // language "" = both
    bool empty() const { return m_entries.empty(); }
    std::wstring name; // the file, or the built-in map's name

private:
    std::map<std::pair<std::wstring, std::wstring>, MapEntry> m_entries; // (language, from)
    std::vector<std::pair<std::wstring, MapEntry>> m_patterns;             // (language, entry with "$T")
};

// Blanks as a compiler reads them: none at the ends, none beside punctuation, one
// between two words ("const  char *" -> "const char*").
std::wstring NormalizeType(const std::wstring& text);

// Reads map text; false with `error` ("FILE:LINE: why") for a line that is no entry.
bool ParseTypeMap(const std::string& text, const std::wstring& source, TypeMap& map, std::wstring& error);

// The built-in maps: "cpp" (models drawn for C++) and "java"; nullptr for other names.
const TypeMap* BuiltinTypeMap(const std::wstring& name);
// The names of the built-in maps, for messages.
const wchar_t* BuiltinTypeMapNames();

// A built-in map's entry for the text in the language (cpp first, then java), for a
// lint fix that names the entry; nullptr when none has one.
const MapEntry* SuggestEntry(const std::wstring& language, const std::wstring& modelType, std::wstring* to = nullptr);

// Rewrites the type texts (attributes, operation results, parameters) of every class
// whose language `languageOf` gives as "Delphi" or "C#". The number of texts changed.
size_t ApplyTypeMap(RoseHost::Model& model, const TypeMap& map,
                    const std::function<std::wstring(const RoseHost::Class&)>& languageOf);

} // namespace VexloTypes
