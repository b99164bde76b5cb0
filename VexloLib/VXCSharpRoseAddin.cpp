#include "VXCSharpRoseAddin.h"

#include "LmTranslate.h"
#include "VXContextMenuItem.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    const wchar_t kCaption[] = L"Generate Code";
    const wchar_t kInternalName[] = L"CODEGEN";
    // The host's context menus that get the item; the numbers are the host's.
    const short kMenuTypes[] = {4, 7};
}

CLmPtr<CVXCSharpRoseAddin> CVXCSharpRoseAddin::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpRoseAddin>(parent, object);
    }
    LM_END_TRY
}

CVXCSharpRoseAddin::CVXCSharpRoseAddin(const CVXParentPtr& parent, IDispatch* object) : CVXCSharpAddIn(parent, object) {}

CVXCSharpRoseAddin::~CVXCSharpRoseAddin() = default;

void CVXCSharpRoseAddin::OnActivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXCSharpAddIn::OnActivate(application);
        // The items stay registered in the host; their wrappers are not needed.
        for (short menuType : kMenuTypes)
            AddContextMenuItem(menuType, CLmBSTR(kCaption), CLmBSTR(kInternalName));
    }
    LM_END_TRY
}

void CVXCSharpRoseAddin::OnDeactivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXCSharpAddIn::OnDeactivate(application);
    }
    LM_END_TRY
}

void CVXCSharpRoseAddin::OnSelectedContextMenuItem(CLmPtr<CVXApplication> application, CLmBSTR internalName)
{
    LM_TRY
    {
        if (internalName == kInternalName)
            OnGenerateCode(application);
    }
    LM_END_TRY
}
