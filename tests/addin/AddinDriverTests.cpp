// The add-in's five callbacks driven as the host drives them: the module loaded by
// path, the COM object made by its class factory while the process pretends to be
// Rational Rose or Visual Modeler, the callbacks called through IDispatch::Invoke with
// the stand-in host's application object by reference. What the add-in did is read
// back from the host: the context-menu items it registered, the lines it wrote to the
// log and the files of the components it generated.
#include "Automation.h"
#include "ModelBuilder.h"
#include "VexloIds.h"
#include "VexloInterfaces.h"

#include <vxplat/Com.h>
#include <vxplat/Kernel.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using namespace RoseHost;

const wchar_t kRoseExecutable[] = L"C:\\Program Files\\Rational\\Rose\\rose.exe";
const wchar_t kModelerExecutable[] = L"C:\\Program Files\\Microsoft Visual Studio\\Common\\Tools\\VM\\vm.exe";
// A failure code of the host's that nothing else produces.
const HRESULT kHostFailure = static_cast<HRESULT>(0x80040A11);

enum Dispid : DISPID
{
    kOnActivate = 1,
    kOnDeactivate = 2,
    kOnGenerateCode = 3,
    kOnSelectedContextMenuItem = 4,
    kOnEnableContextMenuItems = 5,
};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// What a callback answered, as the host sees it through IDispatch: the result code and
// the description of the error information the add-in left.
struct CallResult
{
    HRESULT hr = S_OK;
    std::wstring description;
};

std::ostream& operator<<(std::ostream& out, const CallResult& result)
{
    return out << std::hex << "0x" << static_cast<unsigned long>(result.hr) << std::dec << " "
               << Narrow(result.description);
}

// The language add-in COM object of one class, loaded from the module.
class HostedAddin
{
public:
    HostedAddin(HMODULE module, const CLSID& clsid)
    {
        using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
        if (!getClassObject)
            return;
        IClassFactory* factory = nullptr;
        if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return;
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_Object));
        factory->Release();
    }
    ~HostedAddin()
    {
        if (m_Object)
            m_Object->Release();
    }
    HostedAddin(const HostedAddin&) = delete;
    HostedAddin& operator=(const HostedAddin&) = delete;

    bool IsValid() const { return m_Object != nullptr; }
    IDispatch* Object() const { return m_Object; }

    // One callback with the application by reference and, for the last two, the
    // internal name or the item type by reference.
    CallResult Call(DISPID method, IDispatch* application, const std::optional<std::wstring>& name = std::nullopt,
                    std::optional<short> itemType = std::nullopt)
    {
        BSTR nameArg = name ? SysAllocStringLen(name->data(), static_cast<UINT>(name->size())) : nullptr;
        short typeArg = itemType.value_or(0);
        IDispatch* applicationArg = application;
        std::vector<VARIANTARG> args(1);  // last argument first, as Invoke wants them
        if (name || itemType)
            args.resize(2);
        args.back().vt = VT_DISPATCH | VT_BYREF;
        args.back().ppdispVal = &applicationArg;
        if (name)
        {
            args[0].vt = VT_BSTR | VT_BYREF;
            args[0].pbstrVal = &nameArg;
        }
        else if (itemType)
        {
            args[0].vt = VT_I2 | VT_BYREF;
            args[0].piVal = &typeArg;
        }
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXCEPINFO exception = {};
        CallResult answer;
        answer.hr = m_Object->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                     &exception, nullptr);
        if (answer.hr == DISP_E_EXCEPTION)
        {
            answer.hr = exception.scode;
            if (exception.bstrDescription)
                answer.description = exception.bstrDescription;
        }
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        SysFreeString(nameArg);
        return answer;
    }

private:
    IDispatch* m_Object = nullptr;
};

// The two COM classes; every test runs for both, since either add-in generates both
// languages.
struct AddinClass
{
    const char* name;
    const CLSID* clsid;
    const wchar_t* language;  // the host add-in entry it looks for
};

const AddinClass kAddinClasses[] = {
    {"Delphi", &CLSID_VXRoseDelphiAddin, L"Delphi"},
    {"CSharp", &CLSID_VXRoseCSharpAddin, L"C#"},
};

