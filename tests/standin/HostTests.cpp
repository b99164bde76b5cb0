// The host's own objects (application, add-ins, context menus, log) and what the host's
// C++ face lets a caller set and read.
#include "StandinTestSupport.h"

namespace StandinTest {
namespace {

using ApplicationTest = StandinFixture;
using AddInTest = StandinFixture;
using FailureTest = StandinFixture;

TEST_F(ApplicationTest, LogLinesGoToTheSinkUnchanged)
{
    std::vector<std::wstring> lines;
    host.SetLogSink([&lines](const std::wstring& line) { lines.push_back(line); });
    Auto app = App();
    EXPECT_EQ(S_OK, app.Call(L"WriteErrorLog", Args(Var::Str(L"[Code generation] Unit1.pas"))).hr);
    EXPECT_EQ(S_OK, app.Call(L"WriteErrorLog", Args(Var::Str(L""))).hr);
    EXPECT_EQ((std::vector<std::wstring>{L"[Code generation] Unit1.pas", L""}), lines);
}

TEST_F(ApplicationTest, WithoutASinkLogLinesGoToStandardOutput)
{
    Auto app = App();
    testing::internal::CaptureStdout();
    app.Call(L"WriteErrorLog", Args(Var::Str(L"Fertig \u00fcbersetzt")));
    EXPECT_EQ("Fertig \xc3\xbc" "bersetzt\n", testing::internal::GetCapturedStdout());
}

TEST_F(AddInTest, TheDefaultAddInsAreDelphiAndCSharp)
{
    Auto addIns = App().ObjProp(L"AddInManager").ObjProp(L"AddIns");
    EXPECT_TRUE(addIns.Answers(IID_IRoseAddInCollection));
    EXPECT_EQ((std::vector<std::wstring>{L"Delphi", L"C#"}), addIns.Names());

    host.SetAddIns({L"delphi", L"Delphi", L"Java"});
    EXPECT_EQ((std::vector<std::wstring>{L"delphi", L"Delphi", L"Java"}),
              App().ObjProp(L"AddInManager").ObjProp(L"AddIns").Names());
}

TEST_F(AddInTest, ContextMenuItemsAreRecordedWithTheAddInTheyCameThrough)
{
    Auto addIns = App().ObjProp(L"AddInManager").ObjProp(L"AddIns");
    Auto csharp = addIns.At(2);
    Auto item = csharp.ObjCall(L"AddContextMenuItem",
                               Args(Var::I2(4), Var::Str(L"Generate Code"), Var::Str(L"CODEGEN")));
    ASSERT_TRUE(item);
    EXPECT_TRUE(item.Answers(IID_IRoseContextMenuItem));
    EXPECT_EQ(L"Generate Code", item.StrProp(L"Caption"));
    EXPECT_EQ(L"CODEGEN", item.StrProp(L"InternalName"));
    EXPECT_EQ(4, item.I2Prop(L"ItemType"));
    csharp.ObjCall(L"AddContextMenuItem", Args(Var::I2(7), Var::Str(L"Generate Code"), Var::Str(L"CODEGEN")));

    std::vector<ContextMenuItemRecord> items = host.ContextMenuItems();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(L"C#", items[0].addIn);
    EXPECT_EQ(4, items[0].itemType);
    EXPECT_EQ(L"Generate Code", items[0].caption);
    EXPECT_EQ(L"CODEGEN", items[0].internalName);
    EXPECT_EQ(7, items[1].itemType);

    EXPECT_EQ(1, csharp.ObjCall(L"GetContextMenuItems", Args(Var::I2(7))).Count());
    EXPECT_EQ(0, addIns.At(1).ObjCall(L"GetContextMenuItems", Args(Var::I2(7))).Count());

    host.ClearContextMenuItems();
    EXPECT_TRUE(host.ContextMenuItems().empty());
    EXPECT_EQ(E_FAIL, item.Prop(L"Caption").hr) << "the item is gone with the records";
}

TEST_F(FailureTest, FailuresHitTheNextCallsOnlyAndLeaveErrorInformation)
{
    host.SetFailure(L"GetSelectedClasses", E_ACCESSDENIED);
    Auto model = App().ObjProp(L"CurrentModel");
    Outcome o = model.Call(L"GetSelectedClasses");
    EXPECT_EQ(E_ACCESSDENIED, o.hr);
    EXPECT_EQ(VT_EMPTY, o.result.v.vt);
    EXPECT_EQ(L"IRoseModel.GetSelectedClasses failed", TakeErrorDescription());
    EXPECT_EQ(S_OK, model.Call(L"GetSelectedClasses").hr);

    // A count of failures, with a description of the test's.
    host.SetFailure(L"WriteErrorLog", E_UNEXPECTED, 2, L"The log window is closed");
    host.SetLogSink([](const std::wstring&) {});
    Auto app = App();
    EXPECT_EQ(E_UNEXPECTED, app.Call(L"WriteErrorLog", Args(Var::Str(L"a"))).hr);
    EXPECT_EQ(L"The log window is closed", TakeErrorDescription());
    EXPECT_EQ(E_UNEXPECTED, app.Call(L"WriteErrorLog", Args(Var::Str(L"b"))).hr);
    EXPECT_EQ(S_OK, app.Call(L"WriteErrorLog", Args(Var::Str(L"c"))).hr);
}

TEST_F(FailureTest, FailuresMatchMemberNamesQualifiedOrNot)
{
    const HRESULT hr = static_cast<HRESULT>(0x80041234);
    struct Case {
        const wchar_t* key;
        bool hitsClassName;
        bool hitsAttributeName;
    } cases[] = {
        {L"name", true, true},
        {L"IRoseItem.Name", true, true},
        {L"IRoseClass.NAME", true, false},
        {L"IRoseAttribute.Name", false, true},
        {L"IRoseModel.Name", false, false},
        {L"Names", false, false},
    };
    for (const Case& c : cases) {
        host.ClearFailures();
        host.SetFailure(c.key, hr, -1);
        EXPECT_EQ(c.hitsClassName ? hr : S_OK, Of(sm.base).Prop(L"Name").hr) << c.key;
        EXPECT_EQ(c.hitsAttributeName ? hr : S_OK, Of(sm.count).Prop(L"Name").hr) << c.key;
    }
    host.ClearFailures();
    EXPECT_EQ(S_OK, Of(sm.base).Prop(L"Name").hr);
}

TEST(AutomationHostTest, ObjectsOutliveTheHostThatMadeThem)
{
    long before = Automation::Object::LiveCount();
    IDispatch* raw = nullptr;
    {
        SmallModel sm;
        AutomationHost host(sm.model);
        raw = host.CreateApplication();
    }
    {
        Auto app(raw);
        Auto model = app.ObjProp(L"CurrentModel");
        EXPECT_EQ(L"Small", model.StrProp(L"Name"));
        EXPECT_EQ(0, model.ObjCall(L"GetSelectedClasses").Count());
    }
    EXPECT_EQ(before, Automation::Object::LiveCount());
}

} // namespace
} // namespace StandinTest
