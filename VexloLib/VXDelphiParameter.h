// The Delphi extension of an operation parameter: "Name: Type". Parameters carry no
// mode and no default value.
#pragma once

#include "VXDelphiExtensionElement.h"

#include <string>

class CVXParameter;

class CVXDelphiParameter : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiParameter> Create(const LmLib::CLmPtr<CVXParameter>& parameter);

    explicit CVXDelphiParameter(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parameter);
    ~CVXDelphiParameter() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The name, and ": " with the type when there is one (used in method headers).
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The name, ": " and the type.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    virtual LmLib::CLmPtr<CVXParameter> GetParameter();
    // text += what GetImplementation answers for parameter; an operation's header takes
    // it without making an extension and a host string for every parameter.
    static void AppendImplementation(std::wstring& text, CVXParameter& parameter);
};