class AddinDriverTest : public ::testing::TestWithParam<AddinClass>
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->name()) + "-" + std::to_string(std::random_device{}());
        for (char& c : name)
            if (c == '/')
                c = '_';
        m_Dir = fs::temp_directory_path() / ("vexlo-addin-" + name);
        fs::create_directories(m_Dir);
        m_Registry = m_Dir.string() + ".reg";
        setenv("VEXLO_REGISTRY", m_Registry.c_str(), 1);

        m_Module = ServerModule();
        ASSERT_NE(nullptr, m_Module) << VEXLO_MODULE_PATH;
        BuildModel();
    }

    void TearDown() override
    {
        m_Addin.reset();
        if (m_Application)
            m_Application->Release();
        m_Host.reset();
        VxpSetProcessImagePath(nullptr);
        std::error_code ignored;
        fs::remove_all(m_Dir, ignored);
        fs::remove(m_Registry, ignored);
        fs::remove(m_Registry + ".lock", ignored);
        unsetenv("VEXLO_REGISTRY");
    }

    // The module stays loaded for the whole run, as a host keeps its in-process servers
    // for its session (what the module keeps per thread lives until the thread ends).
    static HMODULE ServerModule()
    {
        static HMODULE module = LoadLibraryW(L"" VEXLO_MODULE_PATH);
        return module;
    }

    // The model: the shipped "Delphi" property set as defaults and the test's folder as
    // the output directory; elements are added by the tests.
    void BuildModel()
    {
        m_Build.Prop(m_Build.model.get(), L"Directory", m_Dir.wstring());
        m_Model = m_Build.model;
    }
    Class* AddClass(const std::wstring& name) { return m_Build.AddClass(name); }
    Module* AddModule(const std::wstring& name, const std::wstring& language, std::vector<Class*> classes)
    {
        return m_Build.AddComponent(m_Build.components, name, language, std::move(classes));
    }

    AutomationHost& Host()
    {
        if (!m_Host)
        {
            m_Host = std::make_unique<AutomationHost>(m_Model);
            m_Host->SetLogSink([this](const std::wstring& line) { m_Log.push_back(line); });
            m_Application = m_Host->CreateApplication();
        }
        return *m_Host;
    }

    // The test's add-in object, made while the process is the given host executable.
    HostedAddin& Addin(const wchar_t* executable = kRoseExecutable)
    {
        if (!m_Addin)
        {
            Host();
            EXPECT_TRUE(VxpSetProcessImagePath(executable));
            m_Addin = std::make_unique<HostedAddin>(m_Module, *GetParam().clsid);
            EXPECT_TRUE(m_Addin->IsValid());
        }
        return *m_Addin;
    }

    CallResult Call(DISPID method, const std::optional<std::wstring>& name = std::nullopt,
                    std::optional<short> itemType = std::nullopt)
    {
        return Addin().Call(method, m_Application, name, itemType);
    }

    // The generation the log reports, one "class>file" entry per class written into a
    // component's file ("Class <name> to <path>"), in log order.
    std::vector<std::wstring> Generated() const
    {
        const std::wstring prefix = L"Class ";
        const std::wstring to = L" to ";
        std::vector<std::wstring> entries;
        for (const std::wstring& line : m_Log)
        {
            size_t middle = line.find(to);
            if (line.compare(0, prefix.size(), prefix) != 0 || middle == std::wstring::npos)
                continue;
            std::wstring path = line.substr(middle + to.size());
            std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
            entries.push_back(line.substr(prefix.size(), middle - prefix.size()) + L">" +
                              file.substr(0, file.find(L'.')));
        }
        return entries;
    }

    fs::path m_Dir;
    std::string m_Registry;
    HMODULE m_Module = nullptr;
    VexloTest::ModelBuilder m_Build{L"Delphi"};
    std::shared_ptr<Model> m_Model;
    std::unique_ptr<AutomationHost> m_Host;
    IDispatch* m_Application = nullptr;
    std::unique_ptr<HostedAddin> m_Addin;
    std::vector<std::wstring> m_Log;
};

INSTANTIATE_TEST_SUITE_P(Classes, AddinDriverTest, ::testing::ValuesIn(kAddinClasses),
                         [](const ::testing::TestParamInfo<AddinClass>& info) { return std::string(info.param.name); });

std::vector<std::wstring> MenuItemTexts(const std::vector<ContextMenuItemRecord>& items)
{
    std::vector<std::wstring> texts;
    for (const ContextMenuItemRecord& item : items)
        texts.push_back(item.addIn + L"|" + std::to_wstring(item.itemType) + L"|" + item.caption + L"|" +
                        item.internalName);
    return texts;
}

