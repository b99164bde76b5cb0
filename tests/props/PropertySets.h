// The shipped property sets and their documentation, read into plain tables so that the
// tests can compare them with each other and with the example model.
#pragma once

#include "PetalTree.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace PropsTest {

// Path below the source tree.
std::string SourcePath(const std::string& relative);

struct PropertyDef {
    std::string name;
    enum class Type { Text, Boolean, Enumeration } type = Type::Text;
    std::string value;      // text, "TRUE"/"FALSE", or the enumeration word
    std::string enumSet;    // enumerations: the set's name
    long code = 0;          // enumerations: the stored code
};

using EnumSet = std::vector<std::pair<std::string, long>>; // word, code

struct KindSet {
    std::vector<PropertyDef> properties;     // file order
    std::map<std::string, EnumSet> enums;    // enumeration definitions of this set

    const PropertyDef* Find(const std::string& name) const;
};

struct ToolSets {
    std::string tool;
    std::map<std::string, KindSet> kinds;    // "Class", "Module-Spec", ...
    std::vector<std::string> problems;       // everything that breaks the documented format
};

// Reads the tool entries (the "(object Attribute ...)" values) of one tool. Used for the
// .pty files and for the properties section of a model.
ToolSets ReadToolSets(const std::string& tool, const std::vector<const PetalValue*>& entries);

// The .pty file of a tool ("Delphi" -> properties/Delphi.pty, "C#" -> properties/CSharp.pty).
std::string PropertyFileOf(const std::string& tool);

// One row of a property table of docs/PROPERTIES.md.
struct DocRow {
    std::vector<std::string> kinds;  // first column, split at ","
    std::string property;            // without quotes
    std::string values;
    std::string defaultValue;        // as written, quotes removed for text
    bool hasEffect = true;           // false when the effect reads "No effect"
};

struct DocTool {
    std::vector<DocRow> rows;
    std::map<std::string, EnumSet> enums;  // the enumeration table
};

// The section 'Tool "<tool>"' of the markdown text.
DocTool ReadDocTool(const std::string& markdown, const std::string& tool);

} // namespace PropsTest
