// The pieces of petal text the model writer needs: where an object's fields stand (found
// from the object's byte range the loader remembered), and how a field, a string and an
// indentation are spelled the way the modelling tool writes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexloModelWriter {

// Names in the run's code page (the model file's and the code files', which the run makes
// the ANSI code page): the bytes a model file and the code readers hold. Latin-1 would turn
// every CJK name into "?".
std::string AnsiText(const std::wstring& wide);
std::wstring AnsiWide(const std::string& text);

// One field of an object: `name` at [nameBegin, ...), its value [valueBegin, valueEnd);
// `end` also covers the blanks the tool writes after a multi-line '|' text.
struct FieldSpan {
    std::string name;
    size_t nameBegin = 0;
    size_t valueBegin = 0;
    size_t valueEnd = 0;
    size_t end = 0;
    bool isForm = false; // the value is a list, an object or a tuple
};

struct ObjectSpan {
    size_t begin = 0;        // its '('
    size_t end = 0;          // past its ')'
    size_t close = 0;        // its ')'
    size_t headerEnd = 0;    // past "(object Type "name" @n"
    size_t nameBegin = 0;    // its first string (the name), [nameBegin, nameEnd); equal when none
    size_t nameEnd = 0;
    std::vector<FieldSpan> fields;
    const FieldSpan* Find(std::string_view name) const;
};

// The fields of the object at [begin, end) of `text`; throws std::runtime_error when the
// range does not hold one object.
ObjectSpan ScanObject(std::string_view text, size_t begin, size_t end);

// The objects a list value holds, in order (other items are skipped).
std::vector<ObjectSpan> ScanListObjects(std::string_view text, const FieldSpan& list);

// The column (tabs of eight) at which the line holding `offset` puts it.
unsigned ColumnOf(std::string_view text, size_t offset);
// Blanks that reach `column` as the tool writes them: tabs, then spaces.
std::string Indent(unsigned column);
// "\r\n" when the text's first line ends so, else "\n".
std::string LineEndOf(std::string_view text);

// A string value: "..." with quotes and backslashes escaped, or, for a text of several
// lines, the tool's '|' block (followed by the indentation of the fields that follow).
std::string StringValue(std::string_view text, const std::string& eol, unsigned fieldColumn);
// "name" padded as the tool pads field names, then the value.
std::string FieldText(std::string_view name, const std::string& value);

} // namespace VexloModelWriter
