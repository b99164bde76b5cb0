// Loading real Rose files: what the loader finds must match what the files hold, counted
// here straight from the text. The repository's example model always runs; the samples
// beside the project run where they are present (SampleModels.h).
#include "TestSupport.h"


using namespace RoseHost;
using namespace PetalTest;

namespace {

struct Sample {
    const char* name;
    std::vector<std::string> files; // the model first, then its unit files
    unsigned codePage;
    bool emf;
    bool own = false; // held by the repository, relative to its root
};

std::string PathOf(const Sample& s, size_t i) { return PathOf(ModelFile{s.files[i].c_str(), s.own}); }

std::ostream& operator<<(std::ostream& os, const Sample& s) { return os << s.name; }

const Sample kSamples[] = {
    {"example", {"examples/Example.mdl"}, 1252, false, true},
    {"atm", {"atm.mdl"}, 1252, false},
    {"zelva", {"zelva-design.mdl"}, 1252, false},
    {"library_gbk", {"library-gbk.mdl"}, 936, false},
    {"umldemo", {"umldemo.mdl"}, 936, false},
    {"emf",
     {"emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl",
      "emf/plugins/org.eclipse.emf.ecore/model/org.eclipse.emf.Ecore.cat"},
     1252,
     true},
};

struct Counts {
    size_t categories = 0, classes = 0, attributes = 0, operations = 0, parameters = 0, associations = 0,
           roles = 0, modules = 0, subsystems = 0, superclasses = 0, dependencies = 0, moduleDependencies = 0;
};

// From the text: one object per line that starts it. A unit file's own category
// replaces its stub in the model, so the stub is not counted twice.
Counts CountText(const Sample& s)
{
    Counts c;
    for (size_t i = 0; i < s.files.size(); ++i) {
        const std::string t = ReadText(PathOf(s, i));
        // The root packages follow their field name on the same line.
        c.categories += CountLines(t, "(object Class_Category ") + CountLines(t, "root_category \t(object Class_Category ") +
                        CountLines(t, "root_usecase_package \t(object Class_Category ");
        c.classes += CountLines(t, "(object Class \"") + CountLines(t, "(object Instantiated_Class \"") +
                     CountLines(t, "(object Parameterized_Class \"") + CountLines(t, "(object Class_Utility \"");
        c.attributes += CountLines(t, "(object ClassAttribute ");
        c.operations += CountLines(t, "(object Operation ");
        c.parameters += CountLines(t, "(object Parameter ");
        c.associations += CountLines(t, "(object Association ");
        c.roles += CountLines(t, "(object Role ");
        c.modules += CountLines(t, "(object module ");
        c.subsystems += CountLines(t, "(object SubSystem ") + CountLines(t, "root_subsystem \t(object SubSystem ");
        c.superclasses += CountLines(t, "(object Inheritance_Relationship");
        c.dependencies += CountLines(t, "(object Uses_Relationship");
        c.moduleDependencies += CountLines(t, "(object Dependency_Relationship") +
                                CountLines(t, "(object Module_Visibility_Relationship");
    }
    if (s.files.size() > 1)
        c.categories -= s.files.size() - 1;
    return c;
}

Counts CountModel(const Model& m)
{
    Counts c;
    c.categories = m.allCategories.size();
    c.classes = m.allClasses.size();
    for (const Class* k : m.allClasses) {
        c.attributes += k->attributes.size();
        c.operations += k->operations.size();
        c.parameters += k->parameters.size();
        for (const Operation* o : k->operations)
            c.parameters += o->parameters.size();
        c.superclasses += k->superclasses.size();
        c.dependencies += k->dependencies.size();
    }
    c.associations = m.allAssociations.size();
    for (const Association* a : m.allAssociations)
        c.roles += (a->role1 ? 1 : 0) + (a->role2 ? 1 : 0);
    c.modules = m.allModules.size();
    c.subsystems = m.allSubsystems.size();
    for (const Module* mod : m.allModules)
        c.moduleDependencies += mod->dependencies.size();
    return c;
}

LoadOptions OptionsFor(const Sample& s)
{
    LoadOptions o = s.emf ? EmfOptions() : LoadOptions{};
    o.codePage = s.codePage;
    return o;
}

class SampleModels : public ::testing::TestWithParam<Sample> {
protected:
    void SetUp() override
    {
        if (!GetParam().own)
            VEXLO_REQUIRE_SAMPLE_MODELS();
    }
};

TEST_P(SampleModels, CountsMatchTheFile)
{
    const Sample& s = GetParam();
    const Counts want = CountText(s);
    ASSERT_GT(want.classes, 0u) << "no classes counted in " << s.name;
    const auto model = LoadRoseModel(Widen(PathOf(s, 0)), OptionsFor(s));
    const Counts got = CountModel(*model);
    EXPECT_EQ(got.categories, want.categories);
    EXPECT_EQ(got.classes, want.classes);
    EXPECT_EQ(got.attributes, want.attributes);
    EXPECT_EQ(got.operations, want.operations);
    EXPECT_EQ(got.parameters, want.parameters);
    EXPECT_EQ(got.associations, want.associations);
    EXPECT_EQ(got.roles, want.roles);
    EXPECT_EQ(got.modules, want.modules);
    EXPECT_EQ(got.subsystems, want.subsystems);
    EXPECT_EQ(got.superclasses, want.superclasses);
    EXPECT_EQ(got.dependencies, want.dependencies);
    EXPECT_EQ(got.moduleDependencies, want.moduleDependencies);
}

TEST_P(SampleModels, StructureIsConsistent)
{
    const Sample& s = GetParam();
    const auto model = LoadRoseModel(Widen(PathOf(s, 0)), OptionsFor(s));
    ASSERT_NE(model->rootCategory, nullptr);
    EXPECT_TRUE(model->rootCategory->isRoot);
    EXPECT_EQ(model->rootCategory->name, L"Logical View");
    EXPECT_EQ(model->rootCategory->parent, nullptr);
    ASSERT_NE(model->rootSubsystem, nullptr);
    EXPECT_EQ(model->rootSubsystem->name, L"Component View");
    EXPECT_TRUE(model->rootSubsystem->isRoot);

    for (const Class* c : model->allClasses) {
        ASSERT_NE(c->parentCategory, nullptr) << "class without a package";
        EXPECT_FALSE(c->quid.empty());
        EXPECT_EQ(model->FindByQuid(c->quid), c);
        for (const Operation* o : c->operations) {
            EXPECT_EQ(o->parentClass, c);
            for (size_t i = 0; i < o->parameters.size(); ++i) {
                const Parameter* p = o->parameters[i];
                EXPECT_EQ(p->quid, o->quid + L"-P" + std::to_wstring(i + 1));
                EXPECT_EQ(model->FindByQuid(p->quid), p);
            }
        }
        for (const Attribute* a : c->attributes)
            EXPECT_EQ(a->owner, c);
        for (const Role* r : c->roles)
            EXPECT_EQ(r->cls, c);
        for (const Module* m : c->assignedModules) {
            const auto& back = m->assignedClasses;
            EXPECT_NE(std::find(back.begin(), back.end(), c), back.end());
        }
    }
    // Every role's supplier that is a class in the file is found by its quidu.
    for (const Association* a : model->allAssociations) {
        for (const Role* r : {a->role1, a->role2}) {
            if (!r)
                continue;
            EXPECT_EQ(r->association, a);
            const Element* target = model->FindByQuid(r->supplierQuid);
            if (target && target->kind == ElementKind::Class) {
                EXPECT_EQ(r->cls, target);
            }
        }
        if (a->role1 && a->role2) {
            EXPECT_EQ(a->role1->OtherRole(), a->role2);
        }
    }
    for (const Subsystem* sub : model->allSubsystems)
        for (const Module* m : sub->modules)
            EXPECT_EQ(m->parentSubsystem, sub);
}

INSTANTIATE_TEST_SUITE_P(All, SampleModels, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& i) { return std::string(i.param.name); });

