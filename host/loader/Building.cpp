// The elements of the model and its controlled units, in file order.
#include "Builder.h"

#include <cstring>

namespace RoseHost::Loading {

bool ReadWholeFile(const std::wstring& path, FileText& out)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    const DWORD size = GetFileSize(h, &high);
    if (size == INVALID_FILE_SIZE || high != 0) {
        CloseHandle(h);
        return false;
    }
    out.data = std::make_unique_for_overwrite<char[]>(size);
    out.size = size;
    DWORD done = 0;
    bool ok = true;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(h, out.data.get() + done, size - done, &got, nullptr) || got == 0) {
            ok = false;
            break;
        }
        done += got;
    }
    CloseHandle(h);
    return ok;
}

bool IsAbsolutePath(const std::wstring& p)
{
    if (!p.empty() && (p[0] == L'\\' || p[0] == L'/'))
        return true;
    return p.size() >= 2 && p[1] == L':';
}

std::wstring DirectoryOf(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

std::wstring FileStem(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"\\/");
    std::wstring base = slash == std::wstring::npos ? file : file.substr(slash + 1);
    const size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        base.resize(dot);
    return base;
}


void Builder::BuildModel(PetalReader& r)
{
    m_r = &r;
    m_main = &r;
    m_unitChain.push_back(r.FileName());
    m_model.fileName = r.FileName();
    m_model.name = FileStem(r.FileName());
    bool haveDesign = false;
    bool first = true;
    unsigned line = 1, column = 1;
    while (r.NextRoot()) {
        const PetalValue v = r.Open(0);
        if (first) {
            line = v.line;
            column = v.column;
            first = false;
        }
        const Scope scope(r);
        if (v.kind == PetalKind::Object && v.text == "Petal") {
            const Frame& f = Fields(v, [](uint32_t, const PetalValue&, Frame&) { return false; });
            if (const FieldValue* version = f.Get(K("version")))
                m_model.petalVersion = ToInt(version->text);
            if (const FieldValue* charSet = f.Get(K("charSet")))
                m_model.charSet = ToInt(charSet->text);
        } else if (v.kind == PetalKind::Object && v.text == "Design" && !haveDesign) {
            haveDesign = true;
            BuildDesign(v);
        } else {
            r.Skip(v);
        }
    }
    if (!haveDesign)
        throw RoseLoadError(r.FileName(), line, column, L"the file holds no model: \"(object Design\" is missing");
    if (m_pending)
        throw *m_pending;
    m_unitChain.pop_back();
    m_model.IndexQuids(m_toIndex);
    Resolve();
}

void Builder::BuildDesign(const PetalValue& design)
{
    m_open.push_back({&m_model, false});
    std::vector<ToolProperty> plain; // properties of the Properties object that are no default set
    Fields(design, [&](uint32_t key, const PetalValue& v, Frame& f) {
        if (key == K("quid") && f.First(key)) {
            m_r->Skip(v);
            m_model.quid = Unique(v.text);
        } else if (key == K("documentation") && f.First(key)) {
            m_model.documentation = TakeText(v);
        } else if (key == K("attributes") && f.First(key)) {
            ReadProperties(v, m_model.properties);
        } else if (v.kind != PetalKind::Object) {
            return false;
        } else if (key == K("root_category") && v.text == "Class_Category" && !m_model.rootCategory) {
            m_model.rootCategory = BuildCategory(v, nullptr, &m_model);
            if (m_model.rootCategory)
                m_model.rootCategory->isRoot = true;
        } else if (key == K("root_usecase_package") && v.text == "Class_Category" && !m_model.useCaseCategory) {
            m_model.useCaseCategory = BuildCategory(v, nullptr, &m_model);
        } else if (key == K("root_subsystem") && v.text == "SubSystem" && !m_model.rootSubsystem) {
            m_model.rootSubsystem = BuildSubsystem(v, nullptr, &m_model);
            if (m_model.rootSubsystem)
                m_model.rootSubsystem->isRoot = true;
        } else if (key == K("properties") && v.text == "Properties") {
            ReadPropertiesObject(v, m_model.defaults, &plain);
        } else {
            return false;
        }
        return true;
    });
    End(&m_model);
    m_model.properties.insert(m_model.properties.end(), std::make_move_iterator(plain.begin()),
                              std::make_move_iterator(plain.end()));
}

