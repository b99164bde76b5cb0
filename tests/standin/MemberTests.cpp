// What each host member answers over the small model, grouped by interface.
#include "StandinTestSupport.h"

namespace StandinTest {
namespace {

using ItemTest = StandinFixture;
using ModelTest = StandinFixture;
using PackageTest = StandinFixture;
using ModuleTest = StandinFixture;
using ClassTest = StandinFixture;
using MemberTest = StandinFixture;
using RelationTest = StandinFixture;
using CollectionTest = StandinFixture;
using PropertyTest = StandinFixture;

// ------------------------------------------------------------------------- IRoseItem

TEST_F(ItemTest, EveryElementAnswersNameIdDocumentationAndModel)
{
    Element* elements[] = {sm.model.get(), sm.pkg,   sm.units,  sm.unitBase, sm.base,       sm.count,
                           sm.compute,     sm.paramA, sm.owns,  sm.items,    sm.inherit,    sm.uses,
                           sm.has,         sm.mainOnBase};
    for (Element* e : elements) {
        Auto obj = Of(e);
        EXPECT_EQ(e->name, obj.StrProp(L"Name")) << e->quid;
        EXPECT_EQ(e->quid, obj.StrCall(L"GetUniqueID")) << e->quid;
        EXPECT_EQ(e->documentation, obj.StrProp(L"Documentation")) << e->quid;
        EXPECT_EQ(L"Q-MODEL", obj.ObjProp(L"Model").StrCall(L"GetUniqueID")) << e->quid;
        // The same DISPIDs on every element, so one wrapper serves them all.
        EXPECT_EQ(Disp::Item::Name, obj.IdOf(L"Name"));
        EXPECT_EQ(Disp::Item::GetPropertyValue, obj.IdOf(L"GetPropertyValue"));
    }
}

TEST_F(ItemTest, NameCanBeChanged)
{
    Auto op = Of(sm.compute);
    EXPECT_EQ(S_OK, op.Set(L"Name", Var::Str(L"Evaluate")));
    EXPECT_EQ(L"Evaluate", sm.compute->name);
    EXPECT_EQ(L"Evaluate", op.StrProp(L"Name"));
}

TEST_F(ItemTest, PropertyValueIsTheOwnValueElseTheToolsDefaultElseEmpty)
{
    struct Case {
        Element* element;
        const wchar_t* tool;
        const wchar_t* name;
        const wchar_t* expected;
    } cases[] = {
        {sm.base, L"Delphi", L"GenerateCode", L"False"},   // own value
        {sm.derived, L"Delphi", L"GenerateCode", L"True"}, // default for classes
        {sm.base, L"Delphi", L"Kind", L"Class"},           // default, no own value
        {sm.derived, L"delphi", L"GenerateCode", L""},     // tool names are exact
        {sm.derived, L"Delphi", L"Missing", L""},          // neither
        {sm.count, L"Delphi", L"Kind", L""},               // no default set for attributes
        {sm.derived, L"C#", L"GenerateCode", L""},         // another tool
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Of(c.element).StrCall(L"GetPropertyValue", Args(Var::Str(c.tool), Var::Str(c.name))))
            << c.element->name << " " << c.name;
}

TEST_F(ItemTest, FindPropertyGivesNoObjectWhenThePropertyIsAbsent)
{
    Auto cls = Of(sm.derived);
    Outcome o = cls.Call(L"FindProperty", Args(Var::Str(L"Delphi"), Var::Str(L"Missing")));
    EXPECT_EQ(S_OK, o.hr);
    EXPECT_EQ(VT_DISPATCH, o.result.v.vt);
    EXPECT_EQ(nullptr, o.result.v.pdispVal);

    Auto prop = cls.ObjCall(L"FindProperty", Args(Var::Str(L"Delphi"), Var::Str(L"Kind")));
    ASSERT_TRUE(prop);
    EXPECT_TRUE(prop.Answers(IID_IRoseProperty));
    EXPECT_EQ(L"Kind", prop.StrProp(L"Name"));
    EXPECT_EQ(L"Delphi", prop.StrProp(L"ToolName"));
    EXPECT_EQ(L"Class", prop.StrProp(L"Value"));
    EXPECT_EQ(L"Enumeration", prop.StrProp(L"Type"));
}

// ------------------------------------------------------------------------ properties

TEST_F(PropertyTest, ToolPropertiesListTheDefaultsWithOwnValuesOverThem)
{
    Auto props = Of(sm.base).ObjCall(L"GetToolProperties", Args(Var::Str(L"Delphi")));
    ASSERT_EQ(2, props.Count());
    EXPECT_EQ(L"GenerateCode", props.At(1).StrProp(L"Name"));
    EXPECT_EQ(L"False", props.At(1).StrProp(L"Value"));
    EXPECT_EQ(L"Kind", props.At(2).StrProp(L"Name"));
    EXPECT_EQ(0, Of(sm.base).ObjCall(L"GetToolProperties", Args(Var::Str(L"C#"))).Count());
}

TEST_F(PropertyTest, SettingADefaultValueGivesTheElementItsOwn)
{
    Auto prop = Of(sm.derived).ObjCall(L"FindProperty", Args(Var::Str(L"Delphi"), Var::Str(L"Kind")));
    EXPECT_EQ(S_OK, prop.Set(L"Value", Var::Str(L"Record")));
    EXPECT_EQ(L"Record", prop.StrProp(L"Value"));
    EXPECT_EQ(L"Record", sm.model->GetPropertyValue(*sm.derived, L"Delphi", L"Kind"));
    EXPECT_EQ(L"Class", sm.model->GetPropertyValue(*sm.helper, L"Delphi", L"Kind")) << "the default is unchanged";
}

// --------------------------------------------------------------------------- model

TEST_F(ModelTest, SelectionIsAnsweredInTheOrderTheHostSetIt)
{
    host.SetSelection({sm.helper, sm.base}, {sm.unitMain});
    Auto model = App().ObjProp(L"CurrentModel");
    EXPECT_TRUE(model.Answers(IID_IRoseModel));
    EXPECT_EQ((std::vector<std::wstring>{L"Helper", L"Base"}), model.ObjCall(L"GetSelectedClasses").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"UnitMain"}), model.ObjCall(L"GetSelectedModules").Names());

