// Helpers for the stand-in host's tests: calling automation objects by name through
// IDispatch (as a client does), owning VARIANTs and references, and a small model.
#pragma once

#include "Automation.h"
#include "AutomationObject.h"
#include "ModelBuilder.h"
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
};

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
        out.hr = m_p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.result.v, nullptr, nullptr);
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
    SHORT I2Prop(const std::wstring& name) const
    {
        Outcome o = Prop(name);
        EXPECT_EQ(S_OK, o.hr);
        EXPECT_EQ(VT_I2, o.result.v.vt);
        return o.result.v.vt == VT_I2 ? o.result.v.iVal : SHORT(-999);
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
//   has Helper by value), Helper; association Owns between Helper ("items", navigable,
//   aggregate, 0..n, protected, by reference) and Derived ("owner").
//   Base: attributes Count (Integer = 0, public), Secret (private); operation
//   Compute(a: Integer, b: String = '') : Integer; formal parameter T.
//   Component View (root) / Units: modules UnitBase (Delphi; Base, Derived),
//   UnitHelper (C#; Helper), UnitMain (no language, depends on UnitBase and on Units).
//   Tool properties: Base has Delphi.GenerateCode = "False"; the Delphi defaults for
//   classes set GenerateCode = "True" and Kind = "Class".
struct SmallModel : VexloTest::ModelBuilder {
    Category* pkg = AddCategory(root, L"Pkg");
    Subsystem* units = AddSubsystem(components, L"Units");
    Class* base = AddClass(L"Base", pkg);
    Class* derived = AddClass(L"Derived", pkg);
    Class* helper = AddClass(L"Helper", pkg);
    Attribute* count = AddAttribute(base, L"Count", L"Integer", PublicAccess, L"0");
    Attribute* secret = AddAttribute(base, L"Secret", L"String", PrivateAccess);
    Operation* compute = AddOperation(base, L"Compute", L"Integer", ProtectedAccess);
    Parameter* paramA = AddParameter(compute, L"a", L"Integer");
    Parameter* paramB = AddParameter(compute, L"b", L"String", L"''");
    Parameter* formalT = Add(model->Create<Parameter>(base), L"T", L"Q-Base-PT");
    Association* owns = Associate(L"Owns", helper, L"items", true, derived, L"owner", false);
    Role* items = owns->role1;
    Role* owner = owns->role2;
    Relation* inherit = Inherit(derived, base);
    Relation* uses = Depend(derived, helper);
    Relation* has = Has(derived, helper);
    Module* unitBase = AddComponent(units, L"UnitBase", L"Delphi", {base, derived});
    Module* unitHelper = AddComponent(units, L"UnitHelper", L"C#", {helper});
    Module* unitMain = AddComponent(units, L"UnitMain", L"", {});
    Relation* mainOnBase = ModuleDepends(unitMain, unitBase);
    Relation* mainOnUnits = ModuleDepends(unitMain, units);

    SmallModel()
    {
        model->name = L"Small";
        base->documentation = L"The base class.";
        base->parameters.push_back(formalT);
        has->containment = ContainmentByValue;
        // The association belongs to the package.
        root->associations.clear();
        owns->owner = owns->parentCategory = pkg;
        pkg->associations.push_back(owns);
        items->cardinality = L"0..n";
        items->isNavigable = true;
        items->exportControl = ProtectedAccess;
        items->containment = ContainmentByReference;
        items->constraints = L"ordered";
        owner->isFriend = true;
        base->properties.push_back(Property(L"GenerateCode", L"False", L"Boolean"));
        model->defaults[L"Delphi"][L"Class"] = {Property(L"GenerateCode", L"True", L"Boolean"),
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
