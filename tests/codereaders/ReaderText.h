// One line of text per declaration a reader found, so that the tables below state
// every field they expect in a form a reader of the test can check by eye.
#pragma once

#include "Declarations.h"

#include <string>

namespace ReaderText {

using namespace VexloCode;

inline std::string Join(const std::vector<std::string>& items, const char* separator)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

inline std::string Parameters(const std::vector<Parameter>& parameters)
{
    std::vector<std::string> items;
    for (const Parameter& p : parameters)
        items.push_back((p.kind.empty() ? "" : p.kind + " ") + p.name + ": " + p.type +
                        (p.defaultValue.empty() ? "" : " = " + p.defaultValue));
    return Join(items, "; ");
}

// "method public function Find(ATitle: string): TItem [overload] #ID/body {doc}"
inline std::string Line(const Member& m)
{
    static const char* kinds[] = {"field", "method", "property", "value", "const"};
    std::string out = kinds[static_cast<int>(m.kind)];
    if (!m.visibility.empty())
        out += " " + m.visibility;
    if (!m.methodKind.empty())
        out += " " + m.methodKind;
    out += " " + m.name;
    if (m.kind == Member::Kind::Method || !m.parameters.empty())
        out += (m.kind == Member::Kind::Property ? "[" : "(") + Parameters(m.parameters) +
               (m.kind == Member::Kind::Property ? "]" : ")");
    if (!m.type.empty())
        out += ": " + m.type;
    if (!m.initialValue.empty())
        out += " = " + m.initialValue;
    if (!m.readAccessor.empty())
        out += " read " + m.readAccessor;
    if (!m.writeAccessor.empty())
        out += " write " + m.writeAccessor;
    if (!m.modifiers.empty())
        out += " [" + Join(m.modifiers, ", ") + "]";
    if (!m.uniqueId.empty())
        out += " #" + m.uniqueId + "/" + m.zoneTag;
    if (!m.documentation.empty())
        out += " {" + m.documentation + "}";
    return out;
}

// "class TBook(TItem) [sealed] ns=A.B guid=... #ID {doc}"
inline std::string Line(const TypeDecl& t)
{
    std::string out = t.kind + " " + (t.visibility.empty() ? "" : t.visibility + " ") + t.name;
    if (!t.bases.empty())
        out += "(" + Join(t.bases, ", ") + ")";
    if (!t.modifiers.empty())
        out += " [" + Join(t.modifiers, ", ") + "]";
    if (!t.namespaces.empty())
        out += " ns=" + Join(t.namespaces, ".");
    if (!t.guid.empty())
        out += " guid=" + t.guid;
    if (!t.uniqueId.empty())
        out += " #" + t.uniqueId;
    if (!t.documentation.empty())
        out += " {" + t.documentation + "}";
    return out;
}

// Every type line followed by its member lines, indented.
inline std::string Lines(const CodeFile& file)
{
    std::string out;
    for (const TypeDecl& t : file.types) {
        out += Line(t) + "\n";
        for (const Member& m : t.members)
            out += "  " + Line(m) + "\n";
    }
    return out;
}

inline std::string Skipped(const CodeFile& file)
{
    std::string out;
    for (const NotReadBack& n : file.notReadBack)
        out += std::to_string(n.line) + ": " + n.why + "\n";
    return out;
}

} // namespace ReaderText
