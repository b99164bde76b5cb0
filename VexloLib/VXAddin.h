// The language add-in object that a COM class of the server owns and forwards the
// host's five callbacks to. Until activation its automation object is the owning
// COM object's own IDispatch.
#pragma once

#include "VXApplication.h"

#include "LmBSTR.h"

class CVXAddin : public CVXCommon
{
public:
    CVXAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXAddin() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;

    // The host's callbacks; behaviour comes with the add-in commands.
    virtual void OnActivate(LmLib::CLmPtr<CVXApplication> application);
    virtual void OnDeactivate(LmLib::CLmPtr<CVXApplication> application);
    virtual void OnEnableContextMenuItems(LmLib::CLmPtr<CVXApplication> application, short itemType);
    virtual void OnSelectedContextMenuItem(LmLib::CLmPtr<CVXApplication> application,
                                           LmLib::Values::CLmBSTR internalName);
    virtual void OnGenerateCode(LmLib::CLmPtr<CVXApplication> application);
    // "Delphi" or "C#" in the language classes; empty here.
    virtual LmLib::Values::CLmBSTR GetLanguageName();
};
