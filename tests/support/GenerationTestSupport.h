// Helpers for the generators' tests: a model built element by element with a tool's
// shipped property set as its defaults, the stand-in host serving it, a scratch output
// folder, a private registry, and generation through the components' extension
// interface as the add-in's driver calls it. The tool ("Delphi" or "C#") is data.
#pragma once

#include "Automation.h"
#include "LmException.h"
#include "LmTestHelpers.h"
#include "ModelLoader.h"
#include "RoseModel.h"
#include "VXClass.h"
#include "VXCommon.h"
#include "VXModule.h"

#include <vxplat/Registry.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace GenTest {

namespace fs = std::filesystem;
using namespace RoseHost;
using LmLib::CLmPtr;
using LmLib::Errors::Exception::CLmException;
using LmLib::Values::CLmBSTR;

using VexloTest::Raised;
using VexloTest::Text;

inline std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t ch : text)
        result += static_cast<char>(ch);
    return result;
}

inline fs::path SourceDir()
{
    const char* dir = std::getenv("VEXLO_TEST_SOURCE_DIR");
    return fs::path(dir ? dir : VEXLO_SOURCE_DIR);
}

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Runs a shell command; its output (standard error included) and exit status.
inline std::string Shell(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    status = pclose(pipe);
    return output;
}

// Puts body into the zone of the given scope and tag (replacing what is there and
// keeping the end marker's indentation); false when the file has no such zone.
inline bool FillZone(const fs::path& file, const std::string& scope, const std::string& tag, const std::string& body)
{
    std::string text = ReadBytes(file);
    const std::string head = "//## begin " + scope + "%";
    size_t begin = text.find(head);
    while (begin != std::string::npos) {
        size_t tagEnd = text.find(" preserve=", begin);
        size_t dot = text.find('.', begin + head.size());
        if (text.compare(dot + 1, tagEnd - dot - 1, tag) == 0)
            break;
        begin = text.find(head, begin + 1);
    }
    if (begin == std::string::npos)
        return false;
    size_t textStart = text.find("\r\n", begin) + 2;
    size_t end = text.find("//## end", textStart);
    size_t lineStart = text.rfind("\r\n", end) + 2;
    text.replace(textStart, lineStart - textStart, body);
    WriteBytes(file, text);
    return true;
}

// Every test process uses a registry file of its own, set before the first registry use.
inline fs::path TestRegistryFile()
{
    static fs::path file = [] {
        fs::path path = fs::temp_directory_path() /
                        ("vexlo_gen_registry_" + std::to_string(std::random_device{}()) + ".reg");
        setenv("VEXLO_REGISTRY", path.c_str(), 1);
        return path;
    }();
    return file;
}

