// A model item: an element with documentation and language extensions. Base of every
// model wrapper (classes and members, relations, packages, components).
#pragma once

#include "VXElement.h"
#include "VXExtensionIface.h"

class CVXExtension;

class CVXItem : public CVXElement, public CVXExtensionIface
{
public:
    CVXItem(const CVXParentPtr& parent, IDispatch* object);
    ~CVXItem() override;

    // The item's extension object for language ("Delphi" or "C#"), empty for any other.
    virtual LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) = 0;
    virtual LmLib::Values::CLmBSTR GetDocumentation();

    // Asks the item's extension in language to generate itself. Only the component
    // extensions write anything (a file); classes pass the request on to their
    // components instead.
    void DoGenerate(const LmLib::Values::CLmBSTR& language) override;
};
