// Collections: counts and 0-based access over the host's 1-based collections, for every
// kind of collection that the generators walk.
#include "WrapperTestSupport.h"

#include "VXAttributeCollection.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXClassDependency.h"
#include "VXClassDependencyCollection.h"
#include "VXHasRelationship.h"
#include "VXHasRelationshipCollection.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModel.h"
#include "VXModule.h"
#include "VXModuleCollection.h"
#include "VXModuleVisibilityRelationship.h"
#include "VXModuleVisibilityRelationshipCollection.h"
#include "VXOperation.h"
#include "VXOperationCollection.h"
#include "VXParameterCollection.h"
#include "VXRoleCollection.h"

#include <functional>

namespace WrapperTest {
namespace {

// Unit: Shape, Circle (inherits Shape, uses Point, has Point, radius, area(precision)),
// Point; association Centre between Circle ("centre") and Point ("circle"). Empty: Point's
// own operations. Components Shapes (Shape, Circle) depends on Points (Point).
class CollectionTest : public HostTest {
protected:
    void SetUp() override
    {
        shape = build.AddClass(L"Shape");
        circle = build.AddClass(L"Circle");
        point = build.AddClass(L"Point");
        build.Inherit(circle, shape);
        build.Depend(circle, point);
        build.Has(circle, point);
        build.AddAttribute(circle, L"radius");
        build.AddAttribute(circle, L"colour");
        Operation* area = build.AddOperation(circle, L"area");
        build.AddParameter(area, L"precision", L"Integer");
        build.AddParameter(area, L"rounding", L"Boolean");
        build.AddOperation(circle, L"draw");
        build.AddOperation(circle, L"move");
        build.Associate(L"Centre", circle, L"centre", point, L"circle");
        Subsystem* units = build.AddSubsystem(build.components, L"Units");
        shapes = build.AddComponent(units, L"Shapes", L"Delphi", {shape, circle});
        points = build.AddComponent(units, L"Points", L"C#", {point});
        build.ModuleDepends(shapes, points);
        build.model->selectedClasses = {point, circle};
        build.model->selectedModules = {points};
    }

    // The names of a collection's elements, walked as the generators walk it.
    static std::vector<std::wstring> Names(const CLmPtr<CVXItemCollection>& collection)
    {
        std::vector<std::wstring> names;
        for (LONG i = 0; i < collection->GetCount(); ++i)
            names.push_back(Text(collection->GetAt(i)->GetName()));
        return names;
    }

