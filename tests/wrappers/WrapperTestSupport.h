// Helpers for the host wrappers' tests: a small model built in memory, the stand-in host
// serving it, wrappers made over its automation objects, and message boxes taken over.
#pragma once

#include "Automation.h"
#include "LmException.h"
#include "LmTestHelpers.h"
#include "ModelLoader.h"
#include "RoseModel.h"
#include "VXCommon.h"

#include <vxplat/User.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace WrapperTest {

using namespace RoseHost;
using LmLib::CLmPtr;
using LmLib::Errors::Exception::CLmException;
using LmLib::Values::CLmBSTR;

using VexloTest::Text;

// The reference count of a host object, read without changing it.
inline ULONG RefCount(IDispatch* object)
{
    object->AddRef();
    return object->Release();
}

// Builds a model element by element; every element gets the unique id "Q-<name>".
class ModelBuilder {
public:
    std::shared_ptr<Model> model = std::make_shared<Model>();
    Category* root = nullptr;
    Subsystem* components = nullptr;

    ModelBuilder()
    {
        model->name = L"Model";
        model->quid = L"Q-MODEL";
        root = Named(model->Create<Category>(model.get()), L"Logical View");
        root->isRoot = true;
        model->rootCategory = root;
        components = Named(model->Create<Subsystem>(model.get()), L"Component View");
        components->isRoot = true;
        model->rootSubsystem = components;
    }

    template <class T>
    T* Named(T* element, const std::wstring& name)
    {
        element->name = name;
        element->quid = L"Q-" + name;
        model->IndexQuid(element);
        return element;
    }

    Category* AddCategory(Category* parent, const std::wstring& name)
    {
        Category* c = Named(model->Create<Category>(parent), name);
        c->parent = parent;
        parent->categories.push_back(c);
        model->allCategories.push_back(c);
        return c;
    }

    Class* AddClass(const std::wstring& name, Category* category = nullptr)
    {
        if (!category)
            category = root;
        Class* c = Named(model->Create<Class>(category), name);
        c->objectType = L"Class";
        c->parentCategory = category;
        category->classes.push_back(c);
        model->allClasses.push_back(c);
        return c;
    }

    Relation* AddRelation(ElementKind kind, Element* client, Element* supplier)
    {
        Relation* r = model->Create<Relation>(client, kind);
        r->quid = L"Q-" + client->name + L"-" + supplier->name;
        r->client = client;
        r->supplier = supplier;
        r->supplierName = supplier->name;
        r->supplierQuid = supplier->quid;
        model->IndexQuid(r);
        return r;
    }
    Relation* Inherit(Class* sub, Class* super)
    {
        Relation* r = AddRelation(ElementKind::InheritRelation, sub, super);
        sub->superclasses.push_back(r);
        return r;
    }
    Relation* Depend(Class* client, Class* supplier)
    {
        Relation* r = AddRelation(ElementKind::ClassDependency, client, supplier);
        client->dependencies.push_back(r);
        return r;
    }
    Relation* Has(Class* client, Class* contained)
    {
        Relation* r = AddRelation(ElementKind::HasRelationship, client, contained);
        client->hasRelations.push_back(r);
        return r;
    }

    Attribute* AddAttribute(Class* owner, const std::wstring& name, int16_t exportControl = PrivateAccess)
    {
        Attribute* a = Named(model->Create<Attribute>(owner), name);
        a->parentClass = owner;
        a->exportControl = exportControl;
        owner->attributes.push_back(a);
        return a;
    }
    Operation* AddOperation(Class* owner, const std::wstring& name, int16_t exportControl = PublicAccess)
    {
        Operation* o = Named(model->Create<Operation>(owner), name);
        o->parentClass = owner;
        o->exportControl = exportControl;
        owner->operations.push_back(o);
        return o;
    }
    Parameter* AddParameter(Operation* owner, const std::wstring& name, const std::wstring& type,
                            const std::wstring& init = L"")
    {
        Parameter* p = Named(model->Create<Parameter>(owner), name);
        p->type = type;
        p->initValue = init;
        owner->parameters.push_back(p);
        return p;
    }

    // An association whose role1 ends at `first` and role2 at `second`.
    Association* Associate(const std::wstring& name, Class* first, const std::wstring& firstRole, Class* second,
                           const std::wstring& secondRole)
    {
        Association* a = Named(model->Create<Association>(root), name);
        a->parentCategory = root;
        root->associations.push_back(a);
        model->allAssociations.push_back(a);
        a->role1 = AddRole(a, firstRole, first);
        a->role2 = AddRole(a, secondRole, second);
        return a;
    }
    Role* AddRole(Association* association, const std::wstring& name, Class* end)
    {
        Role* r = Named(model->Create<Role>(association), name);
        r->association = association;
        r->cls = end;
        r->supplierName = end->name;
        r->supplierQuid = end->quid;
        end->roles.push_back(r);
        return r;
    }

    Subsystem* AddSubsystem(Subsystem* parent, const std::wstring& name)
    {
        Subsystem* s = Named(model->Create<Subsystem>(parent), name);
        s->parent = parent;
        parent->subsystems.push_back(s);
        model->allSubsystems.push_back(s);
        return s;
    }
    Module* AddModule(Subsystem* parent, const std::wstring& name, const std::wstring& language,
                      std::vector<Class*> classes = {})
    {
        Module* m = Named(model->Create<Module>(parent), name);
        m->parentSubsystem = parent;
        m->language = language;
        m->assignedClasses = classes;
        for (Class* c : classes)
            c->assignedModules.push_back(m);
        parent->modules.push_back(m);
        model->allModules.push_back(m);
        return m;
    }
    Relation* ModuleDepends(Module* client, Element* supplier)
    {
        Relation* r = AddRelation(ElementKind::ModuleVisibilityRelationship, client, supplier);
        client->dependencies.push_back(r);
        return r;
    }
};

// Records every message box shown while it lives, and answers OK.
class MessageBoxRecorder {
public:
    struct Shown {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    MessageBoxRecorder() : m_previous(VxpSetMessageBoxHandler(&Record)) { Boxes().clear(); }
    ~MessageBoxRecorder() { VxpSetMessageBoxHandler(m_previous); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<Shown>& Shows() const { return Boxes(); }

private:
    static std::vector<Shown>& Boxes()
    {
        static std::vector<Shown> boxes;
        return boxes;
    }
    static int WINAPI Record(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
    {
        Boxes().push_back({text ? text : L"", caption ? caption : L"", type});
        return IDOK;
    }

    VxpMessageBoxHandler m_previous;
};

using VexloTest::Raised;

// A test over a model and the stand-in host serving it. The host is made on first use,
// so a test builds its model first.
class HostTest : public ::testing::Test {
protected:
    ModelBuilder build;

    AutomationHost& Host()
    {
        if (!m_host)
            m_host = std::make_unique<AutomationHost>(build.model);
        return *m_host;
    }

    // A wrapper W (made by W::Create with no parent) of the element's automation object.
    template <class W>
    CLmPtr<W> Wrap(Element* element)
    {
        CVXDispatchRef object(Host().CreateElementObject(*element));
        return W::Create(CVXParentPtr(), object.Get());
    }

private:
    std::unique_ptr<AutomationHost> m_host;
};

} // namespace WrapperTest
