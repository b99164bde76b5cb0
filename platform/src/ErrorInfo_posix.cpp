// Error information objects and the per-thread error slot.
#include "vxplat/Com.h"
#include "vxplat/Kernel.h"

#include <new>

namespace {

class ErrorInfoObject final : public IErrorInfo, public ICreateErrorInfo {
public:
    ErrorInfoObject() = default;
    ErrorInfoObject(const ErrorInfoObject&) = delete;
    ErrorInfoObject& operator=(const ErrorInfoObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo)
            *ppv = static_cast<IErrorInfo*>(this);
        else if (riid == IID_ICreateErrorInfo)
            *ppv = static_cast<ICreateErrorInfo*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    STDMETHODIMP GetGUID(GUID* g) override
    {
        if (!g) return E_INVALIDARG;
        *g = m_guid;
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* s) override { return Copy(m_source, s); }
    STDMETHODIMP GetDescription(BSTR* s) override { return Copy(m_description, s); }
    STDMETHODIMP GetHelpFile(BSTR* s) override { return Copy(m_helpFile, s); }
    STDMETHODIMP GetHelpContext(DWORD* c) override
    {
        if (!c) return E_INVALIDARG;
        *c = m_helpContext;
        return S_OK;
    }

    STDMETHODIMP SetGUID(REFGUID g) override
    {
        m_guid = g;
        return S_OK;
    }
    STDMETHODIMP SetSource(LPOLESTR s) override { return Set(m_source, s); }
    STDMETHODIMP SetDescription(LPOLESTR s) override { return Set(m_description, s); }
    STDMETHODIMP SetHelpFile(LPOLESTR s) override { return Set(m_helpFile, s); }
    STDMETHODIMP SetHelpContext(DWORD c) override
    {
        m_helpContext = c;
        return S_OK;
    }

private:
    ~ErrorInfoObject()
    {
        SysFreeString(m_source);
        SysFreeString(m_description);
        SysFreeString(m_helpFile);
    }
    static HRESULT Copy(BSTR from, BSTR* to)
    {
        if (!to) return E_INVALIDARG;
        *to = from ? SysAllocStringLen(from, SysStringLen(from)) : nullptr;
        return (from && !*to) ? E_OUTOFMEMORY : S_OK;
    }
    static HRESULT Set(BSTR& field, LPOLESTR s)
    {
        BSTR fresh = s ? SysAllocString(s) : nullptr;
        if (s && !fresh) return E_OUTOFMEMORY;
        SysFreeString(field);
        field = fresh;
        return S_OK;
    }

    LONG m_refs = 1;
    GUID m_guid = GUID_NULL;
    BSTR m_source = nullptr;
    BSTR m_description = nullptr;
    BSTR m_helpFile = nullptr;
    DWORD m_helpContext = 0;
};

// Releases what a thread left in its slot when the thread ends.
struct ErrorSlot {
    IErrorInfo* info = nullptr;
    ~ErrorSlot()
    {
        if (info) info->Release();
    }
};
thread_local ErrorSlot t_errorSlot;

}  // namespace

HRESULT WINAPI CreateErrorInfo(ICreateErrorInfo** pperrinfo)
{
    if (!pperrinfo) return E_INVALIDARG;
    auto* obj = new (std::nothrow) ErrorInfoObject();
    if (!obj) {
        *pperrinfo = nullptr;
        return E_OUTOFMEMORY;
    }
    *pperrinfo = static_cast<ICreateErrorInfo*>(obj);
    return S_OK;
}

HRESULT WINAPI SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo)
{
    if (dwReserved != 0) return E_INVALIDARG;
    if (perrinfo) perrinfo->AddRef();
    IErrorInfo* old = t_errorSlot.info;
    t_errorSlot.info = perrinfo;
    if (old) old->Release();
    return S_OK;
}

HRESULT WINAPI GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo)
{
    if (dwReserved != 0 || !pperrinfo) return E_INVALIDARG;
    *pperrinfo = t_errorSlot.info;
    t_errorSlot.info = nullptr;
    return *pperrinfo ? S_OK : S_FALSE;
}
