#include "VXClassFactory.h"

#include <vxplat/Kernel.h>

#include <new>

IClassFactory* CVXClassFactory::Create(VXCreatorFunction create)
{
    return new (std::nothrow) CVXClassFactory(create);
}

CVXClassFactory::CVXClassFactory(VXCreatorFunction create) : m_Create(create), m_RefCount(1)
{
}

CVXClassFactory::~CVXClassFactory() = default;

STDMETHODIMP CVXClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
    {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CVXClassFactory::AddRef()
{
    LONG count = InterlockedIncrement(&m_RefCount);
    // The first reference beyond the module's cache keeps the module loaded.
    if (count == 2)
        VXModule().Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CVXClassFactory::Release()
{
    LONG count = InterlockedDecrement(&m_RefCount);
    if (count == 1)
        VXModule().Unlock();
    else if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CVXClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return m_Create(outer, riid, ppv);
}

STDMETHODIMP CVXClassFactory::LockServer(BOOL lock)
{
    if (lock)
        VXModule().Lock();
    else
        VXModule().Unlock();
    return S_OK;
}
