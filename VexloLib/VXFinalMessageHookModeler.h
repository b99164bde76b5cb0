// Inside Visual Modeler: swallows the host's own message boxes about a code
// generation it cannot do itself (no selection, the languages Delphi and C#), which
// this add-in does instead. Every other message box is shown as before.
#pragma once

#include "LmAPIHook.h"

#include <vxplat/User.h>

class CVXFinalMessageHookModeler : public LmLib::Hook::CLmAPIHook
{
public:
    explicit CVXFinalMessageHookModeler(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& owner);
    ~CVXFinalMessageHookModeler() override;

    static LmLib::CLmPtr<CVXFinalMessageHookModeler> Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner);

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner) override;

    // Takes the place of MessageBoxIndirectA while the hook is installed.
    static int WINAPI MessageBoxIndirectReplacement(const MSGBOXPARAMSA* params);
};
