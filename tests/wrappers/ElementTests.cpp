// Element access: names, unique ids, documentation, tool properties, the creation rules
// of the wrappers and the reference they hold on their host object.
#include "WrapperTestSupport.h"

#include "VXApplication.h"
#include "VXAssociation.h"
#include "VXAttribute.h"
#include "VXCategory.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXModel.h"
#include "VXModule.h"
#include "VXOperation.h"
#include "VXParameter.h"
#include "VXProperty.h"
#include "VXPropertyCollection.h"
#include "VXRichType.h"
#include "VXRole.h"
#include "VXSubsystem.h"
#include "VXToolProperties.h"

#include <cwctype>
#include <functional>

namespace WrapperTest {
namespace {

const char* const kAccountModel =
    "(object Petal version 47 charSet 0)\n"
    "(object Design \"Logical View\"\n"
    "  quid \"D1\"\n"
    "  root_category (object Class_Category \"Logical View\" quid \"L1\"\n"
    "    logical_models (list unit_reference_list\n"
    "      (object Class \"Account\" quid \"A1\"\n"
    "        documentation \"Holds money.\"\n"
    "        attributes (list Attribute_Set\n"
    "          (object Attribute tool \"Delphi\" name \"GenerateCode\" value FALSE)\n"
    "          (object Attribute tool \"Delphi\" name \"Comment\" value \"  padded Value  \")))))\n"
    "  root_subsystem (object SubSystem \"Component View\" quid \"S1\")\n"
    "  properties (object Properties\n"
    "    attributes (list Attribute_Set\n"
    "      (object Attribute tool \"Delphi\" name \"default__Class\"\n"
    "        value (list Attribute_Set\n"
    "          (object Attribute tool \"Delphi\" name \"GenerateCode\" value TRUE)\n"
    "          (object Attribute tool \"Delphi\" name \"Kind\" value \"class\"))))))\n";

class LoadedModelTest : public HostTest {
protected:
    void SetUp() override
    {
        LoadOptions options;
        options.codePage = 1252;
        build.model = LoadRoseModelFromText(kAccountModel, L"account.mdl", options);
        account = build.model->FindClass(L"Account");
        ASSERT_NE(nullptr, account);
    }
    Class* account = nullptr;
};

TEST_F(LoadedModelTest, PropertyValuesAreReturnedExactlyAsTheHostGivesThem)
{
    CLmPtr<CVXClass> cls = Wrap<CVXClass>(account);
    struct Case {
        const wchar_t* tool;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Delphi", L"GenerateCode", L"FALSE"},         // own value over the default
        {L"Delphi", L"Comment", L"  padded Value  "},   // no trimming, no case change
        {L"Delphi", L"Kind", L"class"},                 // the host's default, unchanged
        {L"Delphi", L"NoSuchProperty", L""},            // what the host answers
        {L"C#", L"GenerateCode", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Text(cls->GetPropertyValue(c.tool, c.name))) << c.tool << L"." << c.name;
        // The reader answers the same, and derives the boolean and lower-case forms.
        CVXToolProperties properties(cls, c.tool);
        std::wstring lower = c.expected;
        for (wchar_t& ch : lower)
            ch = static_cast<wchar_t>(std::towlower(ch));
        EXPECT_EQ(c.expected, properties.Text(c.name)) << c.tool << L"." << c.name;
        EXPECT_EQ(lower, properties.Lower(c.name)) << c.name;
        EXPECT_EQ(lower == L"true", properties.IsTrue(c.name)) << c.name;
    }
}

// Names are kept by their characters, not by where the caller keeps them: a buffer
// used again for another name gets that name.
TEST(ToolPropertyNames, KeptByTheirText)
{
    std::wstring buffer = L"GenerateCode";
    const CLmBSTR& first = CVXToolProperties::Name(buffer.c_str());
    EXPECT_EQ(&first, &CVXToolProperties::Name(L"GenerateCode"));
    buffer = L"Kind";
    const CLmBSTR& second = CVXToolProperties::Name(buffer.c_str());
    EXPECT_NE(&first, &second);
    EXPECT_EQ(L"GenerateCode", Text(first));
    EXPECT_EQ(L"Kind", Text(second));
    EXPECT_EQ(4u, SysStringLen(second.GetBSTR()));
}

// Create with no host object: CVXObject-based wrappers do not exist, class and component
// wrappers and CVXBase-based ones (application, property, collections) do.
TEST(WrapperCreate, NullHostObject)
{
    struct Case {
        const char* wrapper;
        std::function<bool()> exists;
        bool expected;
    };
    const CVXParentPtr none;
    const Case cases[] = {
        {"CVXAttribute", [&] { return !CVXAttribute::Create(none, nullptr).IsNull(); }, false},
        {"CVXOperation", [&] { return !CVXOperation::Create(none, nullptr).IsNull(); }, false},
        {"CVXParameter", [&] { return !CVXParameter::Create(none, nullptr).IsNull(); }, false},
        {"CVXRole", [&] { return !CVXRole::Create(none, nullptr).IsNull(); }, false},
        {"CVXAssociation", [&] { return !CVXAssociation::Create(none, nullptr).IsNull(); }, false},
        {"CVXModel", [&] { return !CVXModel::Create(none, nullptr).IsNull(); }, false},
        {"CVXCategory", [&] { return !CVXCategory::Create(none, nullptr).IsNull(); }, false},
        {"CVXSubsystem", [&] { return !CVXSubsystem::Create(none, nullptr).IsNull(); }, false},
        {"CVXRichType", [&] { return !CVXRichType::Create(none, nullptr).IsNull(); }, false},
        {"CVXClass", [&] { return !CVXClass::Create(none, nullptr).IsNull(); }, true},
        {"CVXModule", [&] { return !CVXModule::Create(none, nullptr).IsNull(); }, true},
        {"CVXApplication", [&] { return !CVXApplication::Create(none, nullptr).IsNull(); }, true},
        {"CVXProperty", [&] { return !CVXProperty::Create(none, nullptr).IsNull(); }, true},
        {"CVXPropertyCollection", [&] { return !CVXPropertyCollection::Create(none, nullptr).IsNull(); }, true},
        {"CVXClassCollection", [&] { return !CVXClassCollection::Create(none, nullptr).IsNull(); }, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.exists()) << c.wrapper;
    // One that exists answers every host call with E_POINTER.
    EXPECT_EQ(E_POINTER, Raised([] { CVXClass::Create(CVXParentPtr(), nullptr)->GetName(); }).m_Code);
}

class DispatchReferenceTest : public HostTest {};

TEST_F(DispatchReferenceTest, WrapperOwnsExactlyOneReference)
{
    Class* a = build.AddClass(L"A");
    Class* b = build.AddClass(L"B");
    CVXDispatchRef first(Host().CreateElementObject(*a));
    CVXDispatchRef second(Host().CreateElementObject(*b));
    ASSERT_EQ(1u, RefCount(first.Get()));
    {
        CLmPtr<CVXClass> cls = CVXClass::Create(CVXParentPtr(), first.Get());
        EXPECT_EQ(2u, RefCount(first.Get()));

        cls->SetDispatch(first.Get());  // the object already held
        EXPECT_EQ(2u, RefCount(first.Get()));

        cls->SetDispatch(second.Get());
        EXPECT_EQ(1u, RefCount(first.Get()));
        EXPECT_EQ(2u, RefCount(second.Get()));
        EXPECT_EQ(L"B", Text(cls->GetName()));

        IDispatch* held = cls->GetDispatch();  // a new reference for the caller
        EXPECT_EQ(second.Get(), held);
        EXPECT_EQ(3u, RefCount(second.Get()));
        held->Release();

        cls->SetDispatch(nullptr);
        EXPECT_EQ(1u, RefCount(second.Get()));
        EXPECT_EQ(nullptr, cls->GetDispatch());
        cls->SetDispatch(first.Get());
    }
    // The last release of the wrapper gives its reference back.
    EXPECT_EQ(1u, RefCount(first.Get()));
    EXPECT_EQ(1u, RefCount(second.Get()));
}

} // namespace
} // namespace WrapperTest
