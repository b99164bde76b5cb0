// Every member of every interface in the host's definition, called on a live object of
// that interface, answers with the type the definition declares; the generated header
// follows the shared DISPID rules; the objects outlive their host.
#include "StandinTestSupport.h"

#include <cwchar>
#include <set>

namespace StandinTest {
namespace {

struct Sample {
    std::string what;
    Auto object;
    const Meta::Interface* iface;
};

class CoverageTest : public StandinFixture {
protected:
    std::vector<Sample> Samples()
    {
        std::vector<Sample> s;
        host.SetLogSink([](const std::wstring&) {});
        auto add = [&s](const char* what, Auto object, const Meta::Interface& iface) {
            s.push_back({what, std::move(object), &iface});
        };
        Auto app = App();
        Auto manager = app.ObjProp(L"AddInManager");
        Auto addIns = manager.ObjProp(L"AddIns");
        Auto addIn = addIns.At(1);
        add("menu item", addIn.ObjCall(L"AddContextMenuItem", Args(Var::I2(4), Var::Str(L"Go"), Var::Str(L"GO"))),
            Meta::IRoseContextMenuItem);
        add("menu items", addIn.ObjCall(L"GetContextMenuItems", Args(Var::I2(4))), Meta::IRoseContextMenuItemCollection);
        add("add-in", std::move(addIn), Meta::IRoseAddIn);
        add("add-ins", std::move(addIns), Meta::IRoseAddInCollection);
        add("add-in manager", std::move(manager), Meta::IRoseAddInManager);
        add("application", std::move(app), Meta::IRoseApplication);

        Auto cls = Of(sm.derived);
        add("model", Of(sm.model.get()), Meta::IRoseModel);
        add("category", Of(sm.pkg), Meta::IRoseCategory);
        add("categories", Of(sm.root).ObjProp(L"Categories"), Meta::IRoseCategoryCollection);
        add("subsystem", Of(sm.units), Meta::IRoseSubsystem);
        add("subsystems", Of(sm.components).ObjProp(L"Subsystems"), Meta::IRoseSubsystemCollection);
        add("module", Of(sm.unitMain), Meta::IRoseModule);
        add("modules", cls.ObjCall(L"GetAssignedModules"), Meta::IRoseModuleCollection);
        add("visibility", Of(sm.mainOnBase), Meta::IRoseModuleVisibilityRelationship);
        add("visibilities", Of(sm.unitMain).ObjCall(L"GetDependencies"),
            Meta::IRoseModuleVisibilityRelationshipCollection);
        add("classes", Of(sm.unitBase).ObjCall(L"GetAssignedClasses"), Meta::IRoseClassCollection);
        add("attribute", Of(sm.count), Meta::IRoseAttribute);
        add("attributes", Of(sm.base).ObjProp(L"Attributes"), Meta::IRoseAttributeCollection);
        add("operation", Of(sm.compute), Meta::IRoseOperation);
        add("operations", Of(sm.base).ObjProp(L"Operations"), Meta::IRoseOperationCollection);
        add("parameter", Of(sm.paramA), Meta::IRoseParameter);
        add("parameters", Of(sm.compute).ObjProp(L"Parameters"), Meta::IRoseParameterCollection);
        add("inherit relation", Of(sm.inherit), Meta::IRoseInheritRelation);
        add("inherit relations", cls.ObjCall(L"GetInheritRelations"), Meta::IRoseInheritRelationCollection);
        add("class dependency", Of(sm.uses), Meta::IRoseClassDependency);
        add("class dependencies", cls.ObjCall(L"GetClassDependencies"), Meta::IRoseClassDependencyCollection);
        add("has relationship", Of(sm.has), Meta::IRoseHasRelationship);
        add("has relationships", cls.ObjCall(L"GetHasRelations"), Meta::IRoseHasRelationshipCollection);
        add("role", Of(sm.items), Meta::IRoseRole);
        add("roles", cls.ObjCall(L"GetRoles"), Meta::IRoseRoleCollection);
        add("association", Of(sm.owns), Meta::IRoseAssociation);
        add("associations", cls.ObjCall(L"GetAssociations"), Meta::IRoseAssociationCollection);
        add("rich type", Of(sm.count).ObjProp(L"ExportControl"), Meta::IRoseRichType);
        add("property", cls.ObjCall(L"FindProperty", Args(Var::Str(L"Delphi"), Var::Str(L"Kind"))),
            Meta::IRoseProperty);
        add("properties", cls.ObjCall(L"GetToolProperties", Args(Var::Str(L"Delphi"))),
            Meta::IRosePropertyCollection);
        add("class", std::move(cls), Meta::IRoseClass);
        return s;
    }

