#include "VXModel.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXApplication.h"
#include "VXClassCollection.h"
#include "VXModuleCollection.h"
#include "VXCSharpModel.h"
#include "VXDelphiModel.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Model;

CLmPtr<CVXModel> CVXModel::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXModel>(parent, object);
    }
    LM_END_TRY
}

CVXModel::CVXModel(const CVXParentPtr& parent, IDispatch* object) : CVXPackage(parent, object) {}

CVXModel::~CVXModel() = default;

CLmPtr<CVXExtension> CVXModel::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiModel::Create(CLmPtr<CVXModel>(this));
        if (language == L"C#")
            return CVXCSharpModel::Create(CLmPtr<CVXModel>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CLmPtr<CVXClassCollection> CVXModel::GetSelectedClasses()
{
    LM_TRY
    {
        return GetIRoseModel().Call<CLmPtr<CVXClassCollection>>(Host::GetSelectedClasses);
    }
    LM_END_TRY
}

void CVXModel::WriteLog(const CLmBSTR& text)
{
    LM_TRY
    {
        GetApplication()->WriteErrorLog(text);
    }
    LM_END_TRY
}

CLmPtr<CVXModuleCollection> CVXModel::GetSelectedModules()
{
    LM_TRY
    {
        return GetIRoseModel().Call<CLmPtr<CVXModuleCollection>>(Host::GetSelectedModules);
    }
    LM_END_TRY
}

CVXHostInterface CVXModel::GetIRoseModel()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXApplication> CVXModel::GetApplication()
{
    LM_TRY
    {
        return GetIRoseModel().Get<CLmPtr<CVXApplication>>(Host::Application);
    }
    LM_END_TRY
}
