#include "VXDelphiSubsystem.h"

#include "LmTranslate.h"
#include "VXDelphiModel.h"
#include "VXSubsystem.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiSubsystem> CVXDelphiSubsystem::Create(const CLmPtr<CVXSubsystem>& subsystem)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiSubsystem>(CLmPtr<CLmRefsObject>(subsystem));
    }
    LM_END_TRY
}

CVXDelphiSubsystem::CVXDelphiSubsystem(const CLmPtr<CLmRefsObject>& subsystem)
    : CVXDelphiExtensionElement(subsystem)
{
}

CVXDelphiSubsystem::~CVXDelphiSubsystem() = default;

CLmPtr<CVXSubsystem> CVXDelphiSubsystem::GetSubsystem()
{
    LM_TRY
    {
        CLmPtr<CVXSubsystem> subsystem(GetOwner());
        LM_CHECK_POINTER(subsystem.GetTyped(), L"subsystem");
        return subsystem;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiSubsystem::GetDirectory()
{
    LM_TRY
    {
        CLmPtr<CVXDelphiModel> model = GetModel();
        LM_CHECK_POINTER(model.GetTyped(), L"model");
        CLmBSTR value = model->ExpandVirtualPath(GetProperty(L"Directory"));
        value.MakeUpper();
        bool automatic = value == L"AUTO GENERATE";
        if (!automatic && !(value == L"."))
            return value;

        CLmPtr<CVXSubsystem> subsystem = GetSubsystem();
        CLmPtr<CVXSubsystem> parent = subsystem->GetParentSubsystem();
        if (parent.IsNull())
            return model->GetDirectory();
        CLmPtr<CVXDelphiSubsystem> parentExtension(parent->GetExtension(CLmBSTR(ToolName)));
        LM_CHECK_POINTER(parentExtension.GetTyped(), L"parent subsystem");
        CLmBSTR directory = parentExtension->GetDirectory();
        if (automatic && !subsystem->IsRootPackage())
        {
            if (!directory.IsEmpty())
                directory += L"\\";
            directory += subsystem->GetName();
        }
        return directory;
    }
    LM_END_TRY
}