    host.SetSelection({}, {});
    EXPECT_EQ(0, model.ObjCall(L"GetSelectedClasses").Count());
    EXPECT_EQ(0, model.ObjCall(L"GetSelectedModules").Count());
}

TEST_F(ModelTest, ModelLeadsBackToTheApplicationAndToThePackageTrees)
{
    Auto model = Of(sm.model.get());
    Auto app = model.ObjProp(L"Application");
    EXPECT_TRUE(app.Answers(IID_IRoseApplication));
    EXPECT_EQ(L"Small", app.ObjProp(L"CurrentModel").StrProp(L"Name"));
    EXPECT_EQ(L"Logical View", model.ObjProp(L"RootCategory").StrProp(L"Name"));
    EXPECT_EQ(L"Component View", model.ObjProp(L"RootSubsystem").StrProp(L"Name"));
}

// ------------------------------------------------------------------------- packages

TEST_F(PackageTest, CategoriesKnowTheirParentAndWhetherTheyAreTheRoot)
{
    Auto root = Of(sm.root);
    Auto pkg = Of(sm.pkg);
    EXPECT_EQ(VARIANT_TRUE, root.BoolOf(root.Call(L"IsRootPackage")));
    EXPECT_EQ(VARIANT_FALSE, pkg.BoolOf(pkg.Call(L"IsRootPackage")));
    EXPECT_FALSE(root.ObjProp(L"ParentCategory"));
    EXPECT_EQ(L"Logical View", pkg.ObjProp(L"ParentCategory").StrProp(L"Name"));
    EXPECT_EQ((std::vector<std::wstring>{L"Pkg"}), root.ObjProp(L"Categories").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"Base", L"Derived", L"Helper"}), pkg.ObjProp(L"Classes").Names());
}

TEST_F(PackageTest, SubsystemsKnowTheirParentAndWhetherTheyAreTheRoot)
{
    Auto top = Of(sm.components);
    Auto units = Of(sm.units);
    EXPECT_EQ(VARIANT_TRUE, top.BoolOf(top.Call(L"IsRootPackage")));
    EXPECT_EQ(VARIANT_FALSE, units.BoolOf(units.Call(L"IsRootPackage")));
    EXPECT_FALSE(top.ObjProp(L"ParentSubsystem"));
    EXPECT_EQ(L"Component View", units.ObjProp(L"ParentSubsystem").StrProp(L"Name"));
    EXPECT_EQ((std::vector<std::wstring>{L"UnitBase", L"UnitHelper", L"UnitMain"}), units.ObjProp(L"Modules").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"Units"}), top.ObjProp(L"Subsystems").Names());
}

// -------------------------------------------------------------------------- modules

