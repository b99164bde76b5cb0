// vexlo_com_client registered|invoke|unregistered <path of Vexlo.dll>
//
// Prints one line per failed check and exits with the number of failures (0: all
// passed).
#include "VexloIds.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace
{
    int g_failures = 0;

    void Check(bool ok, const std::wstring& what)
    {
        if (!ok)
        {
            ++g_failures;
            std::fwprintf(stderr, L"FAILED: %ls\n", what.c_str());
        }
    }

    std::wstring Guid(const GUID& guid)
    {
        wchar_t text[40] = {};
        StringFromGUID2(guid, text, 40);
        return text;
    }

    bool SameText(const std::wstring& a, const std::wstring& b)
    {
        return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
    }

    // The default (or named) string value of a key of HKEY_CLASSES_ROOT; false when
    // the key or the value is missing.
    bool ReadValue(const std::wstring& key, const wchar_t* name, std::wstring* value)
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        wchar_t data[1024] = {};
        DWORD size = sizeof data - sizeof(wchar_t), type = 0;
        LSTATUS status = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(handle);
        if (status != ERROR_SUCCESS || type != REG_SZ)
            return false;
        if (value)
            *value = data;
        return true;
    }

    bool KeyExists(const std::wstring& key)
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        RegCloseKey(handle);
        return true;
    }

    struct Addin
    {
        const wchar_t* name;  // "Delphi" or "CSharp"
        const CLSID* clsid;
        const IID* iid;
    };
    const Addin kAddins[] = {{L"Delphi", &CLSID_VXRoseDelphiAddin, &IID_IVXRoseDelphiAddin},
                             {L"CSharp", &CLSID_VXRoseCSharpAddin, &IID_IVXRoseCSharpAddin}};

    const wchar_t* Platform()
    {
        return sizeof(void*) == 8 ? L"win64" : L"win32";
    }

    void CheckRegistered(const std::wstring& module)
    {
        const std::wstring libid = Guid(LIBID_VexloLib);
        for (const Addin& a : kAddins)
        {
            const std::wstring cls = std::wstring(L"VXRose") + a.name + L"Addin";
            const std::wstring progId = L"Vexlo." + cls;
            const std::wstring description = cls + L" Class";
            const std::wstring clsidKey = L"CLSID\\" + Guid(*a.clsid);
            const struct
            {
                std::wstring key;
                const wchar_t* name;
                std::wstring data;
            } values[] = {
                {progId + L".1", nullptr, description},
                {progId + L".1\\CLSID", nullptr, Guid(*a.clsid)},
                {progId, nullptr, description},
                {progId + L"\\CLSID", nullptr, Guid(*a.clsid)},
                {progId + L"\\CurVer", nullptr, progId + L".1"},
                {clsidKey, nullptr, description},
                {clsidKey + L"\\ProgID", nullptr, progId + L".1"},
                {clsidKey + L"\\VersionIndependentProgID", nullptr, progId},
                {clsidKey + L"\\InprocServer32", nullptr, module},
                {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
                {clsidKey + L"\\TypeLib", nullptr, libid},
                {L"Interface\\" + Guid(*a.iid) + L"\\TypeLib", nullptr, libid},
            };
            for (const auto& v : values)
            {
                std::wstring found;
                const std::wstring what = L"HKCR\\" + v.key + L" [" + (v.name ? v.name : L"(default)") + L"]";
                Check(ReadValue(v.key, v.name, &found), what + L" is missing");
                if (!found.empty())
                    Check(SameText(found, v.data), what + L" = \"" + found + L"\", expected \"" + v.data + L"\"");
            }
            Check(KeyExists(clsidKey + L"\\Programmable"), L"HKCR\\" + clsidKey + L"\\Programmable is missing");
        }
        const std::wstring lib = L"TypeLib\\" + libid + L"\\1.0";
        std::wstring found;
        Check(ReadValue(lib, nullptr, &found) && found == L"Vexlo 1.0 Type Library",
              L"HKCR\\" + lib + L" does not name the library: \"" + found + L"\"");
        found.clear();
        Check(ReadValue(lib + L"\\0\\" + Platform(), nullptr, &found) && SameText(found, module),
              L"HKCR\\" + lib + L"\\0\\" + Platform() + L" = \"" + found + L"\"");
        ITypeLib* registered = nullptr;
        HRESULT hr = LoadRegTypeLib(LIBID_VexloLib, VEXLO_TYPELIB_MAJOR, VEXLO_TYPELIB_MINOR, 0, &registered);
        Check(SUCCEEDED(hr), L"LoadRegTypeLib of the declared LIBID failed");
        if (registered)
            registered->Release();
    }

    void CheckUnregistered()
    {
        std::vector<std::wstring> keys = {L"TypeLib\\" + Guid(LIBID_VexloLib)};
        for (const Addin& a : kAddins)
        {
            const std::wstring progId = std::wstring(L"Vexlo.VXRose") + a.name + L"Addin";
            keys.insert(keys.end(), {progId, progId + L".1", L"CLSID\\" + Guid(*a.clsid), L"Interface\\" + Guid(*a.iid)});
        }
        for (const std::wstring& key : keys)
            Check(!KeyExists(key), L"HKCR\\" + key + L" is left behind");
        Check(KeyExists(L"CLSID"), L"HKCR\\CLSID itself was removed");
    }

    // The host's IRoseApplication.
    const IID kIID_IRoseApplication = {0x1961992B, 0x3905, 0x4993, {0x8E, 0x99, 0x56, 0x48, 0x2E, 0x60, 0x7F, 0x0A}};

    // The host's application object as far as the add-in gets: every member fails
    // with the host's own error.
    class FailingApplication : public IDispatch
    {
    public:
        static constexpr HRESULT kFailure = 0x80041234;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                IsEqualIID(riid, kIID_IRoseApplication))
            {
                *ppv = static_cast<IDispatch*>(this);
                AddRef();
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++m_Refs; }
        STDMETHODIMP_(ULONG) Release() override { return --m_Refs; }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override
        {
            *count = 0;
            return S_OK;
        }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return kFailure; }
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
        {
            return kFailure;
        }
        ULONG m_Refs = 1;
    };

    // Calls one callback by name with the arguments by reference, as the host does;
    // returns Invoke's result and fills the exception information.
    HRESULT Call(IDispatch* addin, const wchar_t* method, IDispatch** application, BSTR* name, short* itemType,
                 EXCEPINFO* exception)
    {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(method)};
        HRESULT hr = addin->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return hr;
        VARIANTARG args[2];
        UINT count = 1;
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        if (name || itemType)
        {
            // Arguments go right to left: the last parameter first.
            if (name)
            {
                V_VT(&args[0]) = VT_BSTR | VT_BYREF;
                V_BSTRREF(&args[0]) = name;
            }
            else
            {
                V_VT(&args[0]) = VT_I2 | VT_BYREF;
                V_I2REF(&args[0]) = itemType;
            }
            count = 2;
        }
        V_VT(&args[count - 1]) = VT_DISPATCH | VT_BYREF;
        V_DISPATCHREF(&args[count - 1]) = application;
        DISPPARAMS params = {args, nullptr, count, 0};
        VARIANT result;
        VariantInit(&result);
        UINT argError = 0;
        std::memset(exception, 0, sizeof *exception);
        hr = addin->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, exception, &argError);
        VariantClear(&result);
        return hr;
    }

    void CheckInvoke(const std::wstring& module)
    {
        ITypeLib* lib = nullptr;
        HRESULT hr = LoadTypeLibEx(module.c_str(), REGKIND_NONE, &lib);
        Check(SUCCEEDED(hr), L"the module's type library does not load");
        if (lib)
        {
            TLIBATTR* attr = nullptr;
            if (SUCCEEDED(lib->GetLibAttr(&attr)))
            {
                Check(IsEqualGUID(attr->guid, LIBID_VexloLib),
                      L"the type library's LIBID is " + Guid(attr->guid) + L", the identities header says " +
                          Guid(LIBID_VexloLib));
                Check(attr->wMajorVerNum == VEXLO_TYPELIB_MAJOR && attr->wMinorVerNum == VEXLO_TYPELIB_MINOR,
                      L"the type library's version");
                lib->ReleaseTLibAttr(attr);
            }
            lib->Release();
        }

        for (const Addin& a : kAddins)
        {
            const std::wstring progId = std::wstring(L"Vexlo.VXRose") + a.name + L"Addin";
            CLSID clsid = {};
            Check(SUCCEEDED(CLSIDFromProgID(progId.c_str(), &clsid)) && IsEqualCLSID(clsid, *a.clsid),
                  progId + L" does not lead to its class");
            IDispatch* addin = nullptr;
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&addin));
            Check(SUCCEEDED(hr) && addin, L"CoCreateInstance of " + progId);
            if (!addin)
                continue;
            FailingApplication application;
            IDispatch* app = &application;
            BSTR other = SysAllocString(L"NOTOURS");
            short itemType = 0;
            EXCEPINFO exception;
            const struct
            {
                const wchar_t* method;
                BSTR* name;
                short* itemType;
            } quiet[] = {{L"OnActivate", nullptr, nullptr},
                         {L"OnEnableContextMenuItems", nullptr, &itemType},
                         {L"OnSelectedContextMenuItem", &other, nullptr},
                         {L"OnDeactivate", nullptr, nullptr}};
            // Outside Rose (this program is no rose.exe) only the generation command
            // reaches the host.
            for (const auto& q : quiet)
            {
                hr = Call(addin, q.method, &app, q.name, q.itemType, &exception);
                Check(hr == S_OK, progId + L"." + q.method + L" returned " + std::to_wstring(hr));
            }
            hr = Call(addin, L"OnGenerateCode", &app, nullptr, nullptr, &exception);
            Check(hr == DISP_E_EXCEPTION, progId + L".OnGenerateCode with a failing host did not raise");
            Check(exception.scode == FailingApplication::kFailure,
                  progId + L": the host's error code was not passed on (scode " + std::to_wstring(static_cast<unsigned long>(exception.scode)) + L", wCode " + std::to_wstring(exception.wCode) + L")");
            // The add-in's description: what failed, then the trail of the methods it
            // crossed, ending at the add-in's own COM class.
            const std::wstring description = exception.bstrDescription ? exception.bstrDescription : L"";
            const std::wstring ownClass = std::wstring(L"Vexlo/VXRose") + a.name + L"Addin.cpp - ";
            Check(description.find(L"VexloLib/VXApplication.cpp - ") != std::wstring::npos &&
                      description.find(ownClass) != std::wstring::npos,
                  progId + L": unexpected description \"" + description + L"\"");
            SysFreeString(exception.bstrDescription);
            SysFreeString(exception.bstrSource);
            SysFreeString(exception.bstrHelpFile);
            hr = Call(addin, L"OnActivate", &app, nullptr, nullptr, &exception);
            Check(hr == S_OK, progId + L" is not usable after a failure");
            SysFreeString(other);
            addin->Release();
            Check(application.m_Refs == 1, progId + L" kept a reference to the host's application");
        }
    }
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
    {
        std::fwprintf(stderr, L"usage: vexlo_com_client registered|invoke|unregistered MODULE\n");
        return 2;
    }
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(argv[2], MAX_PATH, full, nullptr);
    const std::wstring mode = argv[1];
    CoInitialize(nullptr);
    if (mode == L"registered")
        CheckRegistered(full);
    else if (mode == L"invoke")
        CheckInvoke(full);
    else if (mode == L"unregistered")
        CheckUnregistered();
    else
        Check(false, L"unknown mode " + mode);
    CoUninitialize();
    std::wprintf(L"%ls: %d failed check(s)\n", mode.c_str(), g_failures);
    return g_failures;
}