    // Arguments of the declared types that make sense for every member.
    static std::vector<Var> ArgumentsFor(const Meta::Member& m)
    {
        std::vector<Var> args;
        const wchar_t* strings[] = {L"Delphi", L"Kind", L"x"};
        for (unsigned i = 0; i < m.argc; ++i) {
            switch (m.args[i]) {
            case VT_BSTR:
                args.push_back(Var::Str(strings[i]));
                break;
            case VT_I2:
                args.push_back(Var::I2(1));
                break;
            case VT_BOOL:
                args.push_back(Var::Bool(true));
                break;
            default:
                ADD_FAILURE() << "no sample argument for type " << m.args[i];
                args.emplace_back();
            }
        }
        return args;
    }
};

TEST_F(CoverageTest, EveryConcreteInterfaceHasASample)
{
    std::vector<Sample> samples = Samples();
    std::set<const Meta::Interface*> covered;
    for (const Sample& s : samples) {
        EXPECT_TRUE(s.object.Answers(*s.iface->iid)) << s.what;
        covered.insert(s.iface);
    }
    // Only the bases that no element has as its own interface go without a sample.
    std::set<const Meta::Interface*> bases = {&Meta::IRoseItem, &Meta::IRoseRelation, &Meta::IRoseClassRelation};
    for (const Meta::Interface* i : Meta::All)
        EXPECT_TRUE(covered.count(i) || bases.count(i)) << "no sample answers " << std::string(i->name, i->name + wcslen(i->name));
}

TEST_F(CoverageTest, EveryMemberAnswersWithItsDeclaredType)
{
    for (Sample& s : Samples()) {
        for (const Meta::Interface* i = s.iface; i; i = i->base) {
            for (unsigned n = 0; n < i->count; ++n) {
                const Meta::Member& m = i->members[n];
                std::string label = s.what + "." + std::string(m.name, m.name + wcslen(m.name));
                EXPECT_EQ(m.id, s.object.IdOf(m.name)) << label;

                Outcome o = [&] {
                    if (m.kind != DISPATCH_PROPERTYPUT)
                        return s.object.InvokeId(m.id, m.kind, ArgumentsFor(m));
                    // Write back what the get reads, so the model stays as it was.
                    Outcome current = s.object.InvokeId(m.id, DISPATCH_PROPERTYGET);
                    EXPECT_EQ(S_OK, current.hr) << label;
                    return s.object.InvokeId(m.id, DISPATCH_PROPERTYPUT, Args(std::move(current.result)));
                }();
                ASSERT_EQ(S_OK, o.hr) << label;
                EXPECT_EQ(m.result, o.result.v.vt) << label;
                if (m.result == VT_DISPATCH && m.resultIid && o.result.v.pdispVal) {
                    Auto result(std::exchange(o.result.v.pdispVal, nullptr));
                    EXPECT_TRUE(result.Answers(*m.resultIid)) << label;
                }
            }
        }
    }
}

TEST(HostIdsTest, TheHeaderInUseFollowsTheSharedDispidRules)
{
    // Members that every element or every collection has are called by one DISPID.
    EXPECT_EQ(RoseHost::Disp::Item::Name, RoseHost::Disp::Class::Name);
    EXPECT_EQ(RoseHost::Disp::Item::GetPropertyValue, RoseHost::Disp::ModuleVisibilityRelationship::GetPropertyValue);
    EXPECT_EQ(RoseHost::Disp::ClassCollection::GetAt, RoseHost::Disp::AddInCollection::GetAt);
    EXPECT_EQ(RoseHost::Disp::RoleCollection::Count, RoseHost::Disp::PropertyCollection::Count);
    // Every interface has an identifier of its own.
    for (const auto* a : RoseHost::Meta::All) {
        for (const auto* b : RoseHost::Meta::All) {
            if (a != b) {
                EXPECT_FALSE(IsEqualGUID(*a->iid, *b->iid)) << static_cast<const void*>(a);
            }
        }
    }
}

// The host's objects stay usable after the host that made them is gone.
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
