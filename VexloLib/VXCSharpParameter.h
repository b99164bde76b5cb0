// The C# extension of a parameter: its type, a blank and its name.
#pragma once

#include "VXCSharpExtensionElement.h"

#include <string>

class CVXParameter;

class CVXCSharpParameter : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpParameter> Create(const LmLib::CLmPtr<CVXParameter>& parameter);

    explicit CVXCSharpParameter(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parameter);
    ~CVXCSharpParameter() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // type " " name; no default value, no direction keyword.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    virtual LmLib::CLmPtr<CVXParameter> GetParameter();
    // text += what GetDeclaration answers for parameter; a method's header takes it
    // without making an extension and a host string for every parameter.
    static void AppendDeclaration(std::wstring& text, CVXParameter& parameter);
};
