// Classes and their members: inheritance and dependency walks with their cycle guard,
// visibility codes, languages and the members' own values.
#include "WrapperTestSupport.h"

#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXCategory.h"
#include "VXClass.h"
#include "VXOperation.h"
#include "VXParameter.h"
#include "VXParameterCollection.h"
#include "VXRichType.h"
#include "VXRole.h"

namespace WrapperTest {
namespace {

class InheritanceTest : public HostTest {
protected:
    CLmPtr<CVXClass> W(Class* c) { return Wrap<CVXClass>(c); }
};

// A inherits from B, B from C; D inherits from Left and Right, which both inherit from
// Top (a diamond); Lone inherits from nothing.
TEST_F(InheritanceTest, ThreeLevelChainAndDiamond)
{
    Class* a = build.AddClass(L"A");
    Class* b = build.AddClass(L"B");
    Class* c = build.AddClass(L"C");
    build.Inherit(a, b);
    build.Inherit(b, c);
    Class* top = build.AddClass(L"Top");
    Class* left = build.AddClass(L"Left");
    Class* right = build.AddClass(L"Right");
    Class* d = build.AddClass(L"D");
    build.Inherit(left, top);
    build.Inherit(right, top);
    build.Inherit(d, left);
    build.Inherit(d, right);
    Class* lone = build.AddClass(L"Lone");

    struct Case {
        Class* sub;
        Class* super;
        bool inherits;
    };
    const Case cases[] = {
        {a, b, true},     {a, c, true},      {b, c, true},    {c, a, false},  {b, a, false},
        {a, a, false},    {d, top, true},    {d, left, true}, {d, right, true}, {right, left, false},
        {top, d, false},  {lone, top, false}, {a, top, false},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.inherits, W(k.sub)->InheritsFrom(W(k.super))) << k.sub->name << L" from " << k.super->name;
        EXPECT_EQ(k.inherits, W(k.super)->IsInheritedBy(W(k.sub))) << k.super->name << L" by " << k.sub->name;
    }
    EXPECT_TRUE(W(a)->HasInheritRelations());
    EXPECT_TRUE(W(d)->HasInheritRelations());
    EXPECT_FALSE(W(top)->HasInheritRelations());
}

// The counter counts every step of the walk, not its depth: one per relation followed.
TEST_F(InheritanceTest, CounterCountsStepsOfTheWholeWalk)
{
    Class* d = build.AddClass(L"D");
    Class* left = build.AddClass(L"Left");
    Class* right = build.AddClass(L"Right");
    Class* top = build.AddClass(L"Top");
    Class* other = build.AddClass(L"Other");
    build.Inherit(d, left);
    build.Inherit(d, right);
    build.Inherit(left, top);
    build.Inherit(right, top);
    LONG counter = 0;
    EXPECT_FALSE(W(d)->InheritsFrom(W(other), counter));
    EXPECT_EQ(4, counter);  // Left, Top, Right, Top

    build.Depend(d, left);
    build.Depend(d, right);
    build.Depend(left, top);
    counter = 0;
    EXPECT_FALSE(W(d)->DependsOn(W(other), counter));
    EXPECT_EQ(3, counter);  // Left, Top, Right
    counter = 0;
    EXPECT_TRUE(W(d)->DependsOn(W(top), counter));
    EXPECT_EQ(1, counter);  // found one step below Left
}

class MemberTest : public HostTest {};

// Host export control -> visibility code: 0 public, 1 (protected) -> 2, 2 (private) -> 1,
// 3 implementation, anything else -1. The same map for attributes, operations and roles.
TEST_F(MemberTest, VisibilityCodesOfExportControlValues)
{
    Class* owner = build.AddClass(L"Owner");
    Class* other = build.AddClass(L"Other");
    Attribute* attribute = build.AddAttribute(owner, L"field");
    Operation* operation = build.AddOperation(owner, L"method");
    Association* link = build.Associate(L"Link", owner, L"mine", other, L"theirs");
    const struct {
        int16_t exportControl;
        LONG visibility;
    } cases[] = {{0, 0}, {1, 2}, {2, 1}, {3, 3}, {4, -1}, {-1, -1}};
    for (const auto& c : cases) {
        attribute->exportControl = c.exportControl;
        operation->exportControl = c.exportControl;
        link->role1->exportControl = c.exportControl;
        EXPECT_EQ(c.visibility, Wrap<CVXAttribute>(attribute)->GetVisibility()) << c.exportControl;
        EXPECT_EQ(c.visibility, Wrap<CVXOperation>(operation)->GetVisibility()) << c.exportControl;
        EXPECT_EQ(c.visibility, Wrap<CVXRole>(link->role1)->GetVisibility()) << c.exportControl;
        EXPECT_EQ(c.exportControl, Wrap<CVXAttribute>(attribute)->GetExportControl()->GetValue());
        EXPECT_EQ(c.visibility, CVXRichType::VisibilityFromExportControl(c.exportControl));
    }
    operation->exportControl = PublicAccess;
    EXPECT_EQ(L"PublicAccess", Text(Wrap<CVXOperation>(operation)->GetExportControl()->GetName()));
}

TEST_F(MemberTest, LanguagesOfClassesOperationsAndParameters)
{
    Class* sharp = build.AddClass(L"Sharp");
    Class* pascal = build.AddClass(L"Pascal");
    Class* none = build.AddClass(L"None");
    build.AddComponent(build.components, L"SharpUnit", L"C#", {sharp});
    build.AddComponent(build.components, L"PascalUnit", L"Delphi", {pascal});
    Operation* run = build.AddOperation(sharp, L"Run");
    Parameter* count = build.AddParameter(run, L"count", L"int", L"0");

    EXPECT_EQ(L"C#", Text(Wrap<CVXClass>(sharp)->GetAssignedLanguage()));
    EXPECT_EQ(L"Delphi", Text(Wrap<CVXClass>(pascal)->GetAssignedLanguage()));
    EXPECT_EQ(L"", Text(Wrap<CVXClass>(none)->GetAssignedLanguage()));
    EXPECT_EQ(L"C#", Text(Wrap<CVXOperation>(run)->GetAssignedLanguage()));
    // A parameter's language is "Delphi" whatever its class's.
    EXPECT_EQ(L"Delphi", Text(Wrap<CVXParameter>(count)->GetAssignedLanguage()));
}

} // namespace
} // namespace WrapperTest
