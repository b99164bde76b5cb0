// The COM class VXRoseDelphiAddin: the Delphi language add-in as the host sees it.
// It owns one Delphi add-in object, chosen by the host at construction, and
// forwards the five callbacks to it.
#pragma once

#include "VXDelphiAddin.h"
#include "VXRoseAddinImpl.h"
#include "VexloIds.h"

class CVXDelphiModelerAddin;
class CVXDelphiRoseAddin;

struct CVXRoseDelphiAddinTraits
{
    using Interface = IVXRoseDelphiAddin;
    static const IID& InterfaceId() { return IID_IVXRoseDelphiAddin; }
    using RoseAddin = CVXDelphiRoseAddin;
    using ModelerAddin = CVXDelphiModelerAddin;
};

class CVXRoseDelphiAddin : public CVXRoseAddinImpl<CVXRoseDelphiAddin, CVXRoseDelphiAddinTraits>
{
public:
    explicit CVXRoseDelphiAddin(IUnknown* outer);
    ~CVXRoseDelphiAddin() override;

    // Creates the Rational Rose or the Visual Modeler variant of the add-in object.
    HRESULT FinalConstruct();

    STDMETHODIMP OnActivate(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnDeactivate(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnGenerateCode(IRoseApplication** oRoseApplication) override;
    STDMETHODIMP OnSelectedContextMenuItem(IRoseApplication** oRoseApplication, BSTR* InternalName) override;
    STDMETHODIMP OnEnableContextMenuItems(IRoseApplication** oRoseApplication, short* itemType) override;

private:
    LmLib::CLmPtr<CVXDelphiAddin> GetAddin();
};
