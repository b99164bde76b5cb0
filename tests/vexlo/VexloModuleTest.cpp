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

    // An export of the module as a function of the given type.
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

    // Stands for the host's application object; only counts its references.
    class FakeApplication : public IDispatch
    {
    public:
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv)
                return E_POINTER;
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

    // The controlling unknown of an aggregate: everything but IUnknown goes to the inner object.
    class FakeOuter : public IUnknown
    {
    public:
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (IsEqualIID(riid, IID_IUnknown))
            {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return m_Inner ? m_Inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_Refs); }
        STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_Refs); }

        IUnknown* m_Inner = nullptr;
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
        EXPECT_EQ(S_OK, addin->OnActivate(&roseApp));
        short itemType = 7;
        EXPECT_EQ(S_OK, addin->OnEnableContextMenuItems(&roseApp, &itemType));
        BSTR name = SysAllocString(L"CODEGEN");
        EXPECT_EQ(S_OK, addin->OnSelectedContextMenuItem(&roseApp, &name));
        EXPECT_EQ(S_OK, addin->OnDeactivate(&roseApp));
        SysFreeString(name);
        addin->Release();
    }

    void ClearException(EXCEPINFO& e)
    {
        SysFreeString(e.bstrSource);
        SysFreeString(e.bstrDescription);
        SysFreeString(e.bstrHelpFile);
        e = EXCEPINFO{};
    }
}

// Loads the module for each test, with a registry of the test's own.
class VexloModuleTest : public ::testing::Test
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

    std::wstring ModulePath()
    {
        wchar_t path[MAX_PATH + 1] = {};
        GetModuleFileNameW(m_Module, path, MAX_PATH + 1);
        return path;
    }

    ScopedTestRegistry m_Registry;
    HMODULE m_Module = nullptr;
    GetClassObjectFunction m_GetClassObject = nullptr;
    ServerFunction m_CanUnloadNow = nullptr;
    ServerFunction m_Register = nullptr;
    ServerFunction m_Unregister = nullptr;
};

// The same for each of the two classes.
class VexloClassTest : public VexloModuleTest, public ::testing::WithParamInterface<ClassCase>
{
protected:
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
};

INSTANTIATE_TEST_SUITE_P(Classes, VexloClassTest, ::testing::ValuesIn(kClasses),
                         [](const ::testing::TestParamInfo<ClassCase>& info) { return std::string(info.param.name); });

TEST_F(VexloModuleTest, ExportsExactlyTheFourServerFunctions)
{
    EXPECT_EQ(nullptr, GetProcAddress(m_Module, "DllMain"));
    EXPECT_EQ(nullptr, GetProcAddress(m_Module, "VXModule"));
}

TEST_F(VexloModuleTest, UnknownClassIsNotAvailable)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m_GetClassObject(LIBID_VexloLib, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, m_GetClassObject(IID_IVXRoseDelphiAddin, IID_IClassFactory, &object));
    EXPECT_EQ(E_POINTER, m_GetClassObject(CLSID_VXRoseDelphiAddin, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE, m_GetClassObject(CLSID_VXRoseDelphiAddin, IID_IDispatch, &object));
}

TEST_F(VexloModuleTest, CanUnloadOnlyWithoutObjectsAndLocks)
{
    EXPECT_EQ(S_OK, m_CanUnloadNow());

    IClassFactory* factory = Factory(CLSID_VXRoseDelphiAddin);
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "a factory reference held by the host";

    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "an object and a lock";

    object->Release();
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "a lock";

    IClassFactory* again = Factory(CLSID_VXRoseDelphiAddin);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(S_OK, again->LockServer(FALSE));
    again->Release();
    EXPECT_EQ(S_OK, m_CanUnloadNow());

    // A connection-point enumerator is an object of the server too.
    IClassFactory* csharp = Factory(CLSID_VXRoseCSharpAddin);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(S_OK, csharp->CreateInstance(nullptr, IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&container)));
    csharp->Release();
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    container->Release();
    EXPECT_EQ(S_FALSE, m_CanUnloadNow());
    points->Release();
    EXPECT_EQ(S_OK, m_CanUnloadNow());
}