Category* Builder::BuildCategory(const PetalValue& object, Category* parent, Element* owner)
{
    const Scope scope(*m_r);
    Category* c = Begin<Category>(object, owner);
    c->parent = parent;
    m_model.allCategories.push_back(c);
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (Common(*c, key, v))
            return true;
        if (key != K("logical_models") || !frame.First(key))
            return false;
        if (v.kind != PetalKind::List || IsUnloadedUnit(frame)) {
            m_r->Skip(v);
            return true;
        }
        while (m_r->NextItem(v)) {
            const PetalValue item = m_r->Open(v.depth);
            if (item.kind != PetalKind::Object)
                m_r->Skip(item);
            else if (item.text == "Class_Category") {
                if (Category* sub = BuildCategory(item, c, c))
                    c->categories.push_back(sub);
            } else if (IsClassType(item.text))
                c->classes.push_back(BuildClass(item, c, nullptr));
            else if (item.text == "Association")
                c->associations.push_back(BuildAssociation(item, c));
            else
                OtherKind(item);
        }
        return true;
    });
    if (IsUnloadedUnit(f) && m_model.elements.back().get() == c)
        return FromUnit(m_model.allCategories, object, f, &Builder::BuildCategory, parent, owner);
    c->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
    c->global = IsTrue(f, K("global"));
    c->fileName = TextOf(f, K("file_name"));
    End(c);
    return c;
}

Class* Builder::BuildClass(const PetalValue& object, Category* cat, Class* outer)
{
    const Scope scope(*m_r);
    Class* c = Begin<Class>(object, outer ? static_cast<Element*>(outer) : static_cast<Element*>(cat));
    c->objectType = W(object.text);
    c->parentCategory = cat;
    c->parentClass = outer;
    m_model.allClasses.push_back(c);
    ModelText pendingModuleName;
    bool pendingModule = false;
    Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) {
        // "module" names a component; the "quidu" right after it is its id.
        const bool afterModule = std::exchange(pendingModule, false);
        if (Common(*c, key, v))
            return true;
        switch (key) {
        case K("exportControl"):
            m_r->Skip(v);
            c->exportControl = ParseExportControl(v.text, c->exportControl);
            break;
        case K("abstract"):
            m_r->Skip(v);
            c->isAbstract = IsTrue(v.kind, v.text);
            break;
        case K("language"):
            c->language = TakeText(v);
            break;
        case K("class_attributes"):
            ForEachObject(v, "ClassAttribute", [&](const PetalValue& a) { c->attributes.push_back(BuildAttribute(a, c)); });
            break;
        case K("operations"):
            ForEachObject(v, "Operation", [&](const PetalValue& o) { c->operations.push_back(BuildOperation(o, c)); });
            break;
        case K("parameters"):
            ForEachObject(v, "Parameter", [&](const PetalValue& p) { c->parameters.push_back(BuildParameter(p, c, c->parameters.size())); });
            break;
        case K("superclasses"):
        case K("used_nodes"):
        case K("realized_interfaces"):
        case K("fields"):
            for (const RelationList& list : kRelationLists)
                if (list.key == key)
                    ForEachObject(v, list.type, [&](const PetalValue& r) {
                        (c->*list.member).push_back(BuildRelation(r, list.kind, c));
                    });
            break;
        case K("nestedClasses"):
            if (v.kind != PetalKind::List) {
                m_r->Skip(v);
                break;
            }
            while (m_r->NextItem(v)) {
                const PetalValue nested = m_r->Open(v.depth);
                if (nested.kind == PetalKind::Object && IsClassType(nested.text))
                    c->nestedClasses.push_back(BuildClass(nested, cat, c));
                else
                    m_r->Skip(nested);
            }
            break;
        case K("module"):
            pendingModuleName = TakeText(v);
            pendingModule = true;
            break;
        case K("quidu"):
            if (afterModule)
                m_classModules.push_back({c, TakeText(v), pendingModuleName});
            else
                m_r->Skip(v);
            break;
        default:
            m_r->Skip(v);
            break;
        }
        return true;
    });
    End(c);
    return c;
}

