// How a class's members read in a diagram and in the report (UTF-8).
#pragma once

#include <string>

namespace RoseHost {
struct Attribute;
struct Operation;
struct Element;
class ModelText;
}

namespace VexloDiagram {

std::string Utf8(const RoseHost::ModelText& text);
std::string Utf8(const std::wstring& text);

// "+", "#", "-" or "~" for public, protected, private and implementation.
const char* VisibilityMark(int exportControl);

// "name : Type = value"
std::string AttributeText(const RoseHost::Attribute& attribute);
// "name(p1 : T1, p2 : T2) : Return" with the signature, "name()" without.
std::string OperationText(const RoseHost::Operation& operation, bool signature);

// The element's path below the model, "Logical View::Pkg::Name".
std::string QualifiedPath(const RoseHost::Element& element);

} // namespace VexloDiagram
