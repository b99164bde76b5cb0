// The server module driven as a host drives it: loaded by path, reached through its
// four exports and the COM interfaces of its objects.
#include "VexloIds.h"
#include "VexloInterfaces.h"
#include "VexloTestRegistry.h"

#include <vxplat/Com.h>
#include <vxplat/Kernel.h>
#include <vxplat/Registry.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
    typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);
    typedef HRESULT(STDAPICALLTYPE* ServerFunction)();

    template <class F>
    F Export(HMODULE module, const char* name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }

    std::wstring GuidText(const GUID& guid)
    {
        wchar_t text[40] = {};
        StringFromGUID2(guid, text, 40);
        return text;
    }

    // Counts references; stands for the host's application object.
    class FakeApplication : public IDispatch
    {
    public:
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
            {
                *ppv = static_cast<IDispatch*>(this);
                AddRef();
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_Refs); }
        STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_Refs); }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override
        {
            *count = 0;
            return S_OK;
        }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
        {
            return E_NOTIMPL;
        }

        IRoseApplication* AsApplication() { return reinterpret_cast<IRoseApplication*>(static_cast<IDispatch*>(this)); }
        LONG m_Refs = 1;
    };

    struct ClassCase
    {
        const char* name;
        const CLSID* clsid;
        const IID* iid;
        const IID* otherIid;
        const IID* events;
        const wchar_t* language;  // as in the registry names
    };

    const ClassCase kClasses[] = {
        {"Delphi", &CLSID_VXRoseDelphiAddin, &IID_IVXRoseDelphiAddin, &IID_IVXRoseCSharpAddin,
         &DIID__IVXRoseDelphiAddinEvents, L"Delphi"},
        {"CSharp", &CLSID_VXRoseCSharpAddin, &IID_IVXRoseCSharpAddin, &IID_IVXRoseDelphiAddin,
         &DIID__IVXRoseCSharpAddinEvents, L"CSharp"},
    };

    // Calls a method through IDispatch::Invoke; args are in declaration order.
    HRESULT InvokeMethod(IDispatch* dispatch, DISPID id, std::vector<VARIANTARG> args, EXCEPINFO* exception = nullptr,
                         UINT* argError = nullptr)
    {
        std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, exception,
                                      argError);
        VariantClear(&result);
        return hr;
    }

    VARIANTARG ByRef(VARTYPE type, void* pointer)
    {
        VARIANTARG v;
        VariantInit(&v);
        v.vt = static_cast<VARTYPE>(type | VT_BYREF);
        v.byref = pointer;
        return v;
    }

    VARIANTARG ByValue(VARTYPE type, void* pointer)
    {
        VARIANTARG v;
        VariantInit(&v);
        v.vt = type;
        v.byref = pointer;
        return v;
    }

    // Calls with missing by-reference pointers fail with the null-pointer code; the
    // object keeps working.
    template <class I>
    void CheckDirectFailures(IDispatch* dispatch, const IID& iid, FakeApplication& application)
    {
        const HRESULT nullPointer = static_cast<HRESULT>(0xFFFFFF37);
        I* addin = nullptr;
        ASSERT_EQ(S_OK, dispatch->QueryInterface(iid, reinterpret_cast<void**>(&addin)));
        IRoseApplication* roseApp = application.AsApplication();
        EXPECT_EQ(nullPointer, addin->OnGenerateCode(nullptr));
        EXPECT_EQ(nullPointer, addin->OnSelectedContextMenuItem(&roseApp, nullptr));
        EXPECT_EQ(nullPointer, addin->OnEnableContextMenuItems(&roseApp, nullptr));
        short itemType = 7;
        EXPECT_EQ(S_OK, addin->OnEnableContextMenuItems(&roseApp, &itemType));
        EXPECT_EQ(S_OK, addin->OnDeactivate(&roseApp));
        addin->Release();
    }
}

// Loads the module for each test, with a registry of the test's own; the same for each
// of the two classes.
class VexloClassTest : public ::testing::TestWithParam<ClassCase>
{
protected:
    void SetUp() override
    {
        m_Module = LoadLibraryW(L"" VEXLO_MODULE_PATH);
        ASSERT_NE(nullptr, m_Module) << VEXLO_MODULE_PATH;
        m_GetClassObject = Export<GetClassObjectFunction>(m_Module, "DllGetClassObject");
        m_CanUnloadNow = Export<ServerFunction>(m_Module, "DllCanUnloadNow");
        m_Register = Export<ServerFunction>(m_Module, "DllRegisterServer");
        m_Unregister = Export<ServerFunction>(m_Module, "DllUnregisterServer");
        ASSERT_TRUE(m_GetClassObject && m_CanUnloadNow && m_Register && m_Unregister);
    }
    void TearDown() override
    {
        if (m_Module)
            FreeLibrary(m_Module);
    }