    Class* shape = nullptr;
    Class* circle = nullptr;
    Class* point = nullptr;
    Module* shapes = nullptr;
    Module* points = nullptr;
};

TEST_F(CollectionTest, EveryKindCountsFromZeroInTheHostsOrder)
{
    CLmPtr<CVXClass> circleWrapper = Wrap<CVXClass>(circle);
    CLmPtr<CVXClass> pointWrapper = Wrap<CVXClass>(point);
    CLmPtr<CVXModule> shapesWrapper = Wrap<CVXModule>(shapes);
    CLmPtr<CVXModel> model = circleWrapper->GetModel();
    struct Case {
        const char* collection;
        std::function<CLmPtr<CVXItemCollection>()> get;
        std::vector<std::wstring> names;
    };
    const std::vector<Case> cases = {
        {"attributes", [&] { return circleWrapper->GetAttributes(); }, {L"radius", L"colour"}},
        {"operations", [&] { return circleWrapper->GetOperations(); }, {L"area", L"draw", L"move"}},
        {"operations (empty)", [&] { return pointWrapper->GetOperations(); }, {}},
        {"operation parameters",
         [&] {
             CLmPtr<CVXOperation> area = circleWrapper->GetOperations()->GetAt(0);
             return area->GetParameters();
         },
         {L"precision", L"rounding"}},
        {"formal parameters", [&] { return circleWrapper->GetParameters(); }, {}},
        {"inherit relations", [&] { return circleWrapper->GetInheritRelations(); }, {L""}},
        {"class dependencies", [&] { return circleWrapper->GetClassDependencies(); }, {L""}},
        {"has relations", [&] { return circleWrapper->GetHasRelations(); }, {L""}},
        {"roles", [&] { return circleWrapper->GetRoles(); }, {L"centre"}},
        {"associate roles", [&] { return circleWrapper->GetAssociateRoles(); }, {L"circle"}},
        {"assigned modules", [&] { return circleWrapper->GetAssignedModules(); }, {L"Shapes"}},
        {"assigned classes", [&] { return shapesWrapper->GetAssignedClasses(); }, {L"Shape", L"Circle"}},
        {"module dependencies", [&] { return shapesWrapper->GetDependencies(); }, {L""}},
        {"selected classes", [&] { return model->GetSelectedClasses(); }, {L"Point", L"Circle"}},
        {"selected modules", [&] { return model->GetSelectedModules(); }, {L"Points"}},
    };
    for (const Case& c : cases) {
        CLmPtr<CVXItemCollection> collection = c.get();
        ASSERT_TRUE(collection) << c.collection;
        EXPECT_EQ(static_cast<LONG>(c.names.size()), collection->GetCount()) << c.collection;
        EXPECT_EQ(c.names, Names(collection)) << c.collection;
    }
}

TEST_F(CollectionTest, ElementsAreTypedWrappersOfTheRightHostObjects)
{
    CLmPtr<CVXClass> circleWrapper = Wrap<CVXClass>(circle);
    CLmPtr<CVXInheritRelation> inherit = circleWrapper->GetInheritRelations()->GetAt(0);
    ASSERT_TRUE(inherit);
    EXPECT_EQ(L"Shape", Text(inherit->GetSupplierClass()->GetName()));
    CLmPtr<CVXClassDependency> uses = circleWrapper->GetClassDependencies()->GetAt(0);
    ASSERT_TRUE(uses);
    EXPECT_EQ(L"Point", Text(uses->GetSupplierClass()->GetName()));
    CLmPtr<CVXHasRelationship> has = circleWrapper->GetHasRelations()->GetAt(0);
    ASSERT_TRUE(has);
    EXPECT_EQ(L"Point", Text(has->GetSupplierClass()->GetName()));
    EXPECT_EQ(L"Circle", Text(has->GetContextClass()->GetName()));
    CLmPtr<CVXModuleVisibilityRelationship> dependency = Wrap<CVXModule>(shapes)->GetDependencies()->GetAt(0);
    ASSERT_TRUE(dependency);
    EXPECT_EQ(L"Points", Text(dependency->GetSupplierModule()->GetName()));

    // Two accesses to one index give two independent wrappers of the same element.
    CLmPtr<CVXItemCollection> attributes = circleWrapper->GetAttributes();
    CLmPtr<CVXItem> first = attributes->GetAt(1);
    CLmPtr<CVXItem> second = attributes->GetAt(1);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(Text(first->GetUniqueID()), Text(second->GetUniqueID()));
    EXPECT_EQ(L"Q-Circle-colour", Text(second->GetUniqueID()));
}

// GetAt(i) asks the host for element i + 1: the last index is count - 1, and the
// first index past either end raises the host's error.
TEST_F(CollectionTest, IndexOutsideTheHostsRangeRaisesTheHostsError)
{
    CLmPtr<CVXItemCollection> operations = Wrap<CVXClass>(circle)->GetOperations();
    ASSERT_EQ(3, operations->GetCount());
    EXPECT_EQ(L"move", Text(operations->GetAt(2)->GetName()));
    for (LONG index : {LONG(3), LONG(100), LONG(-1)}) {
        CLmException error = Raised([&] { operations->GetAt(index); });
        EXPECT_EQ(DISP_E_BADINDEX, error.m_Code) << index;
        EXPECT_NE(std::wstring::npos, Text(error.GetMessage()).find(L"Index out of range")) << index;
    }
    CLmPtr<CVXItemCollection> empty = Wrap<CVXClass>(point)->GetOperations();
    EXPECT_EQ(0, empty->GetCount());
    EXPECT_EQ(DISP_E_BADINDEX, Raised([&] { empty->GetAt(0); }).m_Code);
}

} // namespace
} // namespace WrapperTest