TEST_P(AddinDriverTest, RoseActivationFindsItsEntryByExactNameAndAddsTwoMenuItems)
{
    const std::wstring language = GetParam().language;
    // Entries that differ only in case or by a blank do not count.
    Host().SetAddIns({L"delphi", L"c#", L"Delphi ", L"C# ", L"Delphi", L"C#"});
    const std::wstring expectedEntry = language + L"|";
    const std::vector<std::wstring> expected = {expectedEntry + L"4|Generate Code|CODEGEN",
                                                expectedEntry + L"7|Generate Code|CODEGEN"};

    ASSERT_EQ(S_OK, Call(kOnActivate).hr);
    EXPECT_EQ(expected, MenuItemTexts(Host().ContextMenuItems()));

    // Deactivated and activated again: the entry is looked up again, and the items are
    // added again.
    Host().ClearContextMenuItems();
    ASSERT_EQ(S_OK, Call(kOnDeactivate).hr);
    EXPECT_TRUE(Host().ContextMenuItems().empty());
    ASSERT_EQ(S_OK, Call(kOnActivate).hr);
    EXPECT_EQ(expected, MenuItemTexts(Host().ContextMenuItems()));
    EXPECT_TRUE(m_Log.empty());
}

TEST_P(AddinDriverTest, RoseActivationWithoutItsEntryFailsWithErrorForTheHost)
{
    const std::wstring language = GetParam().language;
    const std::vector<std::vector<std::wstring>> lists = {
        {},
        {L"delphi", L"DELPHI", L"c#", L"C #"},
        {language == L"Delphi" ? L"C#" : L"Delphi"},
    };
    for (const std::vector<std::wstring>& list : lists)
    {
        SCOPED_TRACE(testing::Message() << "add-ins: " << list.size());
        Host().SetAddIns(list);
        CallResult result = Call(kOnActivate);
        EXPECT_EQ(E_POINTER, result.hr) << result;
        // The description carries the trail out to the COM method the host called.
        EXPECT_NE(std::wstring::npos, result.description.find(L"Vexlo/VXRose")) << result;
        EXPECT_TRUE(Host().ContextMenuItems().empty());
    }

    // The object stays usable: with its entry in the list it activates.
    Host().SetAddIns({language});
    EXPECT_EQ(S_OK, Call(kOnActivate).hr);
    EXPECT_EQ(2u, Host().ContextMenuItems().size());

    // After deactivation nothing is held: an activation that finds no entry fails the
    // same way instead of using the entry let go.
    ASSERT_EQ(S_OK, Call(kOnDeactivate).hr);
    Host().ClearContextMenuItems();
    Host().SetAddIns({});
    EXPECT_EQ(E_POINTER, Call(kOnActivate).hr);
    EXPECT_TRUE(Host().ContextMenuItems().empty());
}

TEST_P(AddinDriverTest, OnlyTheExactInternalNameRunsGeneration)
{
    Class* a = AddClass(L"A");
    AddModule(L"M1", L"Delphi", {a});
    Host().SetSelection({a}, {});
    ASSERT_EQ(S_OK, Call(kOnActivate).hr);

    const struct
    {
        const wchar_t* name;
        bool generates;
    } names[] = {
        {L"codegen", false}, {L"CodeGen", false}, {L"CODEGEN ", false}, {L" CODEGEN", false},
        {L"", false},        {L"Generate Code", false}, {L"CODEGEN", true},
    };
    for (const auto& name : names)
    {
        SCOPED_TRACE(Narrow(name.name));
        m_Log.clear();
        EXPECT_EQ(S_OK, Call(kOnSelectedContextMenuItem, std::wstring(name.name)).hr);
        EXPECT_EQ(name.generates ? std::vector<std::wstring>{L"A>M1"} : std::vector<std::wstring>{}, Generated());
    }

    // Enabling the menu items is the host's business: nothing happens for any type.
    m_Log.clear();
    for (short itemType : {short(4), short(7), short(0), short(-1)})
        EXPECT_EQ(S_OK, Call(kOnEnableContextMenuItems, std::nullopt, itemType).hr);
    EXPECT_TRUE(m_Log.empty());
    EXPECT_EQ(2u, Host().ContextMenuItems().size());
}

TEST_P(AddinDriverTest, ClassAsksEachOfItsComponentsInListOrder)
{
    Class* a = AddClass(L"A");
    // The class's component list is M2 then M1: not the order of names nor of creation.
    Module* m1 = AddModule(L"M1", L"Delphi", {});
    AddModule(L"M2", L"Delphi", {a});
    m1->assignedClasses.push_back(a);
    a->assignedModules.push_back(m1);
    Host().SetSelection({a}, {});

    ASSERT_EQ(S_OK, Call(kOnGenerateCode).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"A>M2", L"A>M1"}), Generated());
    EXPECT_FALSE(fs::is_empty(m_Dir));
}

