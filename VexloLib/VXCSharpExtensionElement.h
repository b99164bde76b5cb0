// Base of the C# extensions of model elements: the element's model extension, the
// element itself, and its "C#" tool properties.
#pragma once

#include "VXCSharpExtension.h"
#include "VXToolProperties.h"

class CVXCSharpModel;
class CVXElement;

class CVXCSharpExtensionElement : public CVXCSharpExtension
{
public:
    // element: the wrapper this extension extends, which is also its parent.
    explicit CVXCSharpExtensionElement(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXCSharpExtensionElement() override;

    // The C# extension of the model that owns the element.
    virtual LmLib::CLmPtr<CVXCSharpModel> GetModel();
    virtual LmLib::CLmPtr<CVXElement> GetElement();

    // The element's "C#" property, as the host reports it.
    LmLib::Values::CLmBSTR GetProperty(const wchar_t* name);
    // A reader of the element's properties, for several reads in a row.
    CVXToolProperties Properties();
    bool IsPropertyTrue(const wchar_t* name);
    std::wstring GetPropertyLower(const wchar_t* name);
};