TEST_P(VexloClassTest, ClassObjectIsCachedPerClass)
{
    IClassFactory* first = Factory(*GetParam().clsid);
    IClassFactory* second = Factory(*GetParam().clsid);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK, m_GetClassObject(*GetParam().clsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(static_cast<IUnknown*>(first), unknown);
    const CLSID& otherClass = IsEqualCLSID(*GetParam().clsid, CLSID_VXRoseDelphiAddin) ? CLSID_VXRoseCSharpAddin
                                                                                      : CLSID_VXRoseDelphiAddin;
    IClassFactory* other = Factory(otherClass);
    EXPECT_NE(first, other);
    for (IUnknown* p : {static_cast<IUnknown*>(first), static_cast<IUnknown*>(second), unknown,
                        static_cast<IUnknown*>(other)})
        if (p)
            p->Release();
}

TEST_P(VexloClassTest, QueryInterfaceAnswersItsInterfacesOnly)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);

    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    const IID* answered[] = {GetParam().iid, &IID_IDispatch, &IID_ISupportErrorInfo, &IID_IConnectionPointContainer,
                             &IID_IUnknown};
    for (const IID* iid : answered)
    {
        IUnknown* p = nullptr;
        EXPECT_EQ(S_OK, dispatch->QueryInterface(*iid, reinterpret_cast<void**>(&p))) << GuidText(*iid).c_str();
        ASSERT_NE(nullptr, p);
        // Every interface leads back to the same identity.
        IUnknown* back = nullptr;
        EXPECT_EQ(S_OK, p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)));
        EXPECT_EQ(identity, back);
        back->Release();
        p->Release();
    }
    const IID* refused[] = {GetParam().otherIid, GetParam().events, &IID_IClassFactory, &IID_IConnectionPoint,
                            &IID_IErrorInfo};
    for (const IID* iid : refused)
    {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, dispatch->QueryInterface(*iid, &p)) << GuidText(*iid).c_str();
        EXPECT_EQ(nullptr, p);
    }
    identity->Release();
    EXPECT_EQ(0u, dispatch->Release());
}

TEST_P(VexloClassTest, CreateInstanceChecksAggregationAndResult)
{
    IClassFactory* factory = Factory(*GetParam().clsid);
    ASSERT_NE(nullptr, factory);
    FakeOuter outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, *GetParam().iid, &object));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_FALSE, m_CanUnloadNow()) << "the factory reference keeps the module";
    factory->Release();
    EXPECT_EQ(S_OK, m_CanUnloadNow()) << "refused creations leave no object behind";
}

TEST_P(VexloClassTest, AggregatedObjectDelegatesToItsOuterUnknown)
{
    IClassFactory* factory = Factory(*GetParam().clsid);
    ASSERT_NE(nullptr, factory);
    FakeOuter outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.m_Inner)));
    factory->Release();
    ASSERT_NE(nullptr, outer.m_Inner);
    EXPECT_EQ(1, outer.m_Refs) << "creating the inner object takes no reference to the outer one";

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(*GetParam().iid, reinterpret_cast<void**>(&dispatch)));
    EXPECT_EQ(2, outer.m_Refs) << "the interface's reference is counted by the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    dispatch->Release();
    EXPECT_EQ(1, outer.m_Refs);

    EXPECT_EQ(S_FALSE, m_CanUnloadNow());
    EXPECT_EQ(0u, outer.m_Inner->Release());
    EXPECT_EQ(S_OK, m_CanUnloadNow());
}

TEST_P(VexloClassTest, SupportsErrorInfoForItsInterfaceOnly)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    ISupportErrorInfo* support = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(*GetParam().iid));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IDispatch));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(*GetParam().otherIid));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IUnknown));
    support->Release();
    dispatch->Release();
}

