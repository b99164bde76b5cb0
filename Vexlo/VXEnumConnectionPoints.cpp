#include "VXEnumConnectionPoints.h"

#include "VXServerModule.h"

#include <new>

IEnumConnectionPoints* CVXEnumConnectionPoints::Create()
{
    return new (std::nothrow) CVXEnumConnectionPoints();
}

// A live enumerator is an object of this server: it keeps the module loaded.
CVXEnumConnectionPoints::CVXEnumConnectionPoints() : m_RefCount(1)
{
    VXModule().Lock();
}

CVXEnumConnectionPoints::~CVXEnumConnectionPoints()
{
    VXModule().Unlock();
}

STDMETHODIMP CVXEnumConnectionPoints::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumConnectionPoints))
    {
        *ppv = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CVXEnumConnectionPoints::AddRef()
{
    return ++m_RefCount;
}

STDMETHODIMP_(ULONG) CVXEnumConnectionPoints::Release()
{
    ULONG count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

STDMETHODIMP CVXEnumConnectionPoints::Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched)
{
    if (pcFetched)
        *pcFetched = 0;
    if (cConnections == 0)
        return S_OK;
    if (!ppCP)
        return E_POINTER;
    return S_FALSE;
}

STDMETHODIMP CVXEnumConnectionPoints::Skip(ULONG cConnections)
{
    return cConnections == 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CVXEnumConnectionPoints::Reset()
{
    return S_OK;
}

STDMETHODIMP CVXEnumConnectionPoints::Clone(IEnumConnectionPoints** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = Create();
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
