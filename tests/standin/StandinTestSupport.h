// Helpers for the stand-in host's tests: calling automation objects by name through
// IDispatch (as a client does), owning VARIANTs and references, and a small model built
// directly in memory.
#pragma once

#include "Automation.h"
#include "AutomationObject.h"
#include "RoseHostIds.h"
#include "RoseModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace StandinTest {

using namespace RoseHost;

// An owned VARIANT.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    Var(Var&& other) noexcept : v(other.v) { VariantInit(&other.v); }
    Var& operator=(Var&& other) noexcept
    {
        if (this != &other) {
            VariantClear(&v);
            v = other.v;
            VariantInit(&other.v);
        }
        return *this;
    }
    ~Var() { VariantClear(&v); }

    static Var Str(const std::wstring& s)
    {
        Var r;
        r.v.vt = VT_BSTR;
        r.v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        return r;
    }
    static Var I2(SHORT i)
    {
        Var r;
        r.v.vt = VT_I2;
        r.v.iVal = i;
        return r;
    }
    static Var I4(LONG i)
    {
        Var r;
        r.v.vt = VT_I4;
        r.v.lVal = i;
        return r;
    }
    static Var Bool(bool b)
    {
        Var r;
        r.v.vt = VT_BOOL;
        r.v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return r;
    }
};

struct Outcome {
    HRESULT hr = E_FAIL;
    Var result;
    UINT argErr = 0xFFFF;
};

// Error description left by the last failing call of this thread, "" when none.
inline std::wstring TakeErrorDescription()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return L"";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring result = text ? text : L"";
    SysFreeString(text);
    info->Release();
    return result;
}

// An owned IDispatch reference with calls by member name.
class Auto {
public:
    Auto() = default;
    explicit Auto(IDispatch* owned) : m_p(owned) {}
    Auto(const Auto&) = delete;
    Auto& operator=(const Auto&) = delete;
    Auto(Auto&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    Auto& operator=(Auto&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~Auto() { Reset(); }

    void Reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    IDispatch* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    DISPID IdOf(const std::wstring& name) const
    {
        std::wstring copy = name;
        LPOLESTR names[] = {copy.data()};
        DISPID id = DISPID_UNKNOWN;
        m_p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }

    // Invokes by DISPID; `args` in declaration order.
    Outcome InvokeId(DISPID id, WORD flags, std::vector<Var> args = {}) const
    {
        Outcome out;
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(it->v);
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()),
                          0};
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        out.hr = m_p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.result.v, nullptr, &out.argErr);
        return out;
    }

    // Looks the name up as a client does, then invokes it.
    Outcome Invoke(const std::wstring& name, WORD flags, std::vector<Var> args = {}) const
    {
        DISPID id = IdOf(name);
        if (id == DISPID_UNKNOWN) {
            Outcome out;
            out.hr = DISP_E_UNKNOWNNAME;
            return out;
        }
        return InvokeId(id, flags, std::move(args));
    }

    Outcome Prop(const std::wstring& name) const { return Invoke(name, DISPATCH_PROPERTYGET); }
    Outcome Call(const std::wstring& name, std::vector<Var> args = {}) const
    {
        return Invoke(name, DISPATCH_METHOD, std::move(args));
    }
    HRESULT Set(const std::wstring& name, Var value) const
    {
        std::vector<Var> args;
        args.push_back(std::move(value));
        return Invoke(name, DISPATCH_PROPERTYPUT, std::move(args)).hr;
    }

    // Typed reads that expect success and the declared type.
    std::wstring Str(const Outcome& o) const
    {
        EXPECT_EQ(S_OK, o.hr);
        EXPECT_EQ(VT_BSTR, o.result.v.vt);
        if (o.hr != S_OK || o.result.v.vt != VT_BSTR || !o.result.v.bstrVal)
            return L"";
        return o.result.v.bstrVal;
    }
    std::wstring StrProp(const std::wstring& name) const { return Str(Prop(name)); }
    std::wstring StrCall(const std::wstring& name, std::vector<Var> args = {}) const
    {
        return Str(Call(name, std::move(args)));
    }
    SHORT I2Prop(const std::wstring& name) const
    {
        Outcome o = Prop(name);
        EXPECT_EQ(S_OK, o.hr);
        EXPECT_EQ(VT_I2, o.result.v.vt);
        return o.result.v.vt == VT_I2 ? o.result.v.iVal : SHORT(-999);
    }
    VARIANT_BOOL BoolOf(Outcome o) const
    {
        EXPECT_EQ(S_OK, o.hr);
        EXPECT_EQ(VT_BOOL, o.result.v.vt);
        return o.result.v.vt == VT_BOOL ? o.result.v.boolVal : VARIANT_BOOL(42);
    }
    // An object result (possibly none); takes over its reference.
    static Auto Obj(Outcome o)
    {
        EXPECT_EQ(S_OK, o.hr);
        EXPECT_EQ(VT_DISPATCH, o.result.v.vt);
        if (o.hr != S_OK || o.result.v.vt != VT_DISPATCH)
            return Auto();
        return Auto(std::exchange(o.result.v.pdispVal, nullptr));
    }
    Auto ObjProp(const std::wstring& name) const { return Obj(Prop(name)); }
    Auto ObjCall(const std::wstring& name, std::vector<Var> args = {}) const
    {
        return Obj(Call(name, std::move(args)));
    }

    // Collections: Count and GetAt(index from 1).
    SHORT Count() const { return I2Prop(L"Count"); }
    Auto At(SHORT index) const
    {
        std::vector<Var> args;
        args.push_back(Var::I2(index));
        return ObjCall(L"GetAt", std::move(args));
    }
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        for (SHORT i = 1; i <= Count(); ++i)
            names.push_back(At(i).StrProp(L"Name"));
        return names;
    }

    bool Answers(REFIID iid) const
    {
        void* p = nullptr;
        if (FAILED(m_p->QueryInterface(iid, &p)) || !p)
            return false;
        static_cast<IUnknown*>(p)->Release();
        return true;
    }

