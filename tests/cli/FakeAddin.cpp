// A stand-in add-in module for the command-line host's tests. It registers itself under
// the ProgIDs of the real add-in and, from each callback, reports through the host's
// WriteErrorLog what it was given (argument types, the executable it runs in, the
// selection, the path map), so that the tests see the host protocol from the add-in's
// side. OnActivate adds the "Generate Code" items as the Rose variant of the add-in
// does. A failing host call ends the callback with DISP_E_EXCEPTION and its error text.
#include "vxplat/Com.h"
#include "vxplat/Kernel.h"
#include "vxplat/Module.h"
#include "vxplat/Registry.h"

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;

// {8E0F5A7C-2B1D-4C3E-9F60-1A2B3C4D5E01} and ...02
const CLSID kDelphiClsid = {0x8E0F5A7C, 0x2B1D, 0x4C3E, {0x9F, 0x60, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x01}};
const CLSID kCSharpClsid = {0x8E0F5A7C, 0x2B1D, 0x4C3E, {0x9F, 0x60, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x02}};

const wchar_t* const kMethods[] = {L"OnActivate", L"OnDeactivate", L"OnGenerateCode", L"OnSelectedContextMenuItem",
                                   L"OnEnableContextMenuItems"};

struct HostError {
    HRESULT hr;
    std::wstring text;
};

// One member of a host object; throws HostError when it fails.
VARIANT CallHost(IDispatch* object, const wchar_t* member, WORD flags, std::vector<VARIANT> args = {})
{
    std::wstring name = member;
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        throw HostError{hr, L"no member " + name};
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception = {};
    UINT argError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, &argError);
    for (VARIANT& v : args)
        VariantClear(&v);
    if (FAILED(hr)) {
        std::wstring text = L"host call " + name + L" failed";
        if (hr == DISP_E_EXCEPTION) {
            hr = exception.scode;
            if (exception.bstrDescription)
                text += std::wstring(L": ") + exception.bstrDescription;
        }
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        throw HostError{hr, text};
    }
    return result;
}

VARIANT Str(const std::wstring& text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.c_str());
    return v;
}

