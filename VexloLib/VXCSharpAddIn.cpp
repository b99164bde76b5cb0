#include "VXCSharpAddIn.h"

#include "LmTranslate.h"
#include "VXContextMenuItem.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CVXCSharpAddIn::CVXCSharpAddIn(const CVXParentPtr& parent, IDispatch* object) : CVXAddin(parent, object) {}

CVXCSharpAddIn::~CVXCSharpAddIn() = default;

void CVXCSharpAddIn::OnActivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXAddin::OnActivate(application);
    }
    LM_END_TRY
}

void CVXCSharpAddIn::OnDeactivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXAddin::OnDeactivate(application);
    }
    LM_END_TRY
}

CLmPtr<CVXContextMenuItem> CVXCSharpAddIn::AddContextMenuItem(short itemType, CLmBSTR fullCaption,
                                                              CLmBSTR internalName)
{
    LM_TRY
    {
        return CVXAddin::AddContextMenuItem(itemType, fullCaption, internalName);
    }
    LM_END_TRY
}

void CVXCSharpAddIn::OnGenerateCode(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        GenerateSelection(application);
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAddIn::GetLanguageName()
{
    LM_TRY
    {
        return CLmBSTR(L"C#");
    }
    LM_END_TRY
}
