#include "PetalText.h"

#include "vxplat/CodePage.h"

#include "PetalLexer.h"

#include <stdexcept>

namespace VexloModelWriter {

std::string AnsiText(const std::wstring& wide)
{
    const int length = static_cast<int>(wide.size());
    const int n = length ? WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr) : 0;
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    return text;
}

std::wstring AnsiWide(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    const int n = length ? MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), n);
    return wide;
}


using RoseHost::PetalLex::Lexer;
using RoseHost::PetalLex::Tok;
using RoseHost::PetalLex::Token;

const FieldSpan* ObjectSpan::Find(std::string_view name) const
{
    for (const FieldSpan& f : fields)
        if (f.name == name)
            return &f;
    return nullptr;
}

namespace {

const std::wstring kNoFile = L"(model text)";

// Reads past one value whose first token is `t`; returns the offset past it.
size_t SkipValue(Lexer& lex, Token& t)
{
    if (t.kind != Tok::LParen)
        return lex.Position();
    int depth = 1;
    while (depth > 0) {
        lex.Next(t);
        if (t.kind == Tok::End)
            throw std::runtime_error("unclosed form in the model text");
        if (t.kind == Tok::LParen)
            ++depth;
        else if (t.kind == Tok::RParen)
            --depth;
    }
    return lex.Position();
}

} // namespace

ObjectSpan ScanObject(std::string_view text, size_t begin, size_t end)
{
    if (begin >= end || end > text.size() || text[begin] != '(')
        throw std::runtime_error("no object at the element's place in the model text");
    // The lexer starts at the object's own line start so that '|' blocks are seen as such.
    size_t lineStart = text.rfind('\n', begin);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    Lexer lex(text.substr(lineStart, end - lineStart), kNoFile, 0);
    Token t;
    ObjectSpan o;
    o.begin = begin;
    o.end = end;
    do
        lex.Next(t);
    while (t.kind != Tok::End && lineStart + t.offset < begin);
    if (t.kind != Tok::LParen)
        throw std::runtime_error("no object at the element's place in the model text");
    lex.Next(t); // object
    lex.Next(t); // its type
    lex.Next(t);
    o.nameBegin = o.nameEnd = lineStart + t.offset;
    if (t.kind == Tok::String)
        o.nameEnd = lineStart + lex.Position();
    while (t.kind == Tok::String || t.kind == Tok::Ref)
        lex.Next(t);
    o.headerEnd = lineStart + t.offset;
    while (t.kind == Tok::Ident) {
        FieldSpan f;
        f.name = std::string(t.text);
        f.nameBegin = lineStart + t.offset;
        lex.Next(t);
        f.valueBegin = lineStart + t.offset;
        f.isForm = t.kind == Tok::LParen;
        const bool block = t.kind == Tok::Text;
        f.valueEnd = lineStart + SkipValue(lex, t);
        f.end = f.valueEnd;
        if (block)
            while (f.end < end && (text[f.end] == ' ' || text[f.end] == '\t'))
                ++f.end;
        o.fields.push_back(std::move(f));
        lex.Next(t);
    }
    if (t.kind != Tok::RParen)
        throw std::runtime_error("unexpected text in an object of the model");
    o.close = lineStart + t.offset;
    return o;
}

std::vector<ObjectSpan> ScanListObjects(std::string_view text, const FieldSpan& list)
{
    std::vector<ObjectSpan> items;
    if (!list.isForm)
        return items;
    size_t lineStart = text.rfind('\n', list.valueBegin);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    Lexer lex(text.substr(lineStart, list.valueEnd - lineStart), kNoFile, 0);
    Token t;
    do
        lex.Next(t);
    while (lineStart + t.offset < list.valueBegin);
    lex.Next(t); // list
    lex.Next(t);
    if (t.kind == Tok::Ident)
        lex.Next(t);
    while (t.kind != Tok::RParen && t.kind != Tok::End) {
        const size_t at = lineStart + t.offset;
        if (t.kind == Tok::LParen) {
            Token peek = t;
            const size_t after = lineStart + SkipValue(lex, peek);
            if (text.substr(at + 1, 6) == "object")
                items.push_back(ScanObject(text, at, after));
        }
        lex.Next(t);
    }
    return items;
}

unsigned ColumnOf(std::string_view text, size_t offset)
{
    size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    unsigned column = 0;
    for (size_t i = lineStart; i < offset; ++i)
        column = text[i] == '\t' ? (column / 8 + 1) * 8 : column + 1;
    return column;
}

std::string Indent(unsigned column)
{
    return std::string(column / 8, '\t') + std::string(column % 8, ' ');
}

std::string LineEndOf(std::string_view text)
{
    const size_t nl = text.find('\n');
    return nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

std::string StringValue(std::string_view text, const std::string& eol, unsigned fieldColumn)
{
    std::string lines;
    bool multi = false;
    for (size_t at = 0; at <= text.size();) {
        size_t nl = text.find('\n', at);
        if (nl == std::string_view::npos)
            nl = text.size();
        size_t stop = nl > at && text[nl - 1] == '\r' ? nl - 1 : nl;
        if (nl < text.size())
            multi = true;
        lines += eol + "|" + std::string(text.substr(at, stop - at));
        at = nl + 1;
    }
    if (multi)
        return lines + eol + Indent(fieldColumn);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FieldText(std::string_view name, const std::string& value)
{
    std::string out(name);
    out.append(name.size() + 1 < 11 ? 11 - name.size() : 1, ' ');
    return out + "\t" + value;
}

} // namespace VexloModelWriter
