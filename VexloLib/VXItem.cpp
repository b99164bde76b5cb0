#include "VXItem.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXExtension.h"

using LmLib::Values::CLmBSTR;

CVXItem::CVXItem(const CVXParentPtr& parent, IDispatch* object) : CVXElement(parent, object) {}

CVXItem::~CVXItem() = default;

CLmBSTR CVXItem::GetDocumentation()
{
    LM_TRY
    {
        return ItemInterface().Get<CLmBSTR>(RoseHost::Disp::Item::Documentation);
    }
    LM_END_TRY
}

void CVXItem::DoGenerate(const CLmBSTR& language)
{
    LM_TRY
    {
        // A language without an extension (any name but the exact "Delphi") does nothing.
        LmLib::CLmPtr<CVXExtension> extension = GetExtension(language);
        if (!extension.IsNull())
            extension->Generate();
    }
    LM_END_TRY
}
