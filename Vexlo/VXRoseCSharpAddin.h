// The COM class VXRoseCSharpAddin: the C# language add-in as the host sees it.
// It owns one C# add-in object, chosen by the host at construction, and
// forwards the five callbacks to it.
#pragma once

#include "VXCSharpAddIn.h"
#include "VXRoseAddinImpl.h"
#include "VexloIds.h"

class CVXCSharpModelerAddin;
class CVXCSharpRoseAddin;

struct CVXRoseCSharpAddinTraits
{
    using Interface = IVXRoseCSharpAddin;
    static const IID& InterfaceId() { return IID_IVXRoseCSharpAddin; }
    using RoseAddin = CVXCSharpRoseAddin;
    using ModelerAddin = CVXCSharpModelerAddin;
};

class CVXRoseCSharpAddin : public CVXRoseAddinImpl<CVXRoseCSharpAddin, CVXRoseCSharpAddinTraits>
{
public:
    explicit CVXRoseCSharpAddin(IUnknown* outer);
    ~CVXRoseCSharpAddin() override;

    // Creates the Rational Rose or the Visual Modeler variant of the add-in object.
    HRESULT FinalConstruct();

    STDMETHODIMP OnActivate(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnDeactivate(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnGenerateCode(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnSelectedContextMenuItem(IRoseApplication** oRoseApplication, BSTR* InternalName) override;
    STDMETHODIMP OnEnableContextMenuItems(IRoseApplication** oRoseApplication, short* itemType) override;

private:
    LmLib::CLmPtr<CVXCSharpAddIn> GetAddin();
};
