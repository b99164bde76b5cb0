#include "VXAddin.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAddinCollection.h"
#include "VXAddinManager.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXContextMenuItem.h"
#include "VXModel.h"
#include "VXModule.h"
#include "VXModuleCollection.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::AddIn;

namespace
{
    // The languages the generation command knows, compared exactly.
    const wchar_t* const kLanguages[] = {L"Delphi", L"C#"};
}

CLmPtr<CVXAddin> CVXAddin::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAddin>(parent, object);
    }
    LM_END_TRY
}

CVXAddin::CVXAddin(const CVXParentPtr& parent, IDispatch* object) : CVXObject(parent, object) {}

CVXAddin::~CVXAddin() = default;

void CVXAddin::OnActivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        LM_CHECK_POINTER(application.GetTyped(), L"application");
        CLmPtr<CVXAddinManager> manager = application->GetAddInManager();
        LM_CHECK_POINTER(manager.GetTyped(), L"manager");
        CLmPtr<CVXAddinCollection> addins = manager->GetAddIns();
        LM_CHECK_POINTER(addins.GetTyped(), L"addins");
        const CLmBSTR language = GetLanguageName();
        for (LONG i = 0; i < addins->GetCount(); ++i)
        {
            CLmPtr<CVXAddin> addin = addins->GetAt(i);
            LM_CHECK_POINTER(addin.GetTyped(), L"addin");
            if (addin->GetName() == language)
            {
                CVXDispatchRef entry(addin->GetDispatch());
                SetDispatch(entry.Get());
                return;
            }
        }
    }
    LM_END_TRY
}

void CVXAddin::OnDeactivate(CLmPtr<CVXApplication>)
{
    LM_TRY
    {
        SetDispatch(nullptr);
    }
    LM_END_TRY
}

CLmPtr<CVXContextMenuItem> CVXAddin::AddContextMenuItem(short itemType, CLmBSTR fullCaption, CLmBSTR internalName)
{
    LM_TRY
    {
        // Without a host add-in entry (never found, or let go) the typed interface is
        // missing and this raises E_POINTER before anything is called.
        return HostInterface(Host::Iid).Call<CLmPtr<CVXContextMenuItem>>(Host::AddContextMenuItem, itemType,
                                                                          fullCaption, internalName);
    }
    LM_END_TRY
}

void CVXAddin::OnEnableContextMenuItems(CLmPtr<CVXApplication>, short) {}

void CVXAddin::OnSelectedContextMenuItem(CLmPtr<CVXApplication>, CLmBSTR) {}

void CVXAddin::OnGenerateCode(CLmPtr<CVXApplication>) {}

CLmBSTR CVXAddin::GetLanguageName()
{
    return CLmBSTR();
}

CLmBSTR CVXAddin::GetName()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmBSTR>(Host::Name);
    }
    LM_END_TRY
}

void CVXAddin::GenerateSelection(const CLmPtr<CVXApplication>& application)
{
    LM_TRY
    {
        LM_CHECK_POINTER(application.GetTyped(), L"application");
        CLmPtr<CVXModel> model = application->GetCurrentModel();
        LM_CHECK_POINTER(model.GetTyped(), L"model");

        // The count is asked again before each step, as the host's list may change
        // while elements are generated.
        CLmPtr<CVXClassCollection> classes = model->GetSelectedClasses();
        LM_CHECK_POINTER(classes.GetTyped(), L"classes");
        for (LONG i = 0; i < classes->GetCount(); ++i)
        {
            CLmPtr<CVXClass> cls = classes->GetAt(i);
            LM_CHECK_POINTER(cls.GetTyped(), L"class");
            const CLmBSTR assigned = cls->GetAssignedLanguage();
            for (const wchar_t* language : kLanguages)
                if (assigned == language)
                    cls->Generate(CLmBSTR(language));
        }

        CLmPtr<CVXModuleCollection> modules = model->GetSelectedModules();
        LM_CHECK_POINTER(modules.GetTyped(), L"modules");
        for (LONG i = 0; i < modules->GetCount(); ++i)
        {
            CLmPtr<CVXModule> module = modules->GetAt(i);
            LM_CHECK_POINTER(module.GetTyped(), L"module");
            const CLmBSTR assigned = module->GetAssignedLanguage();
            for (const wchar_t* language : kLanguages)
                if (assigned == language)
                    module->Generate(CLmBSTR(language));
        }
    }
    LM_END_TRY
}
