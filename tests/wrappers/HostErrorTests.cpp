// Host failures: a failing member arrives as a CLmException with the host's HRESULT, its
// description and one trail line per wrapper operation crossed.
#include "WrapperTestSupport.h"

#include "RoseHostIds.h"
#include "VXApplication.h"
#include "VXCategory.h"
#include "VXClassCollection.h"
#include "VXRole.h"
#include "VXSubsystem.h"
#include "VXClass.h"
#include "VXModel.h"
#include "VXOperation.h"
#include "VXOperationCollection.h"
#include "VXRichType.h"

#include <functional>

namespace WrapperTest {
namespace {

const HRESULT kLocked = static_cast<HRESULT>(0x80041234);

std::vector<std::wstring> TrailLines(const CLmException& error)
{
    std::vector<std::wstring> lines;
    std::wstring where = Text(error.GetLocation());
    size_t start = 0;
    for (size_t end; (end = where.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(where.substr(start, end - start));
    lines.push_back(where.substr(start));
    return lines;
}

// The source file each trail line names ("VexloLib/VXClass.cpp - 123" -> "VXClass.cpp").
std::vector<std::wstring> TrailFiles(const CLmException& error)
{
    std::vector<std::wstring> files;
    for (const std::wstring& line : TrailLines(error)) {
        std::wstring file = line.substr(0, line.find(L" - "));
        files.push_back(file.substr(file.find_last_of(L"/\\") + 1));
    }
    return files;
}

class HostErrorTest : public HostTest {
protected:
    void SetUp() override
    {
        base = build.AddClass(L"Base");
        derived = build.AddClass(L"Derived");
        build.Depend(derived, base);
        build.AddComponent(build.components, L"Unit", L"Delphi", {base, derived});
        method = build.AddOperation(derived, L"Run");
    }
    Class* base = nullptr;
    Class* derived = nullptr;
    Operation* method = nullptr;
};

TEST_F(HostErrorTest, FailureCarriesCodeDescriptionAndOneLinePerOperation)
{
    struct Case {
        const char* path;
        const wchar_t* member;
        std::function<void()> call;
        std::vector<std::wstring> files;
    };
    const std::vector<Case> cases = {
        {"class language", L"IRoseClass.GetAssignedLanguage",
         [&] { Wrap<CVXClass>(derived)->GetAssignedLanguage(); }, {L"VXClass.cpp"}},
        {"operation language through its class", L"IRoseClass.GetAssignedLanguage",
         [&] { Wrap<CVXOperation>(method)->GetAssignedLanguage(); }, {L"VXClass.cpp", L"VXOperation.cpp"}},
        {"element name", L"IRoseItem.Name", [&] { Wrap<CVXClass>(derived)->GetName(); }, {L"VXElement.cpp"}},
        {"log through the model", L"WriteErrorLog",
         [&] { Wrap<CVXClass>(base)->GetModel()->WriteLog(L"text"); }, {L"VXApplication.cpp", L"VXModel.cpp"}},
        // DependsOn(other) -> DependsOn(other, counter) -> GetClassDependencies.
        {"dependency walk", L"GetClassDependencies",
         [&] { Wrap<CVXClass>(derived)->DependsOn(Wrap<CVXClass>(base)); },
         {L"VXClass.cpp", L"VXClass.cpp", L"VXClass.cpp"}},
        {"collection element", L"IRoseOperationCollection.GetAt",
         [&] { Wrap<CVXClass>(derived)->GetOperations()->GetAt(0); }, {L"VXOperationCollection.cpp"}},
        {"property write", L"IRoseItem.Name", [&] { Wrap<CVXClass>(derived)->SetName(L"X"); }, {L"VXElement.cpp"}},
    };
    for (const Case& c : cases) {
        Host().SetFailure(c.member, kLocked, 1, L"The model is locked");
        CLmException error = Raised(c.call);
        Host().ClearFailures();
        EXPECT_EQ(kLocked, error.m_Code) << c.path;
        EXPECT_NE(std::wstring::npos, Text(error.GetMessage()).find(L"The model is locked")) << c.path;
        EXPECT_EQ(c.files, TrailFiles(error)) << c.path;
    }
}

TEST_F(HostErrorTest, HostDefaultDescriptionAndSourceTravel)
{
    Host().SetFailure(L"GetUniqueID", E_FAIL);
    CLmException error = Raised([&] { Wrap<CVXClass>(base)->GetUniqueID(); });
    EXPECT_EQ(E_FAIL, error.m_Code);
    // "<description> [<source> ]" of the host's error information.
    EXPECT_EQ(L"IRoseClass.GetUniqueID failed [Rose ]", Text(error.GetMessage()));
}

// A host that reports failures through EXCEPINFO and answers loosely typed values.
class FakeHostObject : public IDispatch {
public:
    using Behaviour = std::function<HRESULT(DISPID, VARIANT*, EXCEPINFO*)>;
    explicit FakeHostObject(Behaviour behaviour, REFIID iid = RoseHost::IID_IRoseRichType)
        : m_iid(iid), m_behaviour(std::move(behaviour))
    {
    }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch) ||
            IsEqualGUID(riid, m_iid)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_refs; }
    STDMETHOD_(ULONG, Release)() override { return --m_refs; }  // lives on the test's stack
    STDMETHOD(GetTypeInfoCount)(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        ++namesAsked;
        return E_NOTIMPL;
    }
    STDMETHOD(Invoke)(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* exception,
                      UINT*) override
    {
        return m_behaviour(id, result, exception);
    }

    ULONG m_refs = 1;
    int namesAsked = 0;

private:
    IID m_iid;
    Behaviour m_behaviour;
};

TEST(HostCallMarshalling, ExceptionInformationBecomesTheErrorDescription)
{
    FakeHostObject host([](DISPID, VARIANT*, EXCEPINFO* exception) {
        exception->scode = kLocked;
        exception->bstrDescription = SysAllocString(L"Value is read-only");
        exception->bstrSource = SysAllocString(L"Host");
        return DISP_E_EXCEPTION;
    });
    CLmPtr<CVXRichType> value = CVXRichType::Create(CVXParentPtr(), &host);
    ASSERT_TRUE(value);
    CLmException error = Raised([&] { value->SetValue(2); });
    EXPECT_EQ(kLocked, error.m_Code);
    EXPECT_EQ(L"Value is read-only [Host ]", Text(error.GetMessage()));
    EXPECT_EQ(0, host.namesAsked);
    value = nullptr;
    EXPECT_EQ(1u, host.m_refs);
}

TEST(HostCallMarshalling, ResultsAreCoercedToTheDeclaredType)
{
    FakeHostObject host([](DISPID id, VARIANT* result, EXCEPINFO*) {
        if (id == RoseHost::Disp::RichType::Value) {
            result->vt = VT_I4;  // a wider integer than declared
            result->lVal = 3;
        } else {
            result->vt = VT_I2;  // a number where text is declared
            result->iVal = 12;
        }
        return S_OK;
    });
    CLmPtr<CVXRichType> value = CVXRichType::Create(CVXParentPtr(), &host);
    EXPECT_EQ(3, value->GetValue());
    EXPECT_EQ(L"12", Text(value->GetName()));
    value = nullptr;
    EXPECT_EQ(1u, host.m_refs);
}

// The host's 16-bit values as they are read: IsRootPackage accepts only the automation
// true value (-1), a role's booleans any non-zero value, and a count is sign-extended.
TEST(HostCallMarshalling, SixteenBitValuesAsTheHostAnswersThem)
{
    for (short answer : {short(-1), short(1), short(0)}) {
        auto boolean = [answer](DISPID, VARIANT* result, EXCEPINFO*) {
            result->vt = VT_BOOL;
            result->boolVal = answer;
            return S_OK;
        };
        FakeHostObject category(boolean, RoseHost::IID_IRoseCategory);
        FakeHostObject subsystem(boolean, RoseHost::IID_IRoseSubsystem);
        FakeHostObject role(boolean, RoseHost::IID_IRoseRole);
        EXPECT_EQ(answer == -1, CVXCategory::Create(CVXParentPtr(), &category)->IsRootPackage()) << answer;
        EXPECT_EQ(answer == -1, CVXSubsystem::Create(CVXParentPtr(), &subsystem)->IsRootPackage()) << answer;
        CLmPtr<CVXRole> wrapper = CVXRole::Create(CVXParentPtr(), &role);
        EXPECT_EQ(answer != 0, wrapper->IsNavigable()) << answer;
        EXPECT_EQ(answer != 0, wrapper->IsAggregate()) << answer;
        EXPECT_EQ(answer != 0, wrapper->IsFriend()) << answer;
    }

    FakeHostObject negative(
        [](DISPID, VARIANT* result, EXCEPINFO*) {
            result->vt = VT_I2;
            result->iVal = -2;
            return S_OK;
        },
        RoseHost::IID_IRoseClassCollection);
    CLmPtr<CVXClassCollection> classes = CVXClassCollection::Create(CVXParentPtr(), &negative);
    EXPECT_EQ(-2, classes->GetCount());
}

} // namespace
} // namespace WrapperTest
