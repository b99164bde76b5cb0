#include "VXAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXAddin::CVXAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object) : CVXCommon(parent, object) {}

CVXAddin::~CVXAddin() = default;

bool CVXAddin::Initialize(CLmPtr<CLmRefsObject> parent)
{
    LM_TRY
    {
        return CVXCommon::Initialize(parent);
    }
    LM_END_TRY
}

void CVXAddin::OnActivate(CLmPtr<CVXApplication>) {}

void CVXAddin::OnDeactivate(CLmPtr<CVXApplication>) {}

void CVXAddin::OnEnableContextMenuItems(CLmPtr<CVXApplication>, short) {}

void CVXAddin::OnSelectedContextMenuItem(CLmPtr<CVXApplication>, CLmBSTR) {}

void CVXAddin::OnGenerateCode(CLmPtr<CVXApplication>) {}

CLmBSTR CVXAddin::GetLanguageName()
{
    return CLmBSTR();
}