TEST_P(VexloClassTest, OffersNoConnectionPoints)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)));

    IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(*GetParam().events, &point));
    EXPECT_EQ(nullptr, point);
    EXPECT_EQ(E_POINTER, container->FindConnectionPoint(*GetParam().events, nullptr));

    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    ASSERT_NE(nullptr, points);
    IConnectionPoint* fetched[2] = {};
    ULONG count = 7;
    EXPECT_EQ(S_FALSE, points->Next(2, fetched, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(nullptr, fetched[0]);
    EXPECT_EQ(S_FALSE, points->Skip(1));
    EXPECT_EQ(S_OK, points->Reset());
    IEnumConnectionPoints* clone = nullptr;
    ASSERT_EQ(S_OK, points->Clone(&clone));
    EXPECT_EQ(S_FALSE, clone->Next(1, fetched, nullptr));
    clone->Release();
    points->Release();
    EXPECT_EQ(E_POINTER, container->EnumConnectionPoints(nullptr));
    container->Release();
    dispatch->Release();
}

TEST_P(VexloClassTest, NamesMapToTheirDispatchIdentifiers)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    const struct
    {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"OnActivate", 1},
                 {L"ondeactivate", 2},
                 {L"ONGENERATECODE", 3},
                 {L"OnSelectedContextMenuItem", 4},
                 {L"OnEnableContextMenuItems", 5}};
    for (const auto& n : names)
    {
        LPOLESTR name = const_cast<LPOLESTR>(n.name);
        DISPID id = 0;
        EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(n.id, id);
    }

    LPOLESTR withParams[] = {const_cast<LPOLESTR>(L"OnSelectedContextMenuItem"),
                             const_cast<LPOLESTR>(L"internalname"), const_cast<LPOLESTR>(L"oRoseApplication")};
    DISPID ids[3] = {};
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, withParams, 3, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(4, ids[0]);
    EXPECT_EQ(1, ids[1]);
    EXPECT_EQ(0, ids[2]);

    LPOLESTR unknown = const_cast<LPOLESTR>(L"OnOpen");
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);
    dispatch->Release();
}

TEST_P(VexloClassTest, InvokeCallsEveryMethodWithItsByReferenceArguments)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;
    BSTR internalName = SysAllocString(L"CODEGEN");
    short itemType = 4;

    for (DISPID id : {1, 2})
        EXPECT_EQ(S_OK, InvokeMethod(dispatch, id, {ByRef(VT_DISPATCH, &app)})) << id;
    // Generation asks the application for its model; the fake is no IRoseApplication.
    EXCEPINFO generation = {};
    EXPECT_EQ(DISP_E_EXCEPTION, InvokeMethod(dispatch, 3, {ByRef(VT_DISPATCH, &app)}, &generation));
    EXPECT_EQ(E_POINTER, generation.scode);
    ClearException(generation);
    EXPECT_EQ(S_OK, InvokeMethod(dispatch, 4, {ByRef(VT_DISPATCH, &app), ByRef(VT_BSTR, &internalName)}));
    EXPECT_EQ(S_OK, InvokeMethod(dispatch, 5, {ByRef(VT_DISPATCH, &app), ByRef(VT_I2, &itemType)}));

    // Every call wrapped the application afresh and let it go again; nothing was
    // written back through the by-reference parameters.
    EXPECT_EQ(1, application.m_Refs);
    EXPECT_EQ(&application, app);
    EXPECT_STREQ(L"CODEGEN", internalName);
    EXPECT_EQ(4, itemType);
    SysFreeString(internalName);
    dispatch->Release();
}

TEST_P(VexloClassTest, InvokeRefusesArgumentsOfOtherTypes)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;
    BSTR name = SysAllocString(L"CODEGEN");
    LONG wideItemType = 7;

    VARIANTARG byValue;
    VariantInit(&byValue);
    byValue.vt = VT_DISPATCH;
    byValue.pdispVal = app;
    VARIANTARG nameByValue;
    VariantInit(&nameByValue);
    nameByValue.vt = VT_BSTR;
    nameByValue.bstrVal = name;

    const struct
    {
        DISPID id;
        std::vector<VARIANTARG> args;
        HRESULT expected;
        UINT argError;  // index in rgvarg, which holds the arguments in reverse order
    } cases[] = {
        {1, {byValue}, DISP_E_TYPEMISMATCH, 0},
        {3, {ByRef(VT_UNKNOWN, &app)}, DISP_E_TYPEMISMATCH, 0},
        {4, {ByRef(VT_DISPATCH, &app), nameByValue}, DISP_E_TYPEMISMATCH, 0},
        {4, {byValue, ByRef(VT_BSTR, &name)}, DISP_E_TYPEMISMATCH, 1},
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
              dispatch->Invoke(1, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                               nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, nullptr, nullptr,
                               nullptr));
    EXPECT_EQ(1, application.m_Refs);
    SysFreeString(name);
    dispatch->Release();
}

