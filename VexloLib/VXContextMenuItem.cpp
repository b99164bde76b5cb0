#include "VXContextMenuItem.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;

CLmPtr<CVXContextMenuItem> CVXContextMenuItem::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXContextMenuItem>(parent, object);
    }
    LM_END_TRY
}

CVXContextMenuItem::CVXContextMenuItem(const CVXParentPtr& parent, IDispatch* object) : CVXObject(parent, object) {}

CVXContextMenuItem::~CVXContextMenuItem() = default;
