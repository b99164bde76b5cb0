// The server's parts in-process: the choice of the host variant and the error
// information a failed callback leaves for the host.
#include "VXCSharpModelerAddin.h"
#include "VXCSharpRoseAddin.h"
#include "VXDelphiModelerAddin.h"
#include "VXDelphiRoseAddin.h"
#include "VXObjectMap.h"
#include "VXRoseCSharpAddin.h"
#include "VXRoseDelphiAddin.h"
#include "VXServerModule.h"

#include <vxplat/Kernel.h>
#include <vxplat/Com.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
    class ServerTest : public ::testing::Test
    {
    protected:
        void SetUp() override { VXModule().Init(g_VXObjectMap, g_VXObjectMapCount, nullptr); }
        void TearDown() override
        {
            VxpSetProcessImagePath(nullptr);
            VXModule().Term();
        }

        // A new object of the class (through the module's class factory), as IUnknown.
        IUnknown* Create(const CLSID& clsid)
        {
            IClassFactory* factory = nullptr;
            EXPECT_EQ(S_OK, VXModule().GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
            if (!factory)
                return nullptr;
            IUnknown* object = nullptr;
            EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
            factory->Release();
            return object;
        }

        // The add-in object the COM object contains.
        template <class TClass, class TInterface>
        LmLib::CLmPtr<LmLib::Object::CLmObject> ContainedAddin(IUnknown* object, const IID& iid)
        {
            TInterface* iface = nullptr;
            EXPECT_EQ(S_OK, object->QueryInterface(iid, reinterpret_cast<void**>(&iface)));
            LmLib::CLmPtr<LmLib::Object::CLmObject> addin = static_cast<TClass*>(iface)->GetObject();
            iface->Release();
            return addin;
        }
    };
}

TEST(RoseExecutable, IsRecognisedByTheLastEightCharactersInAnyCase)
{
    const struct
    {
        const wchar_t* path;
        bool rose;
    } cases[] = {
        {L"C:\\Program Files\\Rational\\Rose\\rose.exe", true},
        {L"C:\\Tools\\MyRose.EXE", true},
        {L"ROSE.EXE", true},
        {L"c:\\x\\RoSe.ExE", true},
        {L"C:\\Program Files\\Visual Modeler\\vm.exe", false},
        {L"C:\\Rose\\rose.ex", false},
        {L"C:\\Rose\\rose.exe.bak", false},
        {L"rose.exe ", false},
        {L"ose.exe", false},
        {L"", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rose, CVXServerModule::IsRoseExecutable(c.path)) << (c.path ? c.path : L"(null)");
}

TEST_F(ServerTest, HostExecutableChoosesTheAddinVariant)
{
    const struct
    {
        const wchar_t* executable;
        bool rose;
    } hosts[] = {
        {L"C:\\Program Files\\Rational\\MyRose.EXE", true},
        {L"C:\\Program Files\\Microsoft Visual Studio\\Common\\Tools\\VM\\vm.exe", false},
        {L"a.exe", false},
    };
    for (const auto& host : hosts)
    {
        ASSERT_TRUE(VxpSetProcessImagePath(host.executable));
        EXPECT_EQ(host.rose, CVXServerModule::IsRoseHost());

        IUnknown* delphi = Create(CLSID_VXRoseDelphiAddin);
        ASSERT_NE(nullptr, delphi);
        auto delphiAddin = ContainedAddin<CVXRoseDelphiAddin, IVXRoseDelphiAddin>(delphi, IID_IVXRoseDelphiAddin);
        EXPECT_EQ(host.rose, LmLib::CLmPtr<CVXDelphiRoseAddin>(delphiAddin).GetTyped() != nullptr);
        EXPECT_EQ(!host.rose, LmLib::CLmPtr<CVXDelphiModelerAddin>(delphiAddin).GetTyped() != nullptr);
        EXPECT_EQ(L"Delphi", std::wstring(LmLib::CLmPtr<CVXAddin>(delphiAddin)->GetLanguageName().GetBSTR()));

        IUnknown* csharp = Create(CLSID_VXRoseCSharpAddin);
        ASSERT_NE(nullptr, csharp);
        auto csharpAddin = ContainedAddin<CVXRoseCSharpAddin, IVXRoseCSharpAddin>(csharp, IID_IVXRoseCSharpAddin);
        EXPECT_EQ(host.rose, LmLib::CLmPtr<CVXCSharpRoseAddin>(csharpAddin).GetTyped() != nullptr);
        EXPECT_EQ(!host.rose, LmLib::CLmPtr<CVXCSharpModelerAddin>(csharpAddin).GetTyped() != nullptr);
        EXPECT_EQ(L"C#", std::wstring(LmLib::CLmPtr<CVXAddin>(csharpAddin)->GetLanguageName().GetBSTR()));

        // Until activation the add-in's automation object is the COM object itself.
        IDispatch* held = LmLib::CLmPtr<CVXAddin>(delphiAddin)->GetDispatch();
        ASSERT_NE(nullptr, held);
        IUnknown* identity = nullptr;
        ASSERT_EQ(S_OK, held->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
        EXPECT_EQ(delphi, identity);
        identity->Release();
        held->Release();

        delphiAddin = nullptr;
        csharpAddin = nullptr;
        EXPECT_EQ(0u, delphi->Release()) << "the add-in object holds no counted reference to its COM object";
        EXPECT_EQ(0u, csharp->Release());
    }
    EXPECT_EQ(S_OK, VXModule().CanUnloadNow());
}

TEST_F(ServerTest, FailedCallPublishesErrorInformation)
{
    IUnknown* object = Create(CLSID_VXRoseDelphiAddin);
    ASSERT_NE(nullptr, object);
    IVXRoseDelphiAddin* addin = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IVXRoseDelphiAddin, reinterpret_cast<void**>(&addin)));

    SetErrorInfo(0, nullptr);
    EXPECT_EQ(static_cast<HRESULT>(0xFFFFFF37), addin->OnGenerateCode(nullptr));
    IErrorInfo* error = nullptr;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &error));
    BSTR description = nullptr;
    ASSERT_EQ(S_OK, error->GetDescription(&description));
    GUID guid = {};
    EXPECT_EQ(S_OK, error->GetGUID(&guid));
    EXPECT_TRUE(IsEqualGUID(IID_IDispatch, guid));
    error->Release();

    // An empty first line, the message with its code, then the location trail from
    // the raising method out to the COM method.
    std::wstring text = description ? description : L"";
    SysFreeString(description);
    EXPECT_EQ(0u, text.find(L"\r\nEl puntero del elemento oRoseApplication no puede ser NULL . Error - [FFFFFF37]\r\n"))
        << std::string(text.begin(), text.end());
    size_t helper = text.find(L"Vexlo/VXRoseAddinImpl.h - ");
    size_t method = text.find(L"Vexlo/VXRoseDelphiAddin.cpp - ");
    EXPECT_NE(std::wstring::npos, helper);
    EXPECT_NE(std::wstring::npos, method);
    EXPECT_LT(helper, method);

    // The object stays usable.
    IRoseApplication* noApplication = nullptr;
    EXPECT_EQ(S_OK, addin->OnDeactivate(&noApplication));
    addin->Release();
    EXPECT_EQ(0u, object->Release());
}