    IClassFactory* Factory(const CLSID& clsid)
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, m_GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        return factory;
    }
    // A new object of the test's class, asked for its dual interface.
    IDispatch* CreateDispatch()
    {
        IClassFactory* factory = Factory(*GetParam().clsid);
        if (!factory)
            return nullptr;
        IDispatch* dispatch = nullptr;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, *GetParam().iid, reinterpret_cast<void**>(&dispatch)));
        factory->Release();
        return dispatch;
    }

    ScopedTestRegistry m_Registry;
    HMODULE m_Module = nullptr;
    GetClassObjectFunction m_GetClassObject = nullptr;
    ServerFunction m_CanUnloadNow = nullptr;
    ServerFunction m_Register = nullptr;
    ServerFunction m_Unregister = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Classes, VexloClassTest, ::testing::ValuesIn(kClasses),
                         [](const ::testing::TestParamInfo<ClassCase>& info) { return std::string(info.param.name); });

TEST_P(VexloClassTest, ClassObjectsAndUnloading)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m_GetClassObject(LIBID_VexloLib, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m_GetClassObject(*GetParam().iid, IID_IClassFactory, &object));
    EXPECT_EQ(E_POINTER, m_GetClassObject(*GetParam().clsid, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE, m_GetClassObject(*GetParam().clsid, IID_IDispatch, &object));
    EXPECT_EQ(S_OK, m_CanUnloadNow());

    IClassFactory* factory = Factory(*GetParam().clsid);
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "a factory reference held by the host";
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    FakeApplication outer;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDispatch, &object));
    EXPECT_EQ(1, outer.m_Refs);
    IUnknown* instance = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&instance)));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "an object and a lock";
    instance->Release();
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "a lock";
    factory = Factory(*GetParam().clsid);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_OK, m_CanUnloadNow());

    // A connection-point enumerator is an object of the server too; there are no points.
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)));
    dispatch->Release();
    IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(*GetParam().events, &point));
    EXPECT_EQ(nullptr, point);
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    container->Release();
    ULONG count = 7;
    EXPECT_EQ(S_FALSE, points->Next(1, &point, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(S_FALSE, m_CanUnloadNow());
    points->Release();
    EXPECT_EQ(S_OK, m_CanUnloadNow());
}

TEST_P(VexloClassTest, NamesMapToTheirDispatchIdentifiers)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    const struct
    {
        std::vector<const wchar_t*> names;
        HRESULT hr;
        std::vector<DISPID> ids;
    } cases[] = {
        {{L"OnActivate"}, S_OK, {1}},
        {{L"ondeactivate"}, S_OK, {2}},
        {{L"ONGENERATECODE"}, S_OK, {3}},
        {{L"OnSelectedContextMenuItem", L"internalname", L"oRoseApplication"}, S_OK, {4, 1, 0}},
        {{L"OnEnableContextMenuItems"}, S_OK, {5}},
        {{L"OnOpen"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
    };
    for (const auto& c : cases)
    {
        std::vector<LPOLESTR> names;
        for (const wchar_t* n : c.names)
            names.push_back(const_cast<LPOLESTR>(n));
        std::vector<DISPID> ids(names.size(), 99);
        EXPECT_EQ(c.hr, dispatch->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                                LOCALE_USER_DEFAULT, ids.data()));
        EXPECT_EQ(c.ids, ids) << c.names[0];
    }
    dispatch->Release();
}

TEST_P(VexloClassTest, InvokeChecksTheArgumentsAndLeavesThemAlone)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;
    BSTR name = SysAllocString(L"CODEGEN");
    short itemType = 4;
    LONG wideItemType = 7;

    const struct
    {
        DISPID id;
        std::vector<VARIANTARG> args;
        HRESULT expected;
        UINT argError;  // index in rgvarg, which holds the arguments in reverse order
    } cases[] = {
        {1, {ByRef(VT_DISPATCH, &app)}, S_OK, 99},
        {2, {ByRef(VT_DISPATCH, &app)}, S_OK, 99},
        {4, {ByRef(VT_DISPATCH, &app), ByRef(VT_BSTR, &name)}, S_OK, 99},
        {5, {ByRef(VT_DISPATCH, &app), ByRef(VT_I2, &itemType)}, S_OK, 99},
        {1, {ByValue(VT_DISPATCH, app)}, DISP_E_TYPEMISMATCH, 0},
        {3, {ByRef(VT_UNKNOWN, &app)}, DISP_E_TYPEMISMATCH, 0},
        {4, {ByRef(VT_DISPATCH, &app), ByValue(VT_BSTR, name)}, DISP_E_TYPEMISMATCH, 0},
        {4, {ByValue(VT_DISPATCH, app), ByRef(VT_BSTR, &name)}, DISP_E_TYPEMISMATCH, 1},
        {5, {ByRef(VT_DISPATCH, &app), ByRef(VT_I4, &wideItemType)}, DISP_E_TYPEMISMATCH, 0},
        {5, {ByRef(VT_DISPATCH, &app)}, DISP_E_BADPARAMCOUNT, 99},
        {2, {}, DISP_E_BADPARAMCOUNT, 99},
        {6, {ByRef(VT_DISPATCH, &app)}, DISP_E_MEMBERNOTFOUND, 99},
    };
    for (const auto& c : cases)
    {
        UINT argError = 99;
        EXPECT_EQ(c.expected, InvokeMethod(dispatch, c.id, c.args, nullptr, &argError)) << c.id;
        EXPECT_EQ(c.argError, argError) << c.id;
    }
    std::vector<VARIANTARG> args = {ByRef(VT_DISPATCH, &app)};
    DISPPARAMS params = {args.data(), nullptr, 1, 0};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              dispatch->Invoke(1, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params,
                                                      nullptr, nullptr, nullptr));

    // Named arguments come first in rgvarg: itemType (1), then oRoseApplication (0);
    // swapped names give each argument the other parameter's type.
    VARIANTARG namedArgs[] = {ByRef(VT_I2, &itemType), ByRef(VT_DISPATCH, &app)};
    DISPID named[] = {1, 0};
    params = {namedArgs, named, 2, 2};
    EXPECT_EQ(S_OK, dispatch->Invoke(5, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                     nullptr));
    std::swap(named[0], named[1]);
    UINT argError = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, dispatch->Invoke(5, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                    nullptr, nullptr, &argError));
    EXPECT_EQ(0u, argError);

    // Every call wrapped the application afresh and let it go again; nothing was
    // written back through the by-reference parameters.
    EXPECT_EQ(1, application.m_Refs);
    EXPECT_EQ(&application, app);
    EXPECT_STREQ(L"CODEGEN", name);
    EXPECT_EQ(4, itemType);
    SysFreeString(name);
    dispatch->Release();
}

