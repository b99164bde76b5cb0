#include "VXCSharpModelerAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;

CLmPtr<CVXCSharpModelerAddin> CVXCSharpModelerAddin::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpModelerAddin>(parent, object);
    }
    LM_END_TRY
}

CVXCSharpModelerAddin::CVXCSharpModelerAddin(const CVXParentPtr& parent, IDispatch* object) : CVXCSharpAddIn(parent, object) {}

CVXCSharpModelerAddin::~CVXCSharpModelerAddin() = default;

void CVXCSharpModelerAddin::OnActivate(CLmPtr<CVXApplication>) {}

void CVXCSharpModelerAddin::OnDeactivate(CLmPtr<CVXApplication>) {}
