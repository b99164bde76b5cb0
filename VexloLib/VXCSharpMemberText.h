// The texts of a data member of a C# type, shared by attributes and association roles:
// the backing field, the property with its get and set accessors, and the constructor
// assignment of the initial value. The attribute and role extensions fill one of these
// from their element and ask it for the text they need.
#pragma once

#include "LmPtr.h"

#include <string>

class CVXCSharpExtensionElement;
class CVXPreservedZones;
struct CVXCSharpOwner;

struct CVXCSharpMemberText
{
    bool Generated = false;    // "GenerateCode" (and, for a role, its aggregate flag)
    bool DataMember = false;   // "GenerateDataMember"
    bool IsProperty = false;   // "IsProperty"
    bool GetOperation = false; // "GenerateGetOperation"
    bool SetOperation = false; // "GenerateSetOperation"
    bool ReadOnly = false;     // "ReadOnly"
    bool Const = false;        // "Const"
    int Kind = 0;              // "Kind" code (CVXCSharpExtension::MemberKind)
    std::wstring Parameters;   // "Parameters": index parameters of the property
    std::wstring Name;
    std::wstring Type;
    std::wstring InitialValue;
    std::wstring Documentation;
    std::wstring UniqueId;
    long Visibility = -1;
    // "F" + name and the name itself, unless "DataMemberName" or "PropertyName" name
    // them.
    std::wstring FieldName;
    std::wstring PropertyName;

    // Reads the flags that decide which texts exist, then, only for those, what they
    // need ("GenerateCode" must have been read into Generated already).
    void ReadSettings(CVXCSharpExtensionElement& extension);
    // Derives the field and property names; non-empty overrides replace them.
    void ReadNames(CVXCSharpExtensionElement& extension);
    // Whether the name, type and the rest are needed at all.
    bool HasText() const { return Generated && (DataMember || IsProperty); }

    // doc, "private ", "const ", "readonly ", type, name, "=" value for a const, ";".
    std::wstring FieldText() const;
    // The property with its accessors; preserved bodies lose level units.
    std::wstring PropertyText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level,
                              const CVXCSharpOwner& owner) const;
    // field name "=" initial value ";", or empty.
    std::wstring Initialization() const;
};