VARIANT Short(SHORT value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

IDispatch* Object(VARIANT v)
{
    if (v.vt != VT_DISPATCH || !v.pdispVal)
        throw HostError{E_UNEXPECTED, L"not an object"};
    return v.pdispVal;
}

std::wstring Text(VARIANT v)
{
    std::wstring text = v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"";
    VariantClear(&v);
    return text;
}

long Count(IDispatch* collection)
{
    VARIANT v = CallHost(collection, L"Count", DISPATCH_PROPERTYGET);
    long count = v.vt == VT_I2 ? v.iVal : v.vt == VT_I4 ? v.lVal : 0;
    VariantClear(&v);
    return count;
}

class FakeAddin : public IDispatch {
public:
    explicit FakeAddin(std::wstring language) : m_language(std::move(language)) { InterlockedIncrement(&g_objects); }
    virtual ~FakeAddin() { InterlockedDecrement(&g_objects); }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count != 1)
            return DISP_E_UNKNOWNNAME;
        for (DISPID i = 0; i < 5; ++i)
            if (std::wstring(names[0]) == kMethods[i]) {
                ids[0] = i + 1;
                return S_OK;
            }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO* exception,
                        UINT*) override
    {
        if (id < 1 || id > 5 || !(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        UINT expected = id >= 4 ? 2 : 1;
        if (params->cArgs != expected)
            return DISP_E_BADPARAMCOUNT;
        VARIANTARG& app = params->rgvarg[expected - 1];
        if (app.vt != (VT_DISPATCH | VT_BYREF) || !app.ppdispVal || !*app.ppdispVal)
            return DISP_E_TYPEMISMATCH;
        IDispatch* application = *app.ppdispVal;
        std::wstring line = L"fake " + m_language + L": " + kMethods[id - 1];
        try {
            if (id == 4) {
                if (params->rgvarg[0].vt != (VT_BSTR | VT_BYREF))
                    return DISP_E_TYPEMISMATCH;
                line += std::wstring(L" name=") + *params->rgvarg[0].pbstrVal;
            } else if (id == 5) {
                if (params->rgvarg[0].vt != (VT_I2 | VT_BYREF))
                    return DISP_E_TYPEMISMATCH;
                line += L" type=" + std::to_wstring(*params->rgvarg[0].piVal);
            }
            wchar_t exe[261] = {};
            GetModuleFileNameW(nullptr, exe, 261);
            line += std::wstring(L" exe=") + exe;
            Log(application, line);
            if (id == 1)
                AddMenuItems(application);
            if (id == 3 || (id == 4 && std::wstring(*params->rgvarg[0].pbstrVal) == L"CODEGEN"))
                Generate(application);
        } catch (const HostError& error) {
            if (exception) {
                *exception = EXCEPINFO();
                exception->scode = error.hr;
                exception->bstrDescription = SysAllocString((L"\r\n" + error.text + L"\r\nFakeAddin - " + m_language).c_str());
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }

private:
    static void Log(IDispatch* application, const std::wstring& line)
    {
        VARIANT result = CallHost(application, L"WriteErrorLog", DISPATCH_METHOD, {Str(line)});
        VariantClear(&result);
    }

    void AddMenuItems(IDispatch* application)
    {
        IDispatch* manager = Object(CallHost(application, L"AddInManager", DISPATCH_PROPERTYGET));
        IDispatch* addIns = Object(CallHost(manager, L"AddIns", DISPATCH_PROPERTYGET));
        manager->Release();
        long count = Count(addIns);
        for (long i = 1; i <= count; ++i) {
            IDispatch* addIn = Object(CallHost(addIns, L"GetAt", DISPATCH_METHOD, {Short(static_cast<SHORT>(i))}));
            if (Text(CallHost(addIn, L"Name", DISPATCH_PROPERTYGET)) == m_language) {
                for (SHORT type : {SHORT(4), SHORT(7)}) {
                    VARIANT item = CallHost(addIn, L"AddContextMenuItem", DISPATCH_METHOD,
                                            {Short(type), Str(L"Generate Code"), Str(L"CODEGEN")});
                    VariantClear(&item);
                }
                i = count;
            }
            addIn->Release();
        }
        addIns->Release();
    }

    void Generate(IDispatch* application)
    {
        IDispatch* model = Object(CallHost(application, L"CurrentModel", DISPATCH_PROPERTYGET));
        for (const wchar_t* list : {L"GetSelectedClasses", L"GetSelectedModules"}) {
            IDispatch* items = Object(CallHost(model, list, DISPATCH_METHOD));
            long count = Count(items);
            for (long i = 1; i <= count; ++i) {
                IDispatch* item = Object(CallHost(items, L"GetAt", DISPATCH_METHOD, {Short(static_cast<SHORT>(i))}));
                Log(application, L"fake " + m_language + L": " + list + L" " + Text(CallHost(item, L"Name", DISPATCH_PROPERTYGET)));
                item->Release();
            }
            items->Release();
        }
        model->Release();
        // What a generator would find in the virtual path map.
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map", 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            wchar_t value[260] = {};
            DWORD size = sizeof(value);
            if (RegQueryValueExW(key, L"SRC", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
                Log(application, L"fake " + m_language + L": path map SRC=" + value);
            RegCloseKey(key);
        }
    }

    std::wstring m_language;
    ULONG m_refs = 1;
};

class Factory : public IClassFactory {
public:
    explicit Factory(std::wstring language) : m_language(std::move(language)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        FakeAddin* addin = new FakeAddin(m_language);
        HRESULT hr = addin->QueryInterface(riid, object);
        addin->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    std::wstring m_language;
};

Factory g_delphiFactory(L"Delphi");
Factory g_csharpFactory(L"C#");

void SetString(const std::wstring& key, const std::wstring& value)
{
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t buffer[64] = {};
    StringFromGUID2(guid, buffer, 64);
    return buffer;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
VXP_DLL_ENTRY_POINT(DllMain)

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    if (IsEqualGUID(clsid, kDelphiClsid))
        return g_delphiFactory.QueryInterface(riid, object);
    if (IsEqualGUID(clsid, kCSharpClsid))
        return g_csharpFactory.QueryInterface(riid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllRegisterServer()
{
    wchar_t path[1024] = {};
    GetModuleFileNameW(g_module, path, 1024);
    for (auto [progId, clsid] : {std::pair{L"Vexlo.VXRoseDelphiAddin", &kDelphiClsid},
                                 std::pair{L"Vexlo.VXRoseCSharpAddin", &kCSharpClsid}}) {
        SetString(std::wstring(progId) + L"\\CLSID", GuidText(*clsid));
        SetString(L"CLSID\\" + GuidText(*clsid) + L"\\InprocServer32", path);
    }
    return S_OK;
}

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllUnregisterServer() { return S_OK; }
