// The dual interfaces of the two add-in classes, as Vexlo.idl declares them.
// The vtable order after the seven IDispatch slots is the order of the methods here.
#pragma once

#include "vxplat/Com.h"

// The host's application object; the add-in reaches it only through IDispatch.
struct IRoseApplication;

struct IVXRoseDelphiAddin : public IDispatch {
    STDMETHOD(OnActivate)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnDeactivate)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnGenerateCode)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnSelectedContextMenuItem)(IRoseApplication** oRoseApplication, BSTR* InternalName) PURE;
    STDMETHOD(OnEnableContextMenuItems)(IRoseApplication** oRoseApplication, short* itemType) PURE;
};

struct IVXRoseCSharpAddin : public IDispatch {
    STDMETHOD(OnActivate)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnDeactivate)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnGenerateCode)(IRoseApplication** oRoseApplication) PURE;
    STDMETHOD(OnSelectedContextMenuItem)(IRoseApplication** oRoseApplication, BSTR* InternalName) PURE;
    STDMETHOD(OnEnableContextMenuItems)(IRoseApplication** oRoseApplication, short* itemType) PURE;
};

// IRoseApplication is a dual interface derived from IDispatch, so a pointer to it is
// a pointer to the object's IDispatch.
inline IDispatch* VXRoseApplicationDispatch(IRoseApplication* application)
{
    return reinterpret_cast<IDispatch*>(application);
}
