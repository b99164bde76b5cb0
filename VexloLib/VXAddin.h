// The language add-in object that a COM class of the server owns and forwards the
// host's five callbacks to. Until activation its automation object is the owning COM
// object's own IDispatch; activation replaces it by the host's add-in entry of the
// same language, deactivation empties it.
#pragma once

#include "VXApplication.h"
#include "VXObject.h"

#include "LmBSTR.h"

class CVXContextMenuItem;

class CVXAddin : public CVXObject
{
public:
    static LmLib::CLmPtr<CVXAddin> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAddin() override;

    // Takes the host's first add-in entry named exactly GetLanguageName(); without one
    // nothing changes.
    virtual void OnActivate(LmLib::CLmPtr<CVXApplication> application);
    // Lets go of the host's add-in entry.
    virtual void OnDeactivate(LmLib::CLmPtr<CVXApplication> application);
    // Registers an item with the host through the add-in entry held; fails with
    // E_POINTER when no add-in entry is held.
    virtual LmLib::CLmPtr<CVXContextMenuItem> AddContextMenuItem(short itemType,
                                                                 LmLib::Values::CLmBSTR fullCaption,
                                                                 LmLib::Values::CLmBSTR internalName);
    virtual void OnEnableContextMenuItems(LmLib::CLmPtr<CVXApplication> application, short itemType);
    virtual void OnSelectedContextMenuItem(LmLib::CLmPtr<CVXApplication> application,
                                           LmLib::Values::CLmBSTR internalName);
    virtual void OnGenerateCode(LmLib::CLmPtr<CVXApplication> application);
    // "Delphi" or "C#" in the language classes; empty here.
    virtual LmLib::Values::CLmBSTR GetLanguageName();

    // The Name of the wrapped host add-in.
    LmLib::Values::CLmBSTR GetName();

protected:
    // The generation command of both languages: the selected classes, then the
    // selected components, each in its own assigned language when that is exactly
    // "Delphi" or "C#".
    static void GenerateSelection(const LmLib::CLmPtr<CVXApplication>& application);
};
