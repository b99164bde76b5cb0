// IDispatch from the interfaces' tables and the type-library registry keys, where
// there is no type-library runtime (see vxplat/TypeLib.h).
#include "vxplat/TypeLib.h"

#include "vxplat/Crt.h"
#include "vxplat/Kernel.h"
#include "vxplat/Registry.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

const VxpDispMethod* FindMethod(const VxpDispTable& table, DISPID id)
{
    for (UINT i = 0; i < table.count; ++i)
        if (table.methods[i].dispid == id) return &table.methods[i];
    return nullptr;
}

// A value argument of another type is converted as Automation converts it.
HRESULT CoerceValue(VARIANTARG* given, VARTYPE declared, VARIANTARG* temp, VARIANTARG** used)
{
    if (declared == VT_VARIANT || V_VT(given) == declared) {
        *used = given;
        return S_OK;
    }
    HRESULT hr = VariantChangeType(temp, given, 0, declared);
    if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    *used = temp;
    return S_OK;
}

void FillException(EXCEPINFO* info, HRESULT result)
{
    if (!info) return;
    *info = EXCEPINFO{};
    info->scode = result;
    IErrorInfo* error = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
        error->Release();
    }
}

}  // namespace

VxpTypeInfoHolder::VxpTypeInfoHolder(HMODULE module, const IID& iid, const VxpDispTable& table)
    : m_module(module), m_iid(iid), m_table(table)
{
}

VxpTypeInfoHolder::~VxpTypeInfoHolder() = default;

HRESULT VxpTypeInfoHolder::Load() { return S_OK; }

HRESULT VxpTypeInfoHolder::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;  // no ITypeInfo objects here: callers go by names and DISPIDs
    return S_OK;
}

