#include "VXAddinManager.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAddinCollection.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::AddInManager;

CLmPtr<CVXAddinManager> CVXAddinManager::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAddinManager>(parent, object);
    }
    LM_END_TRY
}

CVXAddinManager::CVXAddinManager(const CVXParentPtr& parent, IDispatch* object) : CVXObject(parent, object) {}

CVXAddinManager::~CVXAddinManager() = default;

CLmPtr<CVXAddinCollection> CVXAddinManager::GetAddIns()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmPtr<CVXAddinCollection>>(Host::AddIns);
    }
    LM_END_TRY
}