TEST_P(VexloClassTest, FailureComesBackAsResultWithErrorDescription)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;

    // Generation asks the application for its model; the fake is no IRoseApplication.
    EXCEPINFO exception = {};
    EXPECT_EQ(DISP_E_EXCEPTION, InvokeMethod(dispatch, 3, {ByRef(VT_DISPATCH, &app)}, &exception));
    EXPECT_EQ(E_POINTER, exception.scode);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);

    // The host hands no application pointer at all: the method fails, the object stays usable.
    exception = {};
    EXPECT_EQ(DISP_E_EXCEPTION, InvokeMethod(dispatch, 3, {ByRef(VT_DISPATCH, nullptr)}, &exception));
    EXPECT_EQ(static_cast<HRESULT>(0xFFFFFF37), exception.scode);
    ASSERT_NE(nullptr, exception.bstrDescription);
    std::wstring description = exception.bstrDescription;
    EXPECT_EQ(0u, description.find(L"\r\nEl puntero del elemento oRoseApplication no puede ser NULL"))
        << std::string(description.begin(), description.end());
    EXPECT_NE(std::wstring::npos, description.find(L"[FFFFFF37]"));
    // The location trail runs from the raising method out to the COM method.
    size_t helper = description.find(L"Vexlo/VXRoseAddinImpl.h - ");
    EXPECT_NE(std::wstring::npos, helper);
    EXPECT_LT(helper, description.find(L"Vexlo/VXRose" + std::wstring(GetParam().language) + L"Addin.cpp - "));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);

    ISupportErrorInfo* support = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(*GetParam().iid));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(*GetParam().otherIid));
    support->Release();
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, dispatch->QueryInterface(*GetParam().otherIid, &other));
    EXPECT_EQ(nullptr, other);

    // Straight through the vtable the code itself is the result.
    if (IsEqualIID(*GetParam().iid, IID_IVXRoseDelphiAddin))
        CheckDirectFailures<IVXRoseDelphiAddin>(dispatch, *GetParam().iid, application);
    else
        CheckDirectFailures<IVXRoseCSharpAddin>(dispatch, *GetParam().iid, application);
    EXPECT_EQ(S_OK, InvokeMethod(dispatch, 1, {ByRef(VT_DISPATCH, &app)}));
    EXPECT_EQ(1, application.m_Refs);
    dispatch->Release();
}