// Concrete elements read back from the files.
template <class T>
const T& Get(const Model& m, const wchar_t* quid, ElementKind kind)
{
    const Element* e = m.FindByQuid(quid);
    if (!e || e->kind != kind)
        throw std::runtime_error("element not found");
    return static_cast<const T&>(*e);
}

TEST(SampleElements, GbkNamesDecodeWithCodePage936)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    LoadOptions o;
    o.codePage = 936;
    const auto m = LoadRoseModel(WSamplePath("library-gbk.mdl"), o);
    const Class& reader = Get<Class>(*m, L"423FC0E20399", ElementKind::Class);
    EXPECT_EQ(reader.name, L"\u8bfb\u8005"); // 读者
    EXPECT_EQ(reader.stereotype, L"Actor");
    EXPECT_EQ(reader.parentCategory, m->useCaseCategory);
    const Class& book = Get<Class>(*m, L"423FC23C0280", ElementKind::Class);
    EXPECT_EQ(book.name, L"Book");
    ASSERT_EQ(book.attributes.size(), 3u);
    EXPECT_EQ(book.attributes[0]->type, L"string");
    EXPECT_EQ(book.attributes[0]->exportControl, PrivateAccess); // not written: Rose's default
    bool found = false;
    for (const Module* mod : m->allModules)
        found = found || mod->name == L"\u501f\u9605"; // 借阅
    EXPECT_TRUE(found);
}

TEST(SampleElements, EmfUnitThroughThePathMap)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    const auto m = LoadRoseModel(WSamplePath("emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl"), EmfOptions());
    ASSERT_EQ(m->rootCategory->categories.size(), 1u);
    const Category& ecore = *m->rootCategory->categories[0];
    EXPECT_EQ(ecore.name, L"ecore");
    EXPECT_EQ(ecore.quid, L"39A5ED04004E");
    EXPECT_EQ(ecore.parent, m->rootCategory);
    EXPECT_EQ(ecore.fileName, L"$VABASE_PLUGINS_PATH\\org.eclipse.emf.ecore\\model\\org.eclipse.emf.Ecore.cat");
    EXPECT_EQ(ecore.FindOwnProperty(L"Ecore", L"nsURI")->value, L"http://www.eclipse.org/emf/2002/Ecore");
    EXPECT_EQ(ecore.FindOwnProperty(L"IDL", L"uuid")->type, L"Text");
    const Class* eclass = m->FindClass(L"EClass");
    ASSERT_NE(eclass, nullptr);
    EXPECT_EQ(eclass->parentCategory, &ecore);
    EXPECT_EQ(m->FindClass(L"Logical View::ecore::EClass"), eclass);
    EXPECT_FALSE(eclass->superclasses.empty());
    for (const Relation* r : eclass->superclasses)
        EXPECT_NE(r->supplier, nullptr);
}

} // namespace
