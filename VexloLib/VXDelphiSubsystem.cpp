#include "VXDelphiSubsystem.h"

#include "LmTranslate.h"
#include "VXModuleOutput.h"
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
        return CVXModuleOutput::GetSubsystemDirectory(GetSubsystem(), ToolName);
    }
    LM_END_TRY
}
