// Inside the host process: sits on FindResourceExW and passes every call through
// unchanged.
#pragma once

#include "LmAPIHook.h"

#include <vxplat/Resource.h>

class CVXResourceHookModeler : public LmLib::Hook::CLmAPIHook
{
public:
    explicit CVXResourceHookModeler(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& owner);
    ~CVXResourceHookModeler() override;

    static LmLib::CLmPtr<CVXResourceHookModeler> Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner);

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner) override;

    // Takes the place of FindResourceExW while the hook is installed.
    static HRSRC WINAPI FindResourceExReplacement(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
};