TEST_F(ModuleTest, ModulesAnswerLanguageClassesAndPackage)
{
    Auto unit = Of(sm.unitBase);
    EXPECT_EQ(L"Delphi", unit.StrProp(L"AssignedLanguage"));
    EXPECT_EQ((std::vector<std::wstring>{L"Base", L"Derived"}), unit.ObjCall(L"GetAssignedClasses").Names());
    EXPECT_EQ(L"Units", unit.ObjProp(L"ParentSubsystem").StrProp(L"Name"));
    EXPECT_EQ(S_OK, unit.Set(L"AssignedLanguage", Var::Str(L"C#")));
    EXPECT_EQ(L"C#", sm.unitBase->language);
}

TEST_F(ModuleTest, DependenciesNameTheirEndsAsModulesPackagesOrNothing)
{
    Auto deps = Of(sm.unitMain).ObjCall(L"GetDependencies");
    ASSERT_EQ(2, deps.Count());

    Auto onModule = deps.At(1);
    EXPECT_TRUE(onModule.Answers(IID_IRoseModuleVisibilityRelationship));
    EXPECT_EQ(L"UnitMain", onModule.ObjProp(L"ContextModule").StrProp(L"Name"));
    EXPECT_EQ(L"UnitBase", onModule.ObjProp(L"SupplierModule").StrProp(L"Name"));
    EXPECT_EQ(L"Units", onModule.ObjProp(L"ContextSubsystem").StrProp(L"Name"));
    EXPECT_EQ(L"Units", onModule.ObjProp(L"SupplierSubsystem").StrProp(L"Name"));
    EXPECT_FALSE(onModule.ObjProp(L"ContextClass"));
    EXPECT_FALSE(onModule.ObjProp(L"SupplierClass"));
    EXPECT_EQ(L"UnitBase", onModule.ObjCall(L"GetSupplier").StrProp(L"Name"));
    EXPECT_EQ(L"UnitMain", onModule.ObjCall(L"GetContext").StrProp(L"Name"));

    // A component depending on a component package: no supplier module.
    Auto onPackage = deps.At(2);
    EXPECT_FALSE(onPackage.ObjProp(L"SupplierModule"));
    EXPECT_EQ(L"Units", onPackage.ObjProp(L"SupplierSubsystem").StrProp(L"Name"));
}

// -------------------------------------------------------------------------- classes

TEST_F(ClassTest, ClassesListTheirMembers)
{
    Auto cls = Of(sm.base);
    EXPECT_EQ((std::vector<std::wstring>{L"Count", L"Secret"}), cls.ObjProp(L"Attributes").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"Compute"}), cls.ObjProp(L"Operations").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"T"}), cls.ObjProp(L"Parameters").Names());
    EXPECT_EQ(L"Pkg", cls.ObjProp(L"ParentCategory").StrProp(L"Name"));
    EXPECT_EQ(L"The base class.", cls.StrProp(L"Documentation"));
}

TEST_F(ClassTest, AssignedLanguageIsThatOfTheFirstComponent)
{
    EXPECT_EQ(L"Delphi", Of(sm.base).StrCall(L"GetAssignedLanguage"));
    EXPECT_EQ(L"C#", Of(sm.helper).StrCall(L"GetAssignedLanguage"));
    sm.helper->assignedModules.clear();
    EXPECT_EQ(L"", Of(sm.helper).StrCall(L"GetAssignedLanguage"));
    EXPECT_EQ((std::vector<std::wstring>{L"UnitBase"}), Of(sm.derived).ObjCall(L"GetAssignedModules").Names());
}

TEST_F(ClassTest, ClassesListTheirRelations)
{
    Auto derived = Of(sm.derived);
    Auto inherits = derived.ObjCall(L"GetInheritRelations");
    ASSERT_EQ(1, inherits.Count());
    EXPECT_TRUE(inherits.At(1).Answers(IID_IRoseInheritRelation));
    EXPECT_EQ(L"Base", inherits.At(1).ObjCall(L"GetSupplierClass").StrProp(L"Name"));
    EXPECT_EQ(L"Derived", inherits.At(1).ObjCall(L"GetContextClass").StrProp(L"Name"));

    Auto deps = derived.ObjCall(L"GetClassDependencies");
    ASSERT_EQ(1, deps.Count());
    EXPECT_TRUE(deps.At(1).Answers(IID_IRoseClassDependency));
    EXPECT_EQ(L"Helper", deps.At(1).ObjCall(L"GetSupplierClass").StrProp(L"Name"));

    Auto has = derived.ObjCall(L"GetHasRelations");
    ASSERT_EQ(1, has.Count());
    EXPECT_TRUE(has.At(1).Answers(IID_IRoseHasRelationship));
    EXPECT_EQ(L"Helper", has.At(1).ObjCall(L"GetSupplier").StrProp(L"Name"));

    EXPECT_EQ(0, Of(sm.base).ObjCall(L"GetInheritRelations").Count());
    EXPECT_EQ(0, Of(sm.base).ObjCall(L"GetClassDependencies").Count());
}

