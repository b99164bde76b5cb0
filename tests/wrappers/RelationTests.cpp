// Relations and roles: the two ends of an association as the model file says them.
#include "WrapperTestSupport.h"

#include "VXAssociation.h"
#include "VXClass.h"
#include "VXRichType.h"
#include "VXRole.h"
#include "VXRoleCollection.h"

namespace WrapperTest {
namespace {

// Order "lines" (1..n, ordered, by value, protected, navigable, aggregate) -> Line;
// Line "order" (1, friend, not navigable) -> Order.
const char* const kOrderModel =
    "(object Petal version 47 charSet 0)\n"
    "(object Design \"Logical View\"\n"
    "  quid \"D1\"\n"
    "  root_category (object Class_Category \"Logical View\" quid \"L1\"\n"
    "    logical_models (list unit_reference_list\n"
    "      (object Class \"Order\" quid \"O1\")\n"
    "      (object Class \"Line\" quid \"LN1\")\n"
    "      (object Association \"Contains\" quid \"AS1\"\n"
    "        roles (list role_list\n"
    "          (object Role \"$UNNAMED$0\" quid \"R1\" label \"lines\"\n"
    "            supplier \"Logical View::Line\" quidu \"LN1\"\n"
    "            client_cardinality (value cardinality \"1..n\") Constraints \"ordered\"\n"
    "            Containment \"By Value\" exportControl \"Protected\" is_navigable TRUE is_aggregate TRUE)\n"
    "          (object Role \"$UNNAMED$1\" quid \"R2\" label \"order\"\n"
    "            supplier \"Logical View::Order\" quidu \"O1\"\n"
    "            client_cardinality (value cardinality \"1\") is_friend TRUE)))))\n"
    "  root_subsystem (object SubSystem \"Component View\" quid \"S1\"))\n";

class RelationTest : public HostTest {
protected:
    void SetUp() override
    {
        LoadOptions options;
        options.codePage = 1252;
        build.model = LoadRoseModelFromText(kOrderModel, L"order.mdl", options);
        order = build.model->FindClass(L"Order");
        line = build.model->FindClass(L"Line");
        ASSERT_NE(nullptr, order);
        ASSERT_NE(nullptr, line);
    }

    Class* order = nullptr;
    Class* line = nullptr;
};

TEST_F(RelationTest, RoleValuesAsTheModelSays)
{
    CLmPtr<CVXRole> lines = Wrap<CVXRole>(line->roles.at(0));
    CLmPtr<CVXRole> orderRole = Wrap<CVXRole>(order->roles.at(0));
    struct Case {
        const char* role;
        CLmPtr<CVXRole> wrapper;
        const wchar_t* cardinality;
        const wchar_t* constraints;
        bool aggregate, navigable, isFriend;
        LONG visibility;
        short containment;
        const wchar_t* containmentName;
    };
    const Case cases[] = {
        {"lines", lines, L"1..n", L"ordered", true, true, false, 2, ContainmentByValue, L"By Value"},
        {"order", orderRole, L"1", L"", false, false, true, 0, ContainmentUnspecified, L"Unspecified"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.cardinality, Text(c.wrapper->GetCardinality())) << c.role;
        EXPECT_EQ(c.constraints, Text(c.wrapper->GetConstraints())) << c.role;
        EXPECT_EQ(c.aggregate, c.wrapper->IsAggregate()) << c.role;
        EXPECT_EQ(c.navigable, c.wrapper->IsNavigable()) << c.role;
        EXPECT_EQ(c.isFriend, c.wrapper->IsFriend()) << c.role;
        EXPECT_EQ(c.visibility, c.wrapper->GetVisibility()) << c.role;
        CLmPtr<CVXRichType> containment = c.wrapper->GetContainment();
        ASSERT_TRUE(containment) << c.role;
        EXPECT_EQ(c.containment, containment->GetValue()) << c.role;
        EXPECT_EQ(c.containmentName, Text(containment->GetName())) << c.role;
    }
}

} // namespace
} // namespace WrapperTest