TEST_P(VexloClassTest, InvokeTakesNamedArguments)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;
    short itemType = 4;
    // Named arguments come first in rgvarg: itemType (1), then oRoseApplication (0).
    VARIANTARG args[] = {ByRef(VT_I2, &itemType), ByRef(VT_DISPATCH, &app)};
    DISPID named[] = {1, 0};
    DISPPARAMS params = {args, named, 2, 2};
    EXPECT_EQ(S_OK, dispatch->Invoke(5, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                     nullptr));
    // Swapped names give each argument the other parameter's type.
    DISPID swapped[] = {0, 1};
    params.rgdispidNamedArgs = swapped;
    UINT argError = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, dispatch->Invoke(5, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                    nullptr, nullptr, &argError));
    EXPECT_EQ(0u, argError);
    dispatch->Release();
}

TEST_P(VexloClassTest, FailureComesBackAsResultWithErrorDescription)
{
    IDispatch* dispatch = CreateDispatch();
    ASSERT_NE(nullptr, dispatch);
    FakeApplication application;
    IDispatch* app = &application;

    // The host hands no application pointer at all: the method fails, the object stays usable.
    const HRESULT nullPointer = static_cast<HRESULT>(0xFFFFFF37);
    EXCEPINFO exception = {};
    EXPECT_EQ(DISP_E_EXCEPTION, InvokeMethod(dispatch, 3, {ByRef(VT_DISPATCH, nullptr)}, &exception));
    EXPECT_EQ(nullPointer, exception.scode);
    ASSERT_NE(nullptr, exception.bstrDescription);
    std::wstring description = exception.bstrDescription;
    EXPECT_EQ(0u, description.find(L"\r\nEl puntero del elemento oRoseApplication no puede ser NULL"))
        << std::string(description.begin(), description.end());
    EXPECT_NE(std::wstring::npos, description.find(L"[FFFFFF37]"));
    ClearException(exception);

    // Straight through the vtable the code itself is the result.
    if (IsEqualIID(*GetParam().iid, IID_IVXRoseDelphiAddin))
        CheckDirectFailures<IVXRoseDelphiAddin>(dispatch, *GetParam().iid, application);
    else
        CheckDirectFailures<IVXRoseCSharpAddin>(dispatch, *GetParam().iid, application);

    EXPECT_EQ(S_OK, InvokeMethod(dispatch, 1, {ByRef(VT_DISPATCH, &app)}, &exception));
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
    const std::wstring module = ModulePath();
    const std::wstring folder = module.substr(0, module.find_last_of(L"\\/"));
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring iface = L"Interface\\" + GuidText(*GetParam().iid);
    ASSERT_FALSE(module.empty());

    // Left-overs of an older registration and keys of others.
    WriteText(HKEY_CLASSES_ROOT, classKey + L"\\Stale", nullptr, L"old");
    WriteText(HKEY_CLASSES_ROOT, L"CLSID\\{00000000-1111-2222-3333-444444444444}", nullptr, L"Other Class");
    WriteText(HKEY_CLASSES_ROOT, progId, L"Foreign", L"kept");

    ASSERT_EQ(S_OK, m_Register());

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
    {
        auto data = ReadText(HKEY_CLASSES_ROOT, e.key, e.value);
        ASSERT_TRUE(data.has_value()) << std::string(e.key.begin(), e.key.end());
        EXPECT_EQ(e.data, *data) << std::string(e.key.begin(), e.key.end());
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Programmable"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Stale")) << "the class key is written afresh";

    // Registering twice gives the same keys.
    ASSERT_EQ(S_OK, m_Register());
    EXPECT_EQ(module, ReadText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32").value_or(L""));

    ASSERT_EQ(S_OK, m_Unregister());
    for (const std::wstring& gone : {progId + L".1", progId + L"\\CLSID", progId + L"\\CurVer", classKey,
                                      L"TypeLib\\" + libid, iface})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, gone)) << std::string(gone.begin(), gone.end());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_EQ(L"Other Class", ReadText(HKEY_CLASSES_ROOT, L"CLSID\\{00000000-1111-2222-3333-444444444444}").value_or(L""));
    EXPECT_EQ(L"kept", ReadText(HKEY_CLASSES_ROOT, progId, L"Foreign").value_or(L""))
        << "a key that holds values of others stays";
}
