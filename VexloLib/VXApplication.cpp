#include "VXApplication.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAddinManager.h"
#include "VXModel.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Application;

CLmPtr<CVXApplication> CVXApplication::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXApplication>(parent, object);
    }
    LM_END_TRY
}

CVXApplication::CVXApplication(const CVXParentPtr& parent, IDispatch* object) : CVXBase(parent, object) {}

CVXApplication::~CVXApplication() = default;

bool CVXApplication::Initialize(CVXParentPtr)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

void CVXApplication::WriteErrorLog(const CLmBSTR& message)
{
    LM_TRY
    {
        GetIRoseApplication().Call<void>(Host::WriteErrorLog, message);
    }
    LM_END_TRY
}

CVXHostInterface CVXApplication::GetIRoseApplication()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXModel> CVXApplication::GetCurrentModel()
{
    LM_TRY
    {
        return GetIRoseApplication().Get<CLmPtr<CVXModel>>(Host::CurrentModel);
    }
    LM_END_TRY
}

CLmPtr<CVXAddinManager> CVXApplication::GetAddInManager()
{
    LM_TRY
    {
        return GetIRoseApplication().Get<CLmPtr<CVXAddinManager>>(Host::AddInManager);
    }
    LM_END_TRY
}
