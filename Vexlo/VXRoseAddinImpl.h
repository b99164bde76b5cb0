// What the two add-in COM classes share: identity and aggregation, the interface
// map, IDispatch from the type library, error information support, the empty
// connection-point container and the choice of the contained add-in object. The
// language's traits struct supplies:
//   using Interface = ...;                      the dual interface I
//   static const IID& InterfaceId();            I's interface id
//   using RoseAddin = ...;                      the add-in object under Rational Rose
//   using ModelerAddin = ...;                   the add-in object under Visual Modeler
// The concrete class T (deriving from CVXRoseAddinImpl<T, Traits>) supplies:
//   HRESULT FinalConstruct();                   creates the contained add-in object
// and the five methods of I. Those are guarded in T's own source file, so that an
// error's trail names it.
#pragma once

#include "VXApplication.h"
#include "VXEnumConnectionPoints.h"
#include "VXServerModule.h"
#include "VexloInterfaces.h"

#include "LmContainerObject.h"
#include "LmTranslate.h"

#include <vxplat/TypeLib.h>

#include <new>

// The declared parameters of the five methods, shared by both dual interfaces.
inline const VARTYPE kVXApplicationParam[] = {VT_DISPATCH | VT_BYREF};
inline const LPCOLESTR kVXApplicationParamNames[] = {L"oRoseApplication"};
inline const VARTYPE kVXMenuItemParams[] = {VT_DISPATCH | VT_BYREF, VT_BSTR | VT_BYREF};
inline const LPCOLESTR kVXMenuItemParamNames[] = {L"oRoseApplication", L"InternalName"};
inline const VARTYPE kVXItemTypeParams[] = {VT_DISPATCH | VT_BYREF, VT_I2 | VT_BYREF};
inline const LPCOLESTR kVXItemTypeParamNames[] = {L"oRoseApplication", L"itemType"};

template <class T, class Traits>
class CVXRoseAddinImpl : public Traits::Interface,
                         public ISupportErrorInfo,
                         public IConnectionPointContainer,
                         public LmLib::Object::CLmContainerObject
{
    using I = typename Traits::Interface;

public:
    static const IID& InterfaceId() { return Traits::InterfaceId(); }

    // I's methods for IDispatch.
    static const VxpDispTable& DispTable()
    {
        static const VxpDispMethod methods[] = {
            {L"OnActivate", 1, 1, kVXApplicationParam, kVXApplicationParamNames, VXP_DISP_CALL(&I::OnActivate)},
            {L"OnDeactivate", 2, 1, kVXApplicationParam, kVXApplicationParamNames, VXP_DISP_CALL(&I::OnDeactivate)},
            {L"OnGenerateCode", 3, 1, kVXApplicationParam, kVXApplicationParamNames,
             VXP_DISP_CALL(&I::OnGenerateCode)},
            {L"OnSelectedContextMenuItem", 4, 2, kVXMenuItemParams, kVXMenuItemParamNames,
             VXP_DISP_CALL(&I::OnSelectedContextMenuItem)},
            {L"OnEnableContextMenuItems", 5, 2, kVXItemTypeParams, kVXItemTypeParamNames,
             VXP_DISP_CALL(&I::OnEnableContextMenuItems)},
        };
        static const VxpDispTable table = {methods, 5};
        return table;
    }

    // The instance creation of the object map: a plain object, or an aggregated one
    // when outer is given (the class factory has checked that riid is IID_IUnknown then).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        T* object = new (std::nothrow) T(outer);
        if (!object)
            return E_OUTOFMEMORY;
        object->InnerAddRef();  // construction reference
        HRESULT hr = object->FinalConstruct();
        if (SUCCEEDED(hr))
            hr = object->InnerQueryInterface(riid, ppv);
        object->InnerRelease();  // destroys the object when nothing took it
        return hr;
    }

    // IUnknown: through the controlling unknown (the outer object when aggregated).
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_Controlling->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_Controlling->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_Controlling->Release(); }

    // IDispatch, answered from the type library.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return TypeInfo().GetTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override
    {
        return TypeInfo().GetTypeInfo(iTInfo, lcid, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override
    {
        return TypeInfo().GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        return TypeInfo().Invoke(static_cast<I*>(this), dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult,
                                 pExcepInfo, puArgErr);
    }

    // ISupportErrorInfo: only the add-in interface reports errors this way.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return IsEqualIID(riid, T::InterfaceId()) ? S_OK : S_FALSE;
    }

    // IConnectionPointContainer: the event interface has no members, so no
    // connection point is offered.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = CVXEnumConnectionPoints::Create();
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint** ppCP) override
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        return CONNECT_E_NOCONNECTION;
    }

