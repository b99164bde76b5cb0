// The model and its containers: selection, components and their dependencies, packages,
// and the host's log.
#include "WrapperTestSupport.h"

#include "VXApplication.h"
#include "VXCategory.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXModel.h"
#include "VXModule.h"
#include "VXModuleCollection.h"
#include "VXModuleVisibilityRelationship.h"
#include "VXModuleVisibilityRelationshipCollection.h"
#include "VXSubsystem.h"

namespace WrapperTest {
namespace {

// Logical View / Shapes: Circle, Square, Point. Component View / Units: Figures
// (Delphi; Circle, Square) depends on Geometry (C#; Point) and on the package Lib.
class ModelTest : public HostTest {
protected:
    void SetUp() override
    {
        shapes = build.AddCategory(build.root, L"Shapes");
        circle = build.AddClass(L"Circle", shapes);
        square = build.AddClass(L"Square", shapes);
        point = build.AddClass(L"Point", shapes);
        units = build.AddSubsystem(build.components, L"Units");
        lib = build.AddSubsystem(build.components, L"Lib");
        figures = build.AddComponent(units, L"Figures", L"Delphi", {circle, square});
        geometry = build.AddComponent(units, L"Geometry", L"C#", {point});
        build.ModuleDepends(figures, geometry);
        build.ModuleDepends(figures, lib);
    }

    CLmPtr<CVXModel> CurrentModel()
    {
        CVXDispatchRef application(Host().CreateApplication());
        CLmPtr<CVXApplication> wrapper = CVXApplication::Create(CVXParentPtr(), application.Get());
        return wrapper->GetCurrentModel();
    }

    Category* shapes = nullptr;
    Class* circle = nullptr;
    Class* square = nullptr;
    Class* point = nullptr;
    Subsystem* units = nullptr;
    Subsystem* lib = nullptr;
    Module* figures = nullptr;
    Module* geometry = nullptr;
};

TEST_F(ModelTest, SelectionAsTheHostSetIt)
{
    Host().SetSelection({square, point, circle}, {geometry});
    CLmPtr<CVXModel> model = CurrentModel();
    ASSERT_TRUE(model);
    EXPECT_EQ(L"Q-MODEL", Text(model->GetUniqueID()));

    CLmPtr<CVXClassCollection> classes = model->GetSelectedClasses();
    ASSERT_EQ(3, classes->GetCount());
    const wchar_t* expected[] = {L"Square", L"Point", L"Circle"};
    for (LONG i = 0; i < classes->GetCount(); ++i) {
        CLmPtr<CVXClass> cls = classes->GetAt(i);
        ASSERT_TRUE(cls);
        EXPECT_EQ(expected[i], Text(cls->GetName()));
    }
    CLmPtr<CVXModuleCollection> modules = model->GetSelectedModules();
    ASSERT_EQ(1, modules->GetCount());
    CLmPtr<CVXModule> module = modules->GetAt(0);
    EXPECT_EQ(L"Geometry", Text(module->GetName()));
    EXPECT_EQ(L"C#", Text(module->GetAssignedLanguage()));

    Host().SetSelection({}, {});
    EXPECT_EQ(0, model->GetSelectedClasses()->GetCount());
    EXPECT_EQ(0, model->GetSelectedModules()->GetCount());
}

TEST_F(ModelTest, ComponentClassesPackageAndLanguage)
{
    CLmPtr<CVXModule> module = Wrap<CVXModule>(figures);
    CLmPtr<CVXClassCollection> classes = module->GetAssignedClasses();
    ASSERT_EQ(2, classes->GetCount());
    EXPECT_EQ(L"Circle", Text(classes->GetAt(0)->GetName()));
    EXPECT_EQ(L"Square", Text(classes->GetAt(1)->GetName()));

    CLmPtr<CVXSubsystem> parent = module->GetParentSubsystem();
    ASSERT_TRUE(parent);
    EXPECT_EQ(L"Units", Text(parent->GetName()));
    EXPECT_FALSE(parent->IsRootPackage());
    CLmPtr<CVXSubsystem> top = parent->GetParentSubsystem();
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->IsRootPackage());
    EXPECT_FALSE(top->GetParentSubsystem());  // nothing above the root

    EXPECT_EQ(L"Delphi", Text(module->GetAssignedLanguage()));
    module->SetAssignedLanguage(L"C#");
    EXPECT_EQ(L"C#", figures->language);
}

// A dependency on a component gives both the component and its package; one on a
// package gives no component.
TEST_F(ModelTest, ComponentDependencies)
{
    CLmPtr<CVXModuleVisibilityRelationshipCollection> dependencies = Wrap<CVXModule>(figures)->GetDependencies();
    ASSERT_EQ(2, dependencies->GetCount());

    CLmPtr<CVXModuleVisibilityRelationship> onModule = dependencies->GetAt(0);
    ASSERT_TRUE(onModule);
    EXPECT_EQ(L"Figures", Text(onModule->GetContextModule()->GetName()));
    EXPECT_EQ(L"Units", Text(onModule->GetContextSubsystem()->GetName()));
    CLmPtr<CVXModule> supplier = onModule->GetSupplierModule();
    ASSERT_TRUE(supplier);
    EXPECT_EQ(L"Geometry", Text(supplier->GetName()));
    EXPECT_EQ(L"Units", Text(onModule->GetSupplierSubsystem()->GetName()));

    CLmPtr<CVXModuleVisibilityRelationship> onPackage = dependencies->GetAt(1);
    ASSERT_TRUE(onPackage);
    EXPECT_FALSE(onPackage->GetSupplierModule());
    CLmPtr<CVXSubsystem> package = onPackage->GetSupplierSubsystem();
    ASSERT_TRUE(package);
    EXPECT_EQ(L"Lib", Text(package->GetName()));

    // The relation's supplier is wrapped as a class whatever it is: item members work,
    // class members fail because the host object does not answer the class interface.
    CLmPtr<CVXClass> asClass = onPackage->GetSupplier();
    ASSERT_TRUE(asClass);
    EXPECT_EQ(L"Lib", Text(asClass->GetName()));
    EXPECT_EQ(E_POINTER, Raised([&] { asClass->GetAssignedLanguage(); }).m_Code);
}

} // namespace
} // namespace WrapperTest
