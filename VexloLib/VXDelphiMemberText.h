// The texts of a data member of a Delphi class, shared by attributes and association
// roles: the field, the read and write accessors (declarations and implementations),
// the property and the field's initialisation. The attribute and role extensions fill
// one of these from their element's properties and ask it for the text they need.
#pragma once

#include "LmPtr.h"

#include <string>

class CVXClass;
class CVXDelphiExtensionElement;
class CVXItem;
class CVXPreservedZones;

struct CVXDelphiMemberText
{
    bool Generated = false;       // "GenerateCode" (and, for a role, its aggregate flag)
    bool DataMember = false;      // "GenerateDataMember"
    bool IsProperty = false;      // "IsProperty"
    bool GetOperation = false;    // "GenerateGetOperation"
    bool SetOperation = false;    // "GenerateSetOperation"
    std::wstring Kind;            // "Kind", lower case
    std::wstring Parameters;      // "Parameters"
    std::wstring ClassName;       // the class the member belongs to
    std::wstring ClassKind;       // that class's "Kind", lower case
    std::wstring Name;            // the member's name
    std::wstring Type;            // the member's type
    std::wstring InitialValue;    // the value the field is initialised with
    std::wstring Documentation;
    std::wstring UniqueId;
    // Names derived from the member's name ("F", "Get", "Set" + name, the name itself),
    // unless the "DataMemberName", "GetName", "SetName", "PropertyName" properties name
    // them.
    std::wstring FieldName;
    std::wstring GetName;
    std::wstring SetName;
    std::wstring PropertyName;

    // Derives the four names; non-empty overrides replace them.
    void SetNames(const std::wstring& fieldName, const std::wstring& getName, const std::wstring& setName,
                  const std::wstring& propertyName);

    // Reading what attributes and roles share, in the order they read it. None has an
    // error handler of its own: the trail names the extension that asked.
    // The four flags, "Kind" and "Parameters" of the member's extension.
    void ReadSettings(CVXDelphiExtensionElement& extension);
    // The name and "Kind" of the class the member belongs to, if any.
    void ReadClass(const LmLib::CLmPtr<CVXClass>& owner);
    // The member's documentation and unique id, then its names (Name must be set).
    void ReadIdentity(CVXDelphiExtensionElement& extension, CVXItem& member);

    std::wstring FieldDeclaration() const;
    std::wstring ReadMethodDeclaration(int levels) const;
    std::wstring WriteMethodDeclaration(int levels) const;
    std::wstring PropertyDeclaration(int levels) const;
    std::wstring Initialization() const;
    // text += the accessor's implementation; false, with nothing added, when there is
    // none. A class writes them straight into its own text.
    bool ReadMethodImplementation(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones) const;
    bool WriteMethodImplementation(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones) const;

private:
    std::wstring Directive() const;
    std::wstring WriteParameters() const;
    // text += an accessor's body: header, its variables' zone, "begin", its code's zone,
    // "end;".
    void MethodImplementation(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones,
                              const wchar_t* keyword, const std::wstring& method, const std::wstring& parameters,
                              bool function, const wchar_t* varTag, const wchar_t* bodyTag,
                              const std::wstring& body) const;
};