Attribute* Builder::BuildAttribute(const PetalValue& object, Class* cls)
{
    const Scope scope(*m_r);
    Attribute* a = Begin<Attribute>(object, cls);
    a->parentClass = cls;
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*a, key, v); });
    a->type = TextOf(f, K("type"));
    a->initValue = TextOf(f, K("initv"));
    a->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PrivateAccess);
    a->isStatic = IsTrue(f, K("static"));
    a->isDerived = IsTrue(f, K("derived"));
    a->containment = ParseContainment(FieldBytes(f, K("Containment")));
    End(a);
    return a;
}

Operation* Builder::BuildOperation(const PetalValue& object, Class* cls)
{
    const Scope scope(*m_r);
    Operation* o = Begin<Operation>(object, cls);
    o->parentClass = cls;
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (Common(*o, key, v))
            return true;
        if (key != K("parameters") || !frame.First(key))
            return false;
        ForEachObject(v, "Parameter", [&](const PetalValue& p) { o->parameters.push_back(BuildParameter(p, o, o->parameters.size())); });
        return true;
    });
    o->returnType = TextOf(f, K("result"));
    std::string_view ec = FieldBytes(f, K("opExportControl"));
    if (ec.empty())
        ec = FieldBytes(f, K("exportControl"));
    o->exportControl = ParseExportControl(ec, PublicAccess);
    o->concurrency = TextOf(f, K("concurrency"));
    o->isAbstract = IsTrue(f, K("abstract"));
    o->isStatic = IsTrue(f, K("static"));
    End(o);
    return o;
}

Parameter* Builder::BuildParameter(const PetalValue& object, Element* owner, size_t index)
{
    const Scope scope(*m_r);
    Parameter* p = Begin<Parameter>(object, owner);
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*p, key, v); });
    p->type = TextOf(f, K("type"));
    p->initValue = TextOf(f, K("initv"));
    p->isConst = IsTrue(f, K("const"));
    // Parameters have no id in the file: derive one from the owner's and the position.
    if (p->quid.empty()) {
        const std::string_view owned = owner->quid.Ascii();
        if (!owned.empty() || owner->quid.empty())
            p->quid = ModelText::Lasting(std::string(owned) + "-P" + std::to_string(index + 1));
        else
            p->quid = owner->quid + L"-P" + std::to_wstring(index + 1);
    }
    End(p);
    return p;
}

Relation* Builder::BuildRelation(const PetalValue& object, ElementKind kind, Element* client)
{
    const Scope scope(*m_r);
    Relation* r = Begin<Relation>(object, client, kind);
    r->client = client;
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*r, key, v); });
    r->supplierName = TextOf(f, K("supplier"));
    r->supplierQuid = TextOf(f, K("quidu"));
    r->clientCardinality = TextOf(f, K("client_cardinality"));
    r->supplierCardinality = TextOf(f, K("supplier_cardinality"));
    r->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
    r->containment = ParseContainment(FieldBytes(f, K("Containment")));
    r->isStatic = IsTrue(f, K("static"));
    r->isFriend = IsTrue(f, K("friend")) || IsTrue(f, K("is_friend"));
    r->supplierIsSpec = IsTrue(f, K("supplier_is_spec"));
    End(r);
    m_relations.push_back(r);
    m_relationPlaces.push_back({m_r->FileName(), object.line});
    return r;
}

Association* Builder::BuildAssociation(const PetalValue& object, Category* cat)
{
    const Scope scope(*m_r);
    Association* a = Begin<Association>(object, cat);
    a->parentCategory = cat;
    m_model.allAssociations.push_back(a);
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (Common(*a, key, v))
            return true;
        if (key != K("roles") || !frame.First(key))
            return false;
        ForEachObject(v, "Role", [&](const PetalValue& rn) {
            Role* r = BuildRole(rn, a);
            if (!a->role1)
                a->role1 = r;
            else if (!a->role2)
                a->role2 = r;
        });
        return true;
    });
    a->isDerived = IsTrue(f, K("derived"));
    End(a);
    return a;
}

