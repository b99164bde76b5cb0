// Base of the Delphi extensions of model elements: the element's model extension, the
// element itself, and its "Delphi" tool properties.
#pragma once

#include "VXDelphiExtension.h"
#include "VXToolProperties.h"

class CVXDelphiModel;
class CVXElement;

class CVXDelphiExtensionElement : public CVXDelphiExtension
{
public:
    // element: the wrapper this extension extends, which is also its parent.
    explicit CVXDelphiExtensionElement(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiExtensionElement() override;

    // The Delphi extension of the model that owns the element.
    virtual LmLib::CLmPtr<CVXDelphiModel> GetModel();
    virtual LmLib::CLmPtr<CVXElement> GetElement();

protected:
    // Attributes and roles read their shared settings through it.
    friend struct CVXDelphiMemberText;

    // The element's "Delphi" property, as the host reports it.
    LmLib::Values::CLmBSTR GetProperty(const wchar_t* name);
    // A reader of the element's properties, for several reads in a row.
    CVXToolProperties Properties();
    bool IsPropertyTrue(const wchar_t* name);
    std::wstring GetPropertyLower(const wchar_t* name);
};
