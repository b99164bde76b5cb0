// The IDispatch protocol as a client sees it: name lookup, argument conversion and
// checking, interface queries, reference counts and error information.
#include "StandinTestSupport.h"

namespace StandinTest {
namespace {

using DispatchTest = StandinFixture;

TEST_F(DispatchTest, NamesAreFoundInAnyLetterCaseAndGiveTheDefinitionsIds)
{
    Auto cls = Of(sm.base);
    struct Case {
        const wchar_t* name;
        DISPID id;
    } cases[] = {
        {L"Name", Disp::Class::Name},
        {L"NAME", Disp::Class::Name},
        {L"getuniqueid", Disp::Class::GetUniqueID},
        {L"Attributes", Disp::Class::Attributes},
        {L"GetAssignedLanguage", Disp::Class::GetAssignedLanguage},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.id, cls.IdOf(c.name)) << c.name;
}

TEST_F(DispatchTest, UnknownNamesAnswerUnknownName)
{
    Auto cls = Of(sm.base);
    std::wstring bad = L"ReturnType"; // an operation's member, not a class's
    std::wstring extra = L"theToolName";
    LPOLESTR names[] = {bad.data(), extra.data()};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, cls.Get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(DISPID_UNKNOWN, ids[0]);

    std::wstring good = L"Name";
    names[0] = good.data();
    EXPECT_EQ(DISP_E_UNKNOWNNAME, cls.Get()->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(Disp::Class::Name, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);

    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, cls.Get()->GetIDsOfNames(IID_IDispatch, names, 1, LOCALE_USER_DEFAULT, ids));
}

TEST_F(DispatchTest, CallsThatDoNotFitTheDeclarationAreRefused)
{
    Auto cls = Of(sm.base);
    Auto attrs = cls.ObjProp(L"Attributes");

    // An id the interface does not have, and a property read as a method only.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, cls.InvokeId(Disp::Operation::ReturnType, DISPATCH_PROPERTYGET).hr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, cls.InvokeId(Disp::Class::Attributes, DISPATCH_METHOD).hr);
    // Attributes has no put; GetUniqueID is no property.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, cls.Set(L"Attributes", Var::I2(1)));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, cls.InvokeId(Disp::Class::GetUniqueID, DISPATCH_PROPERTYGET).hr);

    struct Case {
        const char* what;
        Outcome outcome;
        HRESULT expected;
    } cases[] = {
        {"too few", cls.Call(L"GetPropertyValue", Args(Var::Str(L"Delphi"))), DISP_E_BADPARAMCOUNT},
        {"too many", cls.Call(L"GetUniqueID", Args(Var::Str(L"x"))), DISP_E_BADPARAMCOUNT},
        {"argument to a get", cls.Invoke(L"Name", DISPATCH_PROPERTYGET, Args(Var::I2(1))), DISP_E_BADPARAMCOUNT},
        {"no argument to GetAt", attrs.Call(L"GetAt"), DISP_E_BADPARAMCOUNT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.outcome.hr) << c.what;

    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              cls.Get()->Invoke(Disp::Class::Name, IID_IDispatch, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr,
                                nullptr));
}

TEST_F(DispatchTest, NamedArgumentsAreRefusedExceptThePutValue)
{
    Auto cls = Of(sm.base);
    Var tool = Var::Str(L"Delphi");
    Var prop = Var::Str(L"Kind");
    VARIANT args[2] = {prop.v, tool.v};
    DISPID named[1] = {0};
    DISPPARAMS params{args, named, 2, 1};
    Var result;
    EXPECT_EQ(DISP_E_NONAMEDARGS, cls.Get()->Invoke(Disp::Class::GetPropertyValue, IID_NULL, 0, DISPATCH_METHOD,
                                                    &params, &result.v, nullptr, nullptr));

    // A put names its value DISPID_PROPERTYPUT; any other name is refused.
    Var value = Var::Str(L"Renamed");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putParams{&value.v, &put, 1, 1};
    EXPECT_EQ(S_OK, cls.Get()->Invoke(Disp::Class::Name, IID_NULL, 0, DISPATCH_PROPERTYPUT, &putParams, nullptr,
                                      nullptr, nullptr));
    EXPECT_EQ(L"Renamed", sm.base->name);
    DISPID wrong = 7;
    DISPPARAMS wrongParams{&value.v, &wrong, 1, 1};
    EXPECT_EQ(DISP_E_NONAMEDARGS, cls.Get()->Invoke(Disp::Class::Name, IID_NULL, 0, DISPATCH_PROPERTYPUT,
                                                    &wrongParams, nullptr, nullptr, nullptr));
}

TEST_F(DispatchTest, ArgumentsAreConvertedToTheDeclaredTypes)
{
    Auto attrs = Of(sm.base).ObjProp(L"Attributes");
    // GetAt takes a short; a long, a numeric string and a by-reference value all do.
    EXPECT_EQ(L"Secret", Auto::Obj(attrs.Call(L"GetAt", Args(Var::I4(2)))).StrProp(L"Name"));
    EXPECT_EQ(L"Secret", Auto::Obj(attrs.Call(L"GetAt", Args(Var::Str(L"2")))).StrProp(L"Name"));

    SHORT index = 1;
    Var byRef;
    byRef.v.vt = VT_I2 | VT_BYREF;
    byRef.v.piVal = &index;
    EXPECT_EQ(L"Count", Auto::Obj(attrs.Call(L"GetAt", Args(std::move(byRef)))).StrProp(L"Name"));

    // A VARIANT passed by reference holding a BSTR, as script hosts pass arguments.
    Var inner = Var::Str(L"Delphi");
    Var variantRef;
    variantRef.v.vt = VT_VARIANT | VT_BYREF;
    variantRef.v.pvarVal = &inner.v;
    Auto cls = Of(sm.base);
    EXPECT_EQ(L"False", cls.StrCall(L"GetPropertyValue", Args(std::move(variantRef), Var::Str(L"GenerateCode"))));
    EXPECT_EQ(L"Delphi", std::wstring(inner.v.bstrVal)) << "the caller's argument is left alone";
}

TEST_F(DispatchTest, AnArgumentThatCannotBeConvertedIsReportedWithItsPosition)
{
    Auto attrs = Of(sm.base).ObjProp(L"Attributes");
    Outcome o = attrs.Call(L"GetAt", Args(Var::Str(L"first")));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, o.hr);
    EXPECT_EQ(0u, o.argErr);

