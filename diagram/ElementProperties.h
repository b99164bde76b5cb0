// An element's Delphi and C# properties as a user reads them: every property of the
// tool's default set for the element's kind with the element's own value over it, the
// ones that differ from the default first. Shared by the report and `vexlo show`.
#pragma once

#include <string>
#include <vector>

namespace RoseHost {
struct Element;
struct Model;
}

namespace VexloDiagram {

struct PropertyRow {
    std::string name;
    std::string value;          // the value the add-in reads (UTF-8)
    std::string defaultValue;   // the default set's value ("" when the set has none)
    bool changed = false;       // the element stores a value other than the default
};

// The tools whose properties are shown.
const std::vector<std::wstring>& PropertyTools();

std::vector<PropertyRow> PropertyRows(const RoseHost::Model& model, const RoseHost::Element& element, const std::wstring& tool);

} // namespace VexloDiagram