TEST_F(ClassTest, RolesAreThisClassesEndsAndAssociateRolesTheFarEnds)
{
    EXPECT_EQ((std::vector<std::wstring>{L"owner"}), Of(sm.derived).ObjCall(L"GetRoles").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"items"}), Of(sm.derived).ObjCall(L"GetAssociateRoles").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"owner"}), Of(sm.helper).ObjCall(L"GetAssociateRoles").Names());
    EXPECT_EQ((std::vector<std::wstring>{L"Owns"}), Of(sm.helper).ObjCall(L"GetAssociations").Names());
    EXPECT_EQ(0, Of(sm.base).ObjCall(L"GetRoles").Count());
}

// ------------------------------------------------- attributes, operations, parameters

TEST_F(MemberTest, ExportControlIsARichTypeWhoseValueIsTheHostsNumber)
{
    struct Case {
        Element* element;
        SHORT value;
        const wchar_t* name;
    } cases[] = {
        {sm.count, 0, L"PublicAccess"},
        {sm.secret, 2, L"PrivateAccess"},
        {sm.compute, 1, L"ProtectedAccess"},
        {sm.items, 1, L"ProtectedAccess"},
        {sm.owner, 0, L"PublicAccess"},
    };
    for (const Case& c : cases) {
        Auto rich = Of(c.element).ObjProp(L"ExportControl");
        EXPECT_TRUE(rich.Answers(IID_IRoseRichType));
        EXPECT_EQ(c.value, rich.I2Prop(L"Value")) << c.element->name;
        EXPECT_EQ(c.name, rich.StrProp(L"Name")) << c.element->name;
    }
    sm.count->exportControl = 4;
    EXPECT_EQ(4, Of(sm.count).ObjProp(L"ExportControl").I2Prop(L"Value"));
}

TEST_F(MemberTest, AttributesAnswerTypeInitialValueAndClass)
{
    Auto attr = Of(sm.count);
    EXPECT_EQ(L"Integer", attr.StrProp(L"Type"));
    EXPECT_EQ(L"0", attr.StrProp(L"InitValue"));
    EXPECT_EQ(L"Base", attr.ObjProp(L"ParentClass").StrProp(L"Name"));
    EXPECT_EQ(S_OK, attr.Set(L"Type", Var::Str(L"Int64")));
    EXPECT_EQ(L"Int64", sm.count->type);
}

TEST_F(MemberTest, OperationsAnswerReturnTypeParametersAndClass)
{
    Auto op = Of(sm.compute);
    EXPECT_EQ(L"Integer", op.StrProp(L"ReturnType"));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), op.ObjProp(L"Parameters").Names());
    EXPECT_EQ(L"Base", op.ObjProp(L"ParentClass").StrProp(L"Name"));
    EXPECT_EQ(S_OK, op.Set(L"ReturnType", Var::Str(L"")));
    EXPECT_EQ(L"", sm.compute->returnType);
}

TEST_F(MemberTest, ParametersAnswerTypeAndInitialValue)
{
    Auto param = Of(sm.compute).ObjProp(L"Parameters").At(2);
    EXPECT_EQ(L"String", param.StrProp(L"Type"));
    EXPECT_EQ(L"''", param.StrProp(L"InitValue"));
    EXPECT_EQ(S_OK, param.Set(L"InitValue", Var::Str(L"'x'")));
    EXPECT_EQ(S_OK, param.Set(L"Type", Var::Str(L"Char")));
    EXPECT_EQ(L"'x'", sm.paramB->initValue);
    EXPECT_EQ(L"Char", sm.paramB->type);
}

// --------------------------------------------------------- roles and associations