Role* Builder::BuildRole(const PetalValue& object, Association* assoc)
{
    const Scope scope(*m_r);
    Role* r = Begin<Role>(object, assoc);
    r->association = assoc;
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*r, key, v); });
    // The role name the user gave is the label; the object's own name is internal.
    if (const FieldValue* label = f.Get(K("label")); label && label->kind == PetalKind::String)
        r->name = W(label->text);
    r->supplierName = TextOf(f, K("supplier"));
    r->supplierQuid = TextOf(f, K("quidu"));
    r->cardinality = TextOf(f, K("client_cardinality"));
    if (r->cardinality.empty())
        r->cardinality = TextOf(f, K("supplier_cardinality"));
    r->constraints = TextOf(f, K("Constraints"));
    if (r->constraints.empty())
        r->constraints = TextOf(f, K("constraints"));
    r->isNavigable = IsTrue(f, K("is_navigable"));
    r->isAggregate = IsTrue(f, K("is_aggregate"));
    r->isStatic = IsTrue(f, K("static"));
    r->isFriend = IsTrue(f, K("friend")) || IsTrue(f, K("is_friend"));
    r->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
    r->containment = ParseContainment(FieldBytes(f, K("Containment")));
    End(r);
    m_roles.push_back(r);
    m_rolePlaces.push_back({m_r->FileName(), object.line});
    return r;
}

Subsystem* Builder::BuildSubsystem(const PetalValue& object, Subsystem* parent, Element* owner)
{
    const Scope scope(*m_r);
    Subsystem* s = Begin<Subsystem>(object, owner);
    s->parent = parent;
    m_model.allSubsystems.push_back(s);
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (Common(*s, key, v))
            return true;
        if (key != K("physical_models") || !frame.First(key))
            return false;
        if (v.kind != PetalKind::List || IsUnloadedUnit(frame)) {
            m_r->Skip(v);
            return true;
        }
        while (m_r->NextItem(v)) {
            const PetalValue item = m_r->Open(v.depth);
            if (item.kind == PetalKind::Object && item.text == "SubSystem") {
                if (Subsystem* sub = BuildSubsystem(item, s, s))
                    s->subsystems.push_back(sub);
            } else if (item.kind == PetalKind::Object && item.text == "module") {
                s->modules.push_back(BuildModule(item, s));
            } else {
                m_r->Skip(item);
            }
        }
        return true;
    });
    if (IsUnloadedUnit(f) && m_model.elements.back().get() == s)
        return FromUnit(m_model.allSubsystems, object, f, &Builder::BuildSubsystem, parent, owner);
    s->path = TextOf(f, K("path"));
    s->fileName = TextOf(f, K("file_name"));
    End(s);
    return s;
}

Module* Builder::BuildModule(const PetalValue& object, Subsystem* parent)
{
    const Scope scope(*m_r);
    Module* m = Begin<Module>(object, parent);
    m->parentSubsystem = parent;
    m_model.allModules.push_back(m);
    const std::span<const std::string_view> names = m_r->Names(object);
    if (names.size() > 1)
        m->type = W(names[1]);
    if (names.size() > 2)
        m->part = W(names[2]);
    const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (Common(*m, key, v))
            return true;
        if (key != K("visible_modules") || !frame.First(key))
            return false;
        if (v.kind != PetalKind::List) {
            m_r->Skip(v);
            return true;
        }
        while (m_r->NextItem(v)) {
            const PetalValue d = m_r->Open(v.depth);
            if (d.kind == PetalKind::Object &&
                (d.text == "Dependency_Relationship" || d.text == "Module_Visibility_Relationship"))
                m->dependencies.push_back(BuildRelation(d, ElementKind::ModuleVisibilityRelationship, m));
            else
                m_r->Skip(d);
        }
        return true;
    });
    m->language = TextOf(f, K("language"));
    m->path = TextOf(f, K("path"));
    End(m);
    return m;
}

} // namespace RoseHost::Loading