    Auto app = App();
    Auto addIn = app.ObjProp(L"AddInManager").ObjProp(L"AddIns").At(1);
    // itemType is the first of three arguments, so it is the last in rgvarg.
    o = addIn.Call(L"AddContextMenuItem", Args(Var::Str(L"four"), Var::Str(L"Generate Code"), Var::Str(L"CODEGEN")));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, o.hr);
    EXPECT_EQ(2u, o.argErr);
    EXPECT_TRUE(host.ContextMenuItems().empty());

    o = attrs.Call(L"GetAt", Args(Var::I4(70000)));
    EXPECT_EQ(DISP_E_OVERFLOW, o.hr);
}

TEST_F(DispatchTest, ElementsAnswerTheirOwnInterfaceAndThoseItDerivesFrom)
{
    struct Case {
        const char* what;
        Element* element;
        std::vector<const GUID*> answers;
        std::vector<const GUID*> refuses;
    } cases[] = {
        {"class", sm.base, {&IID_IRoseClass, &IID_IRoseItem}, {&IID_IRoseAttribute, &IID_IRoseModel}},
        {"model", sm.model.get(), {&IID_IRoseModel, &IID_IRoseItem}, {&IID_IRoseCategory}},
        {"inherit relation",
         sm.inherit,
         {&IID_IRoseInheritRelation, &IID_IRoseClassRelation, &IID_IRoseRelation, &IID_IRoseItem},
         {&IID_IRoseClassDependency, &IID_IRoseRole}},
        {"role", sm.items, {&IID_IRoseRole, &IID_IRoseRelation, &IID_IRoseItem}, {&IID_IRoseClassRelation}},
        {"visibility",
         sm.mainOnBase,
         {&IID_IRoseModuleVisibilityRelationship, &IID_IRoseRelation},
         {&IID_IRoseClassRelation}},
        {"parameter", sm.paramA, {&IID_IRoseParameter, &IID_IRoseItem}, {&IID_IRoseClass}},
    };
    for (const Case& c : cases) {
        Auto obj = Of(c.element);
        EXPECT_TRUE(obj.Answers(IID_IUnknown)) << c.what;
        EXPECT_TRUE(obj.Answers(IID_IDispatch)) << c.what;
        for (const GUID* iid : c.answers)
            EXPECT_TRUE(obj.Answers(*iid)) << c.what;
        for (const GUID* iid : c.refuses)
            EXPECT_FALSE(obj.Answers(*iid)) << c.what;
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, obj.Get()->QueryInterface(IID_IClassFactory, &p)) << c.what;
        EXPECT_EQ(nullptr, p);
    }
}

TEST_F(DispatchTest, ObjectResultsCarryExactlyOneReference)
{
    Auto cls = Of(sm.base);
    Auto attrs = cls.ObjProp(L"Attributes");
    Auto first = attrs.At(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(2u, first.Get()->AddRef());
    EXPECT_EQ(1u, first.Get()->Release());

    long before = Automation::Object::LiveCount();
    {
        Auto model = cls.ObjProp(L"Model");
        Auto app = model.ObjProp(L"Application");
        EXPECT_EQ(before + 2, Automation::Object::LiveCount());
    }
    EXPECT_EQ(before, Automation::Object::LiveCount());
    // A result nobody asks for is released at once.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, cls.Get()->Invoke(Disp::Class::Attributes, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr,
                                      nullptr, nullptr));
    EXPECT_EQ(before, Automation::Object::LiveCount());
}

} // namespace
} // namespace StandinTest