TEST_F(RelationTest, RolesAnswerTheirEndOfTheAssociation)
{
    Auto items = Of(sm.items);
    EXPECT_EQ(VARIANT_TRUE, items.BoolOf(items.Prop(L"Aggregate")));
    EXPECT_EQ(VARIANT_TRUE, items.BoolOf(items.Prop(L"Navigable")));
    EXPECT_EQ(VARIANT_FALSE, items.BoolOf(items.Prop(L"Friend")));
    EXPECT_EQ(L"0..n", items.StrProp(L"Cardinality"));
    EXPECT_EQ(L"ordered", items.StrProp(L"Constraints"));
    EXPECT_EQ(L"Helper", items.ObjProp(L"Class").StrProp(L"Name"));
    EXPECT_EQ(L"Owns", items.ObjProp(L"Association").StrProp(L"Name"));
    Auto containment = items.ObjProp(L"Containment");
    EXPECT_EQ(ContainmentByReference, containment.I2Prop(L"Value"));
    EXPECT_EQ(L"By Reference", containment.StrProp(L"Name"));
    // The supplier is the class at this end, the context the class at the other.
    EXPECT_EQ(L"Helper", items.ObjCall(L"GetSupplier").StrProp(L"Name"));
    EXPECT_EQ(L"Derived", items.ObjCall(L"GetContext").StrProp(L"Name"));

    Auto owner = Of(sm.owner);
    EXPECT_EQ(VARIANT_TRUE, owner.BoolOf(owner.Prop(L"Friend")));
    EXPECT_EQ(VARIANT_FALSE, owner.BoolOf(owner.Prop(L"Navigable")));
}

TEST_F(RelationTest, AssociationsAnswerBothRoles)
{
    Auto assoc = Of(sm.owns);
    EXPECT_EQ(L"items", assoc.ObjProp(L"Role1").StrProp(L"Name"));
    EXPECT_EQ(L"owner", assoc.ObjProp(L"Role2").StrProp(L"Name"));
    EXPECT_EQ((std::vector<std::wstring>{L"items", L"owner"}), assoc.ObjProp(L"Roles").Names());
    sm.owns->role2 = nullptr;
    EXPECT_FALSE(assoc.ObjProp(L"Role2"));
}

TEST_F(RelationTest, ARelationWhoseSupplierIsNotAClassHasNoSupplierClass)
{
    sm.uses->supplier = sm.unitHelper;
    Auto rel = Of(sm.uses);
    EXPECT_FALSE(rel.ObjCall(L"GetSupplierClass"));
    Auto supplier = rel.ObjCall(L"GetSupplier");
    ASSERT_TRUE(supplier);
    EXPECT_FALSE(supplier.Answers(IID_IRoseClass));
    EXPECT_TRUE(supplier.Answers(IID_IRoseModule));
    sm.uses->supplier = nullptr;
    EXPECT_FALSE(rel.ObjCall(L"GetSupplier"));
}

// ----------------------------------------------------------------------- collections

TEST_F(CollectionTest, CollectionsCountFromOne)
{
    Auto attrs = Of(sm.base).ObjProp(L"Attributes");
    EXPECT_EQ(2, attrs.Count());
    EXPECT_EQ(L"Count", attrs.At(1).StrProp(L"Name"));
    EXPECT_EQ(L"Secret", attrs.At(2).StrProp(L"Name"));
    for (SHORT bad : {SHORT(0), SHORT(3), SHORT(-1)})
        EXPECT_EQ(DISP_E_BADINDEX, attrs.Call(L"GetAt", Args(Var::I2(bad))).hr) << bad;

    Auto empty = Of(sm.helper).ObjProp(L"Attributes");
    EXPECT_EQ(0, empty.Count());
    EXPECT_EQ(DISP_E_BADINDEX, empty.Call(L"GetAt", Args(Var::I2(1))).hr);
}

TEST_F(CollectionTest, ElementsComeBackWithTheirOwnInterface)
{
    struct Case {
        Auto list;
        const GUID* collection;
        const GUID* element;
    };
    Auto cls = Of(sm.base);
    Case cases[] = {
        {cls.ObjProp(L"Attributes"), &IID_IRoseAttributeCollection, &IID_IRoseAttribute},
        {cls.ObjProp(L"Operations"), &IID_IRoseOperationCollection, &IID_IRoseOperation},
        {cls.ObjProp(L"Parameters"), &IID_IRoseParameterCollection, &IID_IRoseParameter},
        {cls.ObjCall(L"GetAssignedModules"), &IID_IRoseModuleCollection, &IID_IRoseModule},
        {Of(sm.derived).ObjCall(L"GetRoles"), &IID_IRoseRoleCollection, &IID_IRoseRole},
        {Of(sm.unitBase).ObjCall(L"GetAssignedClasses"), &IID_IRoseClassCollection, &IID_IRoseClass},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.list.Answers(*c.collection));
        ASSERT_GE(c.list.Count(), 1);
        EXPECT_TRUE(c.list.At(1).Answers(*c.element));
    }
}

} // namespace
} // namespace StandinTest