private:
    IDispatch* m_p = nullptr;
};

template <class... T>
std::vector<Var> Args(T&&... values)
{
    std::vector<Var> args;
    (args.push_back(std::forward<T>(values)), ...);
    return args;
}

// A small model:
//   Logical View (root) / Pkg: classes Base, Derived (inherits Base, depends on Helper,
//   has Helper by value), Helper; association Owns between Derived ("items", navigable,
//   aggregate, 0..n, protected, by reference) and Helper ("owner").
//   Base: attributes Count (Integer = 0, public), Secret (private); operation
//   Compute(a: Integer, b: String = '') : Integer; formal parameter T.
//   Component View (root) / Units: modules UnitBase (Delphi; Base, Derived),
//   UnitHelper (C#; Helper), UnitMain (no language, depends on UnitBase and on Units).
//   Tool properties: Base has Delphi.GenerateCode = "False"; the Delphi defaults for
//   classes set GenerateCode = "True" and Kind = "Class".
struct SmallModel {
    std::shared_ptr<Model> model = std::make_shared<Model>();
    Category* root = nullptr;
    Category* pkg = nullptr;
    Subsystem* components = nullptr;
    Subsystem* units = nullptr;
    Class* base = nullptr;
    Class* derived = nullptr;
    Class* helper = nullptr;
    Attribute* count = nullptr;
    Attribute* secret = nullptr;
    Operation* compute = nullptr;
    Parameter* paramA = nullptr;
    Parameter* paramB = nullptr;
    Parameter* formalT = nullptr;
    Association* owns = nullptr;
    Role* items = nullptr;
    Role* owner = nullptr;
    Relation* inherit = nullptr;
    Relation* uses = nullptr;
    Relation* has = nullptr;
    Module* unitBase = nullptr;
    Module* unitHelper = nullptr;
    Module* unitMain = nullptr;
    Relation* mainOnBase = nullptr;
    Relation* mainOnUnits = nullptr;

    SmallModel()
    {
        Model& m = *model;
        m.name = L"Small";
        m.quid = L"Q-MODEL";

        root = Named<Category>(m.Create<Category>(&m), L"Logical View", L"Q-ROOT");
        root->isRoot = true;
        m.rootCategory = root;
        pkg = Named<Category>(m.Create<Category>(root), L"Pkg", L"Q-PKG");
        pkg->parent = root;
        root->categories.push_back(pkg);

        base = NewClass(L"Base", L"Q-BASE");
        base->documentation = L"The base class.";
        derived = NewClass(L"Derived", L"Q-DERIVED");
        helper = NewClass(L"Helper", L"Q-HELPER");

        count = NewAttribute(L"Count", L"Q-COUNT", L"Integer", L"0", PublicAccess);
        secret = NewAttribute(L"Secret", L"Q-SECRET", L"String", L"", PrivateAccess);

        compute = Named<Operation>(m.Create<Operation>(base), L"Compute", L"Q-COMPUTE");
        compute->parentClass = base;
        compute->returnType = L"Integer";
        compute->exportControl = ProtectedAccess;
        base->operations.push_back(compute);
        paramA = NewParameter(compute, L"a", L"Integer", L"");
        paramB = NewParameter(compute, L"b", L"String", L"''");
        compute->parameters = {paramA, paramB};
        formalT = NewParameter(base, L"T", L"", L"");
        base->parameters.push_back(formalT);

        inherit = NewRelation(ElementKind::InheritRelation, derived, base, L"Q-INHERIT");
        derived->superclasses.push_back(inherit);
        uses = NewRelation(ElementKind::ClassDependency, derived, helper, L"Q-USES");
        derived->dependencies.push_back(uses);
        has = NewRelation(ElementKind::HasRelationship, derived, helper, L"Q-HAS");
        has->containment = ContainmentByValue;
        derived->hasRelations.push_back(has);

        owns = Named<Association>(m.Create<Association>(pkg), L"Owns", L"Q-OWNS");
        owns->parentCategory = pkg;
        pkg->associations.push_back(owns);
        items = NewRole(L"items", L"Q-ITEMS", helper);
        items->cardinality = L"0..n";
        items->isNavigable = true;
        items->isAggregate = true;
        items->exportControl = ProtectedAccess;
        items->containment = ContainmentByReference;
        items->constraints = L"ordered";
        owner = NewRole(L"owner", L"Q-OWNER", derived);
        owner->isFriend = true;
        owns->role1 = items;
        owns->role2 = owner;
        m.allAssociations.push_back(owns);

        components = Named<Subsystem>(m.Create<Subsystem>(&m), L"Component View", L"Q-COMPONENTS");
        components->isRoot = true;
        m.rootSubsystem = components;
        units = Named<Subsystem>(m.Create<Subsystem>(components), L"Units", L"Q-UNITS");
        units->parent = components;
        components->subsystems.push_back(units);
        unitBase = NewModule(L"UnitBase", L"Q-UNITBASE", L"Delphi", {base, derived});
        unitHelper = NewModule(L"UnitHelper", L"Q-UNITHELPER", L"C#", {helper});
        unitMain = NewModule(L"UnitMain", L"Q-UNITMAIN", L"", {});
        mainOnBase = NewRelation(ElementKind::ModuleVisibilityRelationship, unitMain, unitBase, L"Q-MAIN-BASE");
        mainOnUnits = NewRelation(ElementKind::ModuleVisibilityRelationship, unitMain, units, L"Q-MAIN-UNITS");
        unitMain->dependencies = {mainOnBase, mainOnUnits};

        base->properties.push_back(Property(L"GenerateCode", L"False", L"Boolean"));
        m.defaults[L"Delphi"][L"Class"] = {Property(L"GenerateCode", L"True", L"Boolean"),
                                           Property(L"Kind", L"Class", L"Enumeration")};
    }