TEST_P(AddinDriverTest, SelectedClassesComeFirstThenSelectedComponents)
{
    Class* a = AddClass(L"A");
    Class* b = AddClass(L"B");
    Class* c = AddClass(L"C");
    Module* m1 = AddModule(L"M1", L"Delphi", {a});
    Module* m2 = AddModule(L"M2", L"Delphi", {b});
    // Components whose language is not exactly "Delphi" or "C#" are skipped.
    Module* lower = AddModule(L"M3", L"delphi", {c});
    Module* none = AddModule(L"M4", L"", {c});
    Module* other = AddModule(L"M5", L"Java", {c});
    // The selected component of a selected class is generated once by each loop.
    Host().SetSelection({a}, {m2, lower, none, other, m1});

    ASSERT_EQ(S_OK, Call(kOnGenerateCode).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"A>M1", L"B>M2", L"A>M1"}), Generated());
}

// Whether the driver asks a selected class to generate is seen by the host: a class
// asked to generate asks the host for its components, and that call is made to fail.
TEST_P(AddinDriverTest, SelectedClassIsAskedOnlyInExactlyDelphiOrCSharp)
{
    const struct
    {
        const wchar_t* language;
        bool asked;
    } languages[] = {
        {L"Delphi", true}, {L"C#", true},     {L"delphi", false}, {L"DELPHI", false}, {L"c#", false},
        {L"Delphi ", false}, {L"C", false},   {L"", false},       {L"Java", false},
    };
    Class* cls = AddClass(L"A");
    Module* module = AddModule(L"M1", L"Delphi", {cls});
    Host().SetSelection({cls}, {});
    for (const wchar_t* executable : {kRoseExecutable, kModelerExecutable})
    {
        m_Addin.reset();
        Addin(executable);
        for (const auto& language : languages)
        {
            SCOPED_TRACE(Narrow(std::wstring(executable) + L": \"" + language.language + L"\""));
            module->language = language.language;
            Host().ClearFailures();
            Host().SetFailure(L"IRoseClass.GetAssignedModules", kHostFailure, -1);
            CallResult result = Call(kOnGenerateCode);
            EXPECT_EQ(language.asked ? kHostFailure : S_OK, result.hr) << result;
        }
    }
    Host().ClearFailures();
    // Either add-in generates a Delphi class for real.
    module->language = L"Delphi";
    EXPECT_EQ(S_OK, Call(kOnGenerateCode).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"A>M1"}), Generated());
}

TEST_P(AddinDriverTest, FailureEndsThePassAndTheNextCallWorks)
{
    Class* a = AddClass(L"A");
    Class* b = AddClass(L"B");
    AddModule(L"M1", L"Delphi", {a});
    Module* m2 = AddModule(L"M2", L"Delphi", {b});
    Host().SetSelection({a}, {m2});
    Addin();
    Host().SetFailure(L"GetSelectedModules", kHostFailure, 1);

    CallResult failed = Call(kOnGenerateCode);
    EXPECT_EQ(kHostFailure, failed.hr) << failed;
    EXPECT_NE(std::wstring::npos, failed.description.find(L"Vexlo/VXRose")) << failed;
    // What was generated before the failure stays; nothing after it is generated.
    EXPECT_EQ((std::vector<std::wstring>{L"A>M1"}), Generated());

    m_Log.clear();
    EXPECT_EQ(S_OK, Call(kOnGenerateCode).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"A>M1", L"B>M2"}), Generated());
}

TEST_P(AddinDriverTest, InVisualModelerOnlyGenerationHasAnEffect)
{
    Class* a = AddClass(L"A");
    AddModule(L"M1", L"Delphi", {a});
    Host().SetSelection({a}, {});
    // No entry of either language: a Rose add-in would fail to activate. And the host
    // fails every request for its add-in manager: the add-in must not even ask.
    Host().SetAddIns({});
    Host().SetFailure(L"AddInManager", kHostFailure, -1);
    Addin(kModelerExecutable);

    EXPECT_EQ(S_OK, Call(kOnActivate).hr);
    EXPECT_EQ(S_OK, Call(kOnEnableContextMenuItems, std::nullopt, short(4)).hr);
    EXPECT_EQ(S_OK, Call(kOnSelectedContextMenuItem, std::wstring(L"CODEGEN")).hr);
    EXPECT_EQ(S_OK, Call(kOnDeactivate).hr);
    EXPECT_TRUE(Host().ContextMenuItems().empty());
    EXPECT_TRUE(m_Log.empty());
    EXPECT_TRUE(fs::is_empty(m_Dir));

    EXPECT_EQ(S_OK, Call(kOnGenerateCode).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"A>M1"}), Generated());
}

}  // namespace
