// IDispatch and registration from the module's embedded type library (TYPELIB 1).
#include "vxplat/TypeLib.h"

#include <string>

namespace {

// Loads TYPELIB 1 of the module: LoadTypeLib takes the module's own path for it.
HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** lib, std::wstring* path)
{
    *lib = nullptr;
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return HRESULT_FROM_WIN32(GetLastError());
    if (path) *path = buffer;
    return LoadTypeLib(buffer, lib);
}

}  // namespace

VxpTypeInfoHolder::VxpTypeInfoHolder(HMODULE module, const IID& iid, const VxpDispTable& table)
    : m_module(module), m_iid(iid), m_table(table)
{
}

VxpTypeInfoHolder::~VxpTypeInfoHolder()
{
    if (m_info) m_info->Release();
}

HRESULT VxpTypeInfoHolder::Load()
{
    if (m_info) return S_OK;
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadModuleTypeLib(m_module, &lib, nullptr);
    if (FAILED(hr)) return hr;
    ITypeInfo* info = nullptr;
    hr = lib->GetTypeInfoOfGuid(m_iid, &info);
    lib->Release();
    if (FAILED(hr)) return hr;
    m_info = info;
    return S_OK;
}

HRESULT VxpTypeInfoHolder::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

HRESULT VxpTypeInfoHolder::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    m_info->AddRef();
    *ppTInfo = m_info;
    return S_OK;
}

HRESULT VxpTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(m_info, rgszNames, cNames, rgDispId);
}

HRESULT VxpTypeInfoHolder::Invoke(void* iface, DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                  DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                  UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    return DispInvoke(iface, m_info, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

HRESULT VxpRegisterTypeLib(HMODULE module, const VxpTypeLibInfo&)
{
    ITypeLib* lib = nullptr;
    std::wstring path;
    HRESULT hr = LoadModuleTypeLib(module, &lib, &path);
    if (FAILED(hr)) return hr;
    std::wstring folder = path.substr(0, path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
    hr = RegisterTypeLib(lib, const_cast<LPOLESTR>(path.c_str()), const_cast<LPOLESTR>(folder.c_str()));
    lib->Release();
    return hr;
}

HRESULT VxpUnRegisterTypeLib(HMODULE module, const VxpTypeLibInfo&)
{
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadModuleTypeLib(module, &lib, nullptr);
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (SUCCEEDED(hr)) {
        hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
        lib->ReleaseTLibAttr(attr);
    }
    lib->Release();
    return hr;
}
