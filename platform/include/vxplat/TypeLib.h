// IDispatch of a dual interface answered from its type library, and registration
// of a module's type library.
//
// A COM class describes each dual interface once with a VxpDispTable (the methods'
// names, DISPIDs and declared parameter types, as the IDL gives them) and keeps one
// VxpTypeInfoHolder per interface; its IDispatch methods forward to the holder:
//
//   static const VARTYPE kOneApp[] = {VT_DISPATCH | VT_BYREF};
//   static const LPCOLESTR kOneAppNames[] = {L"oRoseApplication"};
//   static const VxpDispMethod kMethods[] = {
//       {L"OnActivate", 1, 1, kOneApp, kOneAppNames, VXP_DISP_CALL(&IMyAddin::OnActivate)}, ...};
//   static const VxpDispTable kTable = {kMethods, 1};
//
// On Windows the holder loads the module's type library (resource TYPELIB 1) and
// lets the system do the work (ITypeInfo, DispGetIDsOfNames, DispInvoke); the table
// only names the interface there. Elsewhere there is no type-library runtime and
// the holder answers from the table, following the same rules: names compare
// without regard to case, parameter DISPIDs are the parameters' positions, a
// by-reference parameter takes exactly its declared by-reference type (else
// DISP_E_TYPEMISMATCH and *puArgErr), a failing method result becomes
// DISP_E_EXCEPTION with EXCEPINFO filled from the thread's error information.
#pragma once

#include "vxplat/Com.h"

#ifndef _WIN32
#include <cstddef>
#include <type_traits>
#include <utility>
#endif

// Calls one method of the interface with the arguments in declaration order, each
// already of the declared type.
typedef HRESULT (*VxpDispCall)(void* iface, VARIANTARG* const* args);

struct VxpDispMethod {
    LPCOLESTR name;
    DISPID dispid;
    UINT paramCount;
    const VARTYPE* paramTypes;    // declared types, VT_BYREF included
    const LPCOLESTR* paramNames;  // paramCount names
    VxpDispCall call;             // VXP_DISP_CALL(&Interface::Method)
};

struct VxpDispTable {
    const VxpDispMethod* methods;
    UINT count;
};

class VxpTypeInfoHolder {
public:
    // module: the module whose type library describes iid.
    VxpTypeInfoHolder(HMODULE module, const IID& iid, const VxpDispTable& table);
    ~VxpTypeInfoHolder();
    VxpTypeInfoHolder(const VxpTypeInfoHolder&) = delete;
    VxpTypeInfoHolder& operator=(const VxpTypeInfoHolder&) = delete;

    HRESULT GetTypeInfoCount(UINT* pctinfo);
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    // iface: the object's pointer of the described interface.
    HRESULT Invoke(void* iface, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

private:
    HRESULT Load();

    HMODULE m_module;
    const IID& m_iid;
    const VxpDispTable& m_table;
    ITypeInfo* m_info = nullptr;
};

// What registering a type library records about it.
struct VxpTypeLibInterface {
    LPCOLESTR name;
    const IID* iid;
};

struct VxpTypeLibInfo {
    const GUID* libid;
    WORD major;
    WORD minor;
    LPCOLESTR helpString;
    const VxpTypeLibInterface* interfaces;  // the dual interfaces and dispinterfaces
    UINT interfaceCount;
};

// Registers the module's type library (resource TYPELIB 1) under HKEY_CLASSES_ROOT
// with the module's folder as help folder. Windows does this with RegisterTypeLib
// and UnRegisterTypeLib from the library itself; elsewhere the same keys are written
// from info: TypeLib\{libid}\<major.minor> = helpString with 0\win32 = module path,
// FLAGS = "0", HELPDIR; Interface\{iid} = name with ProxyStubClsid(32) = the
// automation marshaler and TypeLib = {libid}, Version = "<major.minor>".
HRESULT VxpRegisterTypeLib(HMODULE module, const VxpTypeLibInfo& info);
HRESULT VxpUnRegisterTypeLib(HMODULE module, const VxpTypeLibInfo& info);

#ifdef _WIN32

// The system calls the interface through its vtable, guided by the type library.
#define VXP_DISP_CALL(method) nullptr

#else

// Makes the VxpDispCall of an interface method: pointer parameters take the
// by-reference pointer of their argument, the others the argument's value.
template <auto Method>
struct VxpDispThunk;

template <class I, class... A, HRESULT (I::*Method)(A...)>
struct VxpDispThunk<Method> {
    static HRESULT Call(void* iface, VARIANTARG* const* args)
    {
        return Invoke(static_cast<I*>(iface), args, std::index_sequence_for<A...>{});
    }

private:
    template <std::size_t... N>
    static HRESULT Invoke(I* object, VARIANTARG* const* args, std::index_sequence<N...>)
    {
        return (object->*Method)(Arg<A>(args[N])...);
    }
    template <class T>
    static T Arg(VARIANTARG* v)
    {
        if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, BSTR> && !std::is_same_v<T, IDispatch*> &&
                      !std::is_same_v<T, IUnknown*>)
            return static_cast<T>(v->byref);
        else if constexpr (std::is_same_v<T, BSTR>)
            return v->bstrVal;
        else if constexpr (std::is_same_v<T, IDispatch*>)
            return v->pdispVal;
        else if constexpr (std::is_same_v<T, IUnknown*>)
            return v->punkVal;
        else if constexpr (std::is_same_v<T, double>)
            return v->dblVal;
        else if constexpr (std::is_same_v<T, float>)
            return v->fltVal;
        else if constexpr (sizeof(T) == 1)
            return static_cast<T>(v->bVal);
        else if constexpr (sizeof(T) == 2)
            return static_cast<T>(v->iVal);
        else if constexpr (sizeof(T) == 4)
            return static_cast<T>(v->lVal);
        else
            return static_cast<T>(v->llVal);
    }
};

#define VXP_DISP_CALL(method) (&VxpDispThunk<method>::Call)

#endif