    static ToolProperty Property(const wchar_t* name, const wchar_t* value, const wchar_t* type)
    {
        ToolProperty p;
        p.tool = L"Delphi";
        p.name = name;
        p.value = value;
        p.type = type;
        return p;
    }
    template <class T>
    T* Named(T* e, const wchar_t* name, const wchar_t* quid)
    {
        e->name = name;
        e->quid = quid;
        model->IndexQuid(e);
        return e;
    }
    Class* NewClass(const wchar_t* name, const wchar_t* quid)
    {
        Class* c = Named<Class>(model->Create<Class>(pkg), name, quid);
        c->objectType = L"Class";
        c->parentCategory = pkg;
        pkg->classes.push_back(c);
        model->allClasses.push_back(c);
        return c;
    }
    Attribute* NewAttribute(const wchar_t* name, const wchar_t* quid, const wchar_t* type, const wchar_t* init,
                            int16_t exportControl)
    {
        Attribute* a = Named<Attribute>(model->Create<Attribute>(base), name, quid);
        a->parentClass = base;
        a->type = type;
        a->initValue = init;
        a->exportControl = exportControl;
        base->attributes.push_back(a);
        return a;
    }
    Parameter* NewParameter(Element* owner, const wchar_t* name, const wchar_t* type, const wchar_t* init)
    {
        std::wstring quid = owner->quid + L"-P" + name;
        Parameter* p = model->Create<Parameter>(owner);
        p->name = name;
        p->quid = quid;
        p->type = type;
        p->initValue = init;
        return p;
    }
    Relation* NewRelation(ElementKind kind, Element* client, Element* supplier, const wchar_t* quid)
    {
        auto owned = std::make_unique<Relation>(kind);
        Relation* r = owned.get();
        r->owner = client;
        r->model = model.get();
        model->elements.push_back(std::move(owned));
        r->quid = quid;
        r->client = client;
        r->supplier = supplier;
        r->supplierName = supplier->name;
        r->supplierQuid = supplier->quid;
        return r;
    }
    Role* NewRole(const wchar_t* name, const wchar_t* quid, Class* cls)
    {
        Role* r = Named<Role>(model->Create<Role>(owns), name, quid);
        r->association = owns;
        r->cls = cls;
        cls->roles.push_back(r);
        return r;
    }
    Module* NewModule(const wchar_t* name, const wchar_t* quid, const wchar_t* language, std::vector<Class*> classes)
    {
        Module* mod = Named<Module>(model->Create<Module>(units), name, quid);
        mod->parentSubsystem = units;
        mod->language = language;
        mod->assignedClasses = classes;
        for (Class* c : classes)
            c->assignedModules.push_back(mod);
        units->modules.push_back(mod);
        model->allModules.push_back(mod);
        return mod;
    }
};

} // namespace StandinTest

namespace StandinTest {

// Every test starts from the small model and ends with no automation object alive that
// it did not start with.
class StandinFixture : public ::testing::Test {
protected:
    void SetUp() override { m_live = Automation::Object::LiveCount(); }
    void TearDown() override
    {
        EXPECT_EQ(m_live, Automation::Object::LiveCount()) << "automation objects were not released";
    }

    Auto App() const { return Auto(host.CreateApplication()); }
    Auto Of(Element* e) const { return Auto(host.CreateElementObject(*e)); }

    SmallModel sm;
    AutomationHost host{sm.model};

private:
    long m_live = 0;
};

} // namespace StandinTest