protected:
    explicit CVXRoseAddinImpl(IUnknown* outer)
        : m_Inner(this), m_Self(this), m_Controlling(outer ? outer : &m_Inner), m_RefCount(0)
    {
        VXModule().Lock();
    }

    virtual ~CVXRoseAddinImpl()
    {
        // The add-in object goes first: it may still hold m_Self.
        try
        {
            SetObject(LmLib::CLmPtr<LmLib::Object::CLmObject>());
        }
        catch (...)
        {
        }
        VXModule().Unlock();
    }

    // The automation object handed to the contained add-in object: this object's
    // IDispatch, but not counted. The object owns the add-in object, so a counted
    // reference back would keep both alive for ever.
    IDispatch* GetSelfDispatch() { return &m_Self; }

    // The Rational Rose or the Visual Modeler variant of the add-in object, for the host
    // this module runs in. Unguarded: FinalConstruct names its own file in the trail.
    LmLib::CLmPtr<LmLib::Object::CLmObject> CreateAddin()
    {
        LmLib::CLmPtr<LmLib::Object::CLmObject> addin;
        if (CVXServerModule::IsRoseHost())
            addin = Traits::RoseAddin::Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject>(), GetSelfDispatch());
        else
            addin = Traits::ModelerAddin::Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject>(), GetSelfDispatch());
        return addin;
    }

    // The application pointer from a callback's by-reference parameter, in a new wrapper.
    LmLib::CLmPtr<CVXApplication> WrapApplication(IRoseApplication** application)
    {
        LM_TRY
        {
            LM_CHECK_POINTER(application, L"oRoseApplication");
            return CVXApplication::Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject>(),
                                          VXRoseApplicationDispatch(*application));
        }
        LM_END_TRY
    }

private:
    // The non-delegating IUnknown: the object's own identity and count.
    class CInner : public IUnknown
    {
    public:
        explicit CInner(CVXRoseAddinImpl* owner) : m_Owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_Owner->InnerQueryInterface(riid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return m_Owner->InnerAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_Owner->InnerRelease(); }

    private:
        CVXRoseAddinImpl* m_Owner;
    };

    // See GetSelfDispatch: a count of its own that owns nothing; everything else is
    // the object's.
    class CSelfDispatch : public IDispatch
    {
    public:
        explicit CSelfDispatch(CVXRoseAddinImpl* owner) : m_Owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_Owner->QueryInterface(riid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return ++m_RefCount; }
        STDMETHODIMP_(ULONG) Release() override { return --m_RefCount; }
        STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return m_Owner->GetTypeInfoCount(pctinfo); }
        STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override
        {
            return m_Owner->GetTypeInfo(iTInfo, lcid, ppTInfo);
        }
        STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override
        {
            return m_Owner->GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
        }
        STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                            VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
        {
            return m_Owner->Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
        }

    private:
        CVXRoseAddinImpl* m_Owner;
        ULONG m_RefCount = 0;
    };

    // The interface map, in this order.
    HRESULT InnerQueryInterface(REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, T::InterfaceId()) || IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<I*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *ppv = static_cast<ISupportErrorInfo*>(this);
        else if (IsEqualIID(riid, IID_IConnectionPointContainer))
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(riid, IID_IUnknown))
            *ppv = &m_Inner;
        else
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        static_cast<IUnknown*>(*ppv)->AddRef();
        return S_OK;
    }

    // Apartment-threaded: the count is not interlocked.
    ULONG InnerAddRef() { return ++m_RefCount; }
    ULONG InnerRelease()
    {
        ULONG count = --m_RefCount;
        if (count == 0)
            delete static_cast<T*>(this);
        return count;
    }

    static VxpTypeInfoHolder& TypeInfo()
    {
        static VxpTypeInfoHolder holder(VXModule().GetModuleInstance(), T::InterfaceId(), T::DispTable());
        return holder;
    }

    CInner m_Inner;
    CSelfDispatch m_Self;
    IUnknown* m_Controlling;
    ULONG m_RefCount;
};