HRESULT VxpTypeInfoHolder::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT VxpTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0) return E_INVALIDARG;
    if (!rgszNames || !rgDispId) return E_POINTER;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;

    const VxpDispMethod* method = nullptr;
    for (UINT i = 0; i < m_table.count && !method; ++i)
        if (rgszNames[0] && _wcsicmp(m_table.methods[i].name, rgszNames[0]) == 0) method = &m_table.methods[i];
    if (!method) return DISP_E_UNKNOWNNAME;
    rgDispId[0] = method->dispid;

    HRESULT hr = S_OK;
    for (UINT i = 1; i < cNames; ++i) {
        for (UINT p = 0; p < method->paramCount; ++p)
            if (rgszNames[i] && _wcsicmp(method->paramNames[p], rgszNames[i]) == 0) rgDispId[i] = static_cast<DISPID>(p);
        if (rgDispId[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT VxpTypeInfoHolder::Invoke(void* iface, DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                  DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                  UINT* puArgErr)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams) return E_INVALIDARG;
    const VxpDispMethod* method = FindMethod(m_table, dispIdMember);
    if (!method || !(wFlags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (pDispParams->cNamedArgs > pDispParams->cArgs) return E_INVALIDARG;
    if (pDispParams->cArgs != method->paramCount) return DISP_E_BADPARAMCOUNT;
    if (pDispParams->cArgs && !pDispParams->rgvarg) return E_INVALIDARG;
    if (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs) return E_INVALIDARG;

    const UINT count = method->paramCount;
    // The argument of each parameter: rgvarg holds the named ones first, then the
    // positional ones in reverse order.
    std::vector<UINT> slot(count, count);
    for (UINT n = 0; n < pDispParams->cNamedArgs; ++n) {
        DISPID id = pDispParams->rgdispidNamedArgs[n];
        if (id < 0 || static_cast<UINT>(id) >= count || slot[static_cast<UINT>(id)] != count) {
            if (puArgErr) *puArgErr = n;
            return DISP_E_PARAMNOTFOUND;
        }
        slot[static_cast<UINT>(id)] = n;
    }
    UINT positional = pDispParams->cArgs - pDispParams->cNamedArgs;
    for (UINT p = 0; p < positional; ++p) {
        if (slot[p] != count) {
            if (puArgErr) *puArgErr = slot[p];
            return DISP_E_PARAMNOTFOUND;
        }
        slot[p] = pDispParams->cArgs - 1 - p;
    }

    std::vector<VARIANTARG> temps(count);
    std::vector<VARIANTARG*> args(count, nullptr);
    for (auto& t : temps) VariantInit(&t);
    auto clearTemps = [&temps] {
        for (auto& t : temps) VariantClear(&t);
    };

    for (UINT p = 0; p < count; ++p) {
        VARIANTARG* given = &pDispParams->rgvarg[slot[p]];
        VARTYPE declared = method->paramTypes[p];
        HRESULT hr = S_OK;
        if (declared & VT_BYREF) {
            // A by-reference parameter is passed through as it is: the caller's own
            // variable, of exactly the declared type.
            if (V_VT(given) == declared)
                args[p] = given;
            else
                hr = DISP_E_TYPEMISMATCH;
        } else {
            hr = CoerceValue(given, declared, &temps[p], &args[p]);
        }
        if (FAILED(hr)) {
            clearTemps();
            if (puArgErr) *puArgErr = slot[p];
            return hr;
        }
    }

    if (pVarResult) VariantInit(pVarResult);
    HRESULT result = method->call(iface, args.data());
    clearTemps();
    if (FAILED(result)) {
        FillException(pExcepInfo, result);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

// ---------------------------------------------------------------- registration

namespace {

const wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring VersionText(const VxpTypeLibInfo& info)
{
    wchar_t text[16];
    _snwprintf(text, 16, L"%x.%x", info.major, info.minor);
    return text;
}

LSTATUS SetText(HKEY root, const std::wstring& path, LPCWSTR name, const std::wstring& value)
{
    HKEY key = nullptr;
    LSTATUS st = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (st != ERROR_SUCCESS) return st;
    st = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return st;
}

std::wstring GetText(HKEY root, const std::wstring& path, LPCWSTR name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::wstring();
    wchar_t buffer[260] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    LSTATUS st = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return (st == ERROR_SUCCESS && type == REG_SZ) ? std::wstring(buffer) : std::wstring();
}

// Deletes the key when it has no subkeys left.
void DeleteIfNoSubkeys(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    LSTATUS st = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (st == ERROR_SUCCESS && subkeys == 0) RegDeleteKeyW(root, path.c_str());
}

bool ModulePaths(HMODULE module, std::wstring& path, std::wstring& folder)
{
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return false;
    path = buffer;
    size_t cut = path.find_last_of(L"\\/");
    folder = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
    return true;
}

}  // namespace

HRESULT VxpRegisterTypeLib(HMODULE module, const VxpTypeLibInfo& info)
{
    std::wstring path, folder;
    if (!ModulePaths(module, path, folder)) return TYPE_E_CANTLOADLIBRARY;
    const std::wstring libid = GuidText(*info.libid);
    const std::wstring version = VersionText(info);
    const std::wstring lib = L"TypeLib\\" + libid + L"\\" + version;

    LSTATUS st = SetText(HKEY_CLASSES_ROOT, lib, nullptr, info.helpString ? info.helpString : L"");
    if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, lib + L"\\0\\win32", nullptr, path);
    if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, lib + L"\\FLAGS", nullptr, L"0");
    if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, lib + L"\\HELPDIR", nullptr, folder);
    for (UINT i = 0; st == ERROR_SUCCESS && i < info.interfaceCount; ++i) {
        const std::wstring key = L"Interface\\" + GuidText(*info.interfaces[i].iid);
        st = SetText(HKEY_CLASSES_ROOT, key, nullptr, info.interfaces[i].name);
        if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid", nullptr, kAutomationMarshaler);
        if (st == ERROR_SUCCESS)
            st = SetText(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaler);
        if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, libid);
        if (st == ERROR_SUCCESS) st = SetText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version", version);
    }
    return st == ERROR_SUCCESS ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT VxpUnRegisterTypeLib(HMODULE, const VxpTypeLibInfo& info)
{
    const std::wstring libid = GuidText(*info.libid);
    const std::wstring lib = L"TypeLib\\" + libid;
    const std::wstring version = lib + L"\\" + VersionText(info);

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, version.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS;  // not registered
    RegCloseKey(key);

    // Only the interface keys that still belong to this library.
    for (UINT i = 0; i < info.interfaceCount; ++i) {
        const std::wstring iface = L"Interface\\" + GuidText(*info.interfaces[i].iid);
        if (_wcsicmp(GetText(HKEY_CLASSES_ROOT, iface + L"\\TypeLib", nullptr).c_str(), libid.c_str()) == 0)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, iface.c_str());
    }
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (version + L"\\0\\win32").c_str());
    DeleteIfNoSubkeys(HKEY_CLASSES_ROOT, version + L"\\0");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (version + L"\\FLAGS").c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (version + L"\\HELPDIR").c_str());
    DeleteIfNoSubkeys(HKEY_CLASSES_ROOT, version);
    DeleteIfNoSubkeys(HKEY_CLASSES_ROOT, lib);
    return S_OK;
}