TEST_P(VexloClassTest, RegistrationWritesAndRemovesTheClassKeys)
{
    const std::wstring clsid = GuidText(*GetParam().clsid);
    const std::wstring libid = GuidText(LIBID_VexloLib);
    const std::wstring lang = GetParam().language;
    const std::wstring className = L"VXRose" + lang + L"Addin Class";
    const std::wstring progId = L"Vexlo.VXRose" + lang + L"Addin";
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(m_Module, path, MAX_PATH + 1);
    const std::wstring module = path;
    const std::wstring folder = module.substr(0, module.find_last_of(L"\\/"));
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring iface = L"Interface\\" + GuidText(*GetParam().iid);
    ASSERT_FALSE(module.empty());

    // Left-overs of an older registration and keys of others.
    WriteText(HKEY_CLASSES_ROOT, classKey + L"\\Stale", nullptr, L"old");
    WriteText(HKEY_CLASSES_ROOT, L"CLSID\\{00000000-1111-2222-3333-444444444444}", nullptr, L"Other Class");
    WriteText(HKEY_CLASSES_ROOT, progId, L"Foreign", L"kept");

    ASSERT_EQ(S_OK, m_Register());
    ASSERT_EQ(S_OK, m_Register()) << "registering twice gives the same keys";

    const struct
    {
        std::wstring key;
        const wchar_t* value;
        std::wstring data;
    } expected[] = {
        {progId + L".1", nullptr, className},
        {progId + L".1\\CLSID", nullptr, clsid},
        {progId, nullptr, className},
        {progId + L"\\CLSID", nullptr, clsid},
        {progId + L"\\CurVer", nullptr, progId + L".1"},
        {classKey, nullptr, className},
        {classKey + L"\\ProgID", nullptr, progId + L".1"},
        {classKey + L"\\VersionIndependentProgID", nullptr, progId},
        {classKey + L"\\InprocServer32", nullptr, module},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\TypeLib", nullptr, libid},
        {L"TypeLib\\" + libid + L"\\1.0", nullptr, L"Vexlo 1.0 Type Library"},
        {L"TypeLib\\" + libid + L"\\1.0\\0\\win32", nullptr, module},
        {L"TypeLib\\" + libid + L"\\1.0\\FLAGS", nullptr, L"0"},
        {L"TypeLib\\" + libid + L"\\1.0\\HELPDIR", nullptr, folder},
        {iface, nullptr, L"IVXRose" + lang + L"Addin"},
        {iface + L"\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"},
        {iface + L"\\TypeLib", nullptr, libid},
        {iface + L"\\TypeLib", L"Version", L"1.0"},
        {L"Interface\\" + GuidText(*GetParam().events), nullptr, L"_IVXRose" + lang + L"AddinEvents"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.data, ReadText(HKEY_CLASSES_ROOT, e.key, e.value).value_or(L"<missing>"))
            << std::string(e.key.begin(), e.key.end());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Programmable"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Stale")) << "the class key is written afresh";

    ASSERT_EQ(S_OK, m_Unregister());
    for (const std::wstring& gone : {progId + L".1", progId + L"\\CLSID", progId + L"\\CurVer", classKey,
                                      L"TypeLib\\" + libid, iface})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, gone)) << std::string(gone.begin(), gone.end());
    EXPECT_EQ(L"Other Class", ReadText(HKEY_CLASSES_ROOT, L"CLSID\\{00000000-1111-2222-3333-444444444444}").value_or(L""));
    EXPECT_EQ(L"kept", ReadText(HKEY_CLASSES_ROOT, progId, L"Foreign").value_or(L""))
        << "a key that holds values of others stays";
}
