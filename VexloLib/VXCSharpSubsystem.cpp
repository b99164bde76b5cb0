#include "VXCSharpSubsystem.h"

#include "LmTranslate.h"
#include "VXModuleOutput.h"
#include "VXSubsystem.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpSubsystem> CVXCSharpSubsystem::Create(const CLmPtr<CVXSubsystem>& subsystem)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpSubsystem>(CLmPtr<CLmRefsObject>(subsystem));
    }
    LM_END_TRY
}

CVXCSharpSubsystem::CVXCSharpSubsystem(const CLmPtr<CLmRefsObject>& subsystem)
    : CVXCSharpExtensionElement(subsystem)
{
}

CVXCSharpSubsystem::~CVXCSharpSubsystem() = default;

CLmPtr<CVXSubsystem> CVXCSharpSubsystem::GetSubsystem()
{
    LM_TRY
    {
        CLmPtr<CVXSubsystem> subsystem(GetOwner());
        LM_CHECK_POINTER(subsystem.GetTyped(), L"subsystem");
        return subsystem;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpSubsystem::GetDirectory()
{
    LM_TRY
    {
        return CVXModuleOutput::GetSubsystemDirectory(GetSubsystem(), ToolName);
    }
    LM_END_TRY
}