// Sets (or, for an empty value, deletes) a virtual path symbol of the host's map.
inline void SetPathSymbol(const std::wstring& name, const std::wstring& value)
{
    TestRegistryFile();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map",
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    if (value.empty())
        RegDeleteValueW(key, name.c_str());
    else
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// Builds a model element by element for one tool, whose shipped property set gives the
// defaults; unique ids are given by the test (they must not hold a ".").
class ModelBuilder {
public:
    std::wstring tool;
    std::shared_ptr<Model> model = std::make_shared<Model>();
    Category* root = nullptr;
    Subsystem* components = nullptr;

    explicit ModelBuilder(std::wstring toolName) : tool(std::move(toolName))
    {
        model->name = L"Model";
        model->quid = L"Q-MODEL";
        root = Add(model->Create<Category>(model.get()), L"Logical View", L"Q-LOGICAL");
        root->isRoot = true;
        model->rootCategory = root;
        components = Add(model->Create<Subsystem>(model.get()), L"Component View", L"Q-COMPONENTS");
        components->isRoot = true;
        model->rootSubsystem = components;
        const wchar_t* file = tool == L"C#" ? L"CSharp.pty" : L"Delphi.pty";
        MergePropertyFile(*model, (SourceDir() / "properties" / file).wstring(), LoadOptions());
    }

    template <class T>
    T* Add(T* element, const std::wstring& name, const std::wstring& quid)
    {
        element->name = name;
        element->quid = quid;
        model->IndexQuid(element);
        return element;
    }

    static void SetProperty(Element* element, const std::wstring& tool, const std::wstring& name,
                            const std::wstring& value)
    {
        for (ToolProperty& property : element->properties)
            if (property.tool == tool && property.name == name) {
                property.value = value;
                return;
            }
        ToolProperty property;
        property.tool = tool;
        property.name = name;
        property.value = value;
        property.type = L"String";
        element->properties.push_back(property);
    }
    // Sets a property of this builder's tool.
    void Prop(Element* element, const std::wstring& name, const std::wstring& value) const
    {
        SetProperty(element, tool, name, value);
    }

    Category* AddCategory(Category* parent, const std::wstring& name, const std::wstring& quid = L"")
    {
        Category* c = Add(model->Create<Category>(parent), name, quid.empty() ? L"Q-" + name : quid);
        c->parent = parent;
        parent->categories.push_back(c);
        model->allCategories.push_back(c);
        return c;
    }
    Class* AddClass(const std::wstring& name, const std::wstring& quid, Category* category = nullptr)
    {
        if (!category)
            category = root;
        Class* c = Add(model->Create<Class>(category), name, quid);
        c->objectType = L"Class";
        c->parentCategory = category;
        c->language = tool;
        category->classes.push_back(c);
        model->allClasses.push_back(c);
        return c;
    }
    Relation* AddRelation(ElementKind kind, Element* client, Element* supplier)
    {
        Relation* r = model->Create<Relation>(client, kind);
        r->quid = client->quid + L"-" + supplier->quid;
        r->client = client;
        r->supplier = supplier;
        r->supplierName = supplier->name;
        r->supplierQuid = supplier->quid;
        model->IndexQuid(r);
        return r;
    }
    void Inherit(Class* sub, Class* super)
    {
        sub->superclasses.push_back(AddRelation(ElementKind::InheritRelation, sub, super));
    }
    void Depend(Class* client, Class* supplier)
    {
        client->dependencies.push_back(AddRelation(ElementKind::ClassDependency, client, supplier));
    }
    Attribute* AddAttribute(Class* owner, const std::wstring& name, const std::wstring& type,
                            int16_t exportControl = PrivateAccess, const std::wstring& init = L"")
    {
        Attribute* a = Add(model->Create<Attribute>(owner), name, owner->quid + L"-" + name);
        a->parentClass = owner;
        a->type = type;
        a->initValue = init;
        a->exportControl = exportControl;
        owner->attributes.push_back(a);
        return a;
    }
    Operation* AddOperation(Class* owner, const std::wstring& name, const std::wstring& returnType = L"",
                            int16_t exportControl = PublicAccess, const std::wstring& quid = L"")
    {
        Operation* o = Add(model->Create<Operation>(owner), name, quid.empty() ? owner->quid + L"-" + name : quid);
        o->parentClass = owner;
        o->returnType = returnType;
        o->exportControl = exportControl;
        owner->operations.push_back(o);
        return o;
    }
    Parameter* AddParameter(Operation* owner, const std::wstring& name, const std::wstring& type)
    {
        Parameter* p = Add(model->Create<Parameter>(owner), name, owner->quid + L"-" + name);
        p->type = type;
        owner->parameters.push_back(p);
        return p;
    }
    // An association whose role 1 ends at `first` and role 2 at `second`.
    Association* Associate(const std::wstring& name, Class* first, const std::wstring& firstRole, bool firstAggregate,
                           Class* second, const std::wstring& secondRole, bool secondAggregate)
    {
        Association* a = Add(model->Create<Association>(root), name, L"Q-" + name);
        a->parentCategory = root;
        root->associations.push_back(a);
        model->allAssociations.push_back(a);
        a->role1 = AddRole(a, firstRole, first, firstAggregate);
        a->role2 = AddRole(a, secondRole, second, secondAggregate);
        return a;
    }
    Role* AddRole(Association* association, const std::wstring& name, Class* end, bool aggregate)
    {
        Role* r = Add(model->Create<Role>(association), name, association->quid + L"-" + name);
        r->association = association;
        r->cls = end;
        r->supplierName = end->name;
        r->supplierQuid = end->quid;
        r->isAggregate = aggregate;
        end->roles.push_back(r);
        return r;
    }
    void ModuleDepends(Module* client, Element* supplier)
    {
        client->dependencies.push_back(AddRelation(ElementKind::ModuleVisibilityRelationship, client, supplier));
    }
    Subsystem* AddSubsystem(Subsystem* parent, const std::wstring& name)
    {
        Subsystem* s = Add(model->Create<Subsystem>(parent), name, L"Q-" + name);
        s->parent = parent;
        parent->subsystems.push_back(s);
        model->allSubsystems.push_back(s);
        return s;
    }
    // A component of this builder's language; `kind` sets "ComponentKind" when not empty.
    Module* AddModule(Subsystem* parent, const std::wstring& name, const std::wstring& kind,
                      std::vector<Class*> classes = {})
    {
        Module* m = Add(model->Create<Module>(parent), name, L"Q-" + name);
        m->parentSubsystem = parent;
        m->language = tool;
        m->part = L"Specification";
        m->assignedClasses = classes;
        for (Class* c : classes)
            c->assignedModules.push_back(m);
        parent->modules.push_back(m);
        model->allModules.push_back(m);
        if (!kind.empty())
            Prop(m, L"ComponentKind", kind);
        return m;
    }
};

// A test with a model of one tool, the stand-in host over it, a scratch folder that is
// the model's "Directory", and the log lines the add-in wrote.
class GenerationTest : public ::testing::Test {
protected:
    ModelBuilder build;
    fs::path dir;
    std::vector<std::wstring> log;

    explicit GenerationTest(const std::wstring& tool) : build(tool) {}

    void SetUp() override
    {
        TestRegistryFile();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("vexlo_gen_") + info->name() + "_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        build.Prop(build.model.get(), L"Directory", dir.wstring());
    }
    void TearDown() override
    {
        m_host.reset();
        // VEXLO_TEST_KEEP keeps the generated files for a look.
        if (std::getenv("VEXLO_TEST_KEEP"))
            return;
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    // Replaces the built model by one loaded from a model file (its "Directory" set to
    // the scratch folder).
    void LoadModel(const fs::path& file)
    {
        build.model = std::shared_ptr<Model>(LoadRoseModel(file.wstring(), LoadOptions()));
        build.Prop(build.model.get(), L"Directory", dir.wstring());
    }

    AutomationHost& Host()
    {
        if (!m_host) {
            m_host = std::make_unique<AutomationHost>(build.model);
            m_host->SetLogSink([this](const std::wstring& line) { log.push_back(line); });
        }
        return *m_host;
    }

    // A wrapper W of the element's automation object.
    template <class W>
    CLmPtr<W> Wrap(Element* element)
    {
        CVXDispatchRef object(Host().CreateElementObject(*element));
        return W::Create(CVXParentPtr(), object.Get());
    }

    // Generates the component in the builder's language (or the one given) as the
    // driver does.
    void Generate(Module* module, const wchar_t* language = nullptr)
    {
        Wrap<CVXModule>(module)->Generate(CLmBSTR(language ? language : build.tool.c_str()));
    }

    // The file the component was written to, as the platform resolves "\" paths.
    fs::path Output(const std::wstring& relative) const
    {
        fs::path path = dir;
        std::wstring part;
        for (wchar_t ch : relative) {
            if (ch == L'\\') {
                path /= part;
                part.clear();
            } else {
                part += ch;
            }
        }
        return path / part;
    }

private:
    std::unique_ptr<AutomationHost> m_host;
};

} // namespace GenTest
