#include "RoseModel.h"

#include "DefaultSetIndex.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace RoseHost {

const wchar_t* DefaultSetKindName(ElementKind kind)
{
    switch (kind) {
    case ElementKind::Model: return L"Project";
    case ElementKind::Category: return L"Category";
    case ElementKind::Subsystem: return L"Subsystem";
    case ElementKind::Module: return L"Module-Spec";
    case ElementKind::Class: return L"Class";
    case ElementKind::Attribute: return L"Attribute";
    case ElementKind::Operation: return L"Operation";
    case ElementKind::Parameter: return L"Param";
    case ElementKind::Association: return L"Association";
    case ElementKind::Role: return L"Role";
    case ElementKind::InheritRelation: return L"Inherit";
    case ElementKind::ClassDependency: return L"Uses";
    case ElementKind::RealizeRelation: return L"Realize";
    case ElementKind::HasRelationship: return L"Has";
    case ElementKind::ModuleVisibilityRelationship: return L"Dependency";
    }
    return L"";
}

const wchar_t* ExportControlName(int16_t value)
{
    switch (value) {
    case PublicAccess: return L"PublicAccess";
    case ProtectedAccess: return L"ProtectedAccess";
    case PrivateAccess: return L"PrivateAccess";
    case ImplementationAccess: return L"ImplementationAccess";
    }
    return L"";
}

const wchar_t* ContainmentName(int16_t value)
{
    switch (value) {
    case ContainmentUnspecified: return L"Unspecified";
    case ContainmentByValue: return L"By Value";
    case ContainmentByReference: return L"By Reference";
    }
    return L"";
}

const ToolProperty* Element::FindOwnProperty(std::wstring_view tool, std::wstring_view propName) const
{
    for (const ToolProperty& p : properties)
        if (p.name == propName && p.tool == tool) // names tell most apart by their length
            return &p;
    return nullptr;
}

std::wstring Element::SourceFile() const
{
    if (!unitFile.empty())
        return unitFile;
    const Model* m = OwningModel();
    return m ? m->fileName : std::wstring();
}

// Elements keep no pointer to their model (a word each of a large model): it is found up
// the owners, a few steps at most.
const Model* Element::OwningModel() const
{
    const Element* top = this;
    while (top->owner)
        top = top->owner;
    return top->kind == ElementKind::Model ? static_cast<const Model*>(top) : nullptr;
}

Role* Role::OtherRole() const
{
    if (!association)
        return nullptr;
    if (association->role1 == this)
        return association->role2;
    if (association->role2 == this)
        return association->role1;
    return nullptr;
}

void* ElementArena::Allocate(size_t bytes, size_t alignment)
{
    const size_t skip = (alignment - reinterpret_cast<uintptr_t>(m_next) % alignment) % alignment;
    if (!m_next || m_left < skip + bytes) {
        while (m_blockSize < bytes + alignment)
            m_blockSize *= 2;
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(m_blockSize));
        m_next = m_blocks.back().get();
        m_left = m_blockSize;
        if (m_blockSize < (size_t(1) << 20))
            m_blockSize *= 2;
        return Allocate(bytes, alignment);
    }
    void* at = m_next + skip;
    m_next += skip + bytes;
    m_left -= skip + bytes;
    return at;
}

Model::Model() : Element(ElementKind::Model), m_defaultIndex(std::make_unique<DefaultSetIndex>(&DefaultSetOfSlot)) {}

Model::~Model() = default;

template <class Key> Element* Model::FindQuid(const Key& q, size_t hash) const
{
    if (q.empty() || m_quidSlots.empty())
        return nullptr;
    const size_t mask = m_quidSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const QuidSlot& slot = m_quidSlots[i];
        if (!slot.element)
            return nullptr;
        if (slot.hash == hash && slot.element->quid == q)
            return slot.element;
    }
}

Element* Model::FindByQuid(const std::wstring& q) const { return FindQuid(q, ModelText::Hash(q)); }

Element* Model::FindByQuid(const ModelText& q) const { return FindQuid(q, q.Hash()); }

void Model::ReserveQuids(size_t count)
{
    // Up to seven eighths full: a slot keeps its hash, so a longer probe reads no element,
    // and a model of a million elements stays within 2^20 slots (16 MB) instead of twice that.
    if (count * 8 <= m_quidSlots.size() * 7)
        return;
    size_t size = std::max<size_t>(m_quidSlots.size(), 1024);
    while (count * 8 > size * 7)
        size *= 2;
    std::vector<QuidSlot> old(size);
    old.swap(m_quidSlots);
    const size_t mask = m_quidSlots.size() - 1;
    for (const QuidSlot& kept : old) {
        if (!kept.element)
            continue;
        size_t i = kept.hash & mask;
        while (m_quidSlots[i].element)
            i = (i + 1) & mask;
        m_quidSlots[i] = kept;
    }
}

void Model::InsertQuid(Element* e, size_t hash)
{
    const size_t mask = m_quidSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        QuidSlot& slot = m_quidSlots[i];
        if (!slot.element) {
            slot = {e, hash};
            ++m_quidCount;
            return;
        }
        // The first element with a quid keeps it: a broken file with duplicates still loads.
        if (slot.element == e || (slot.hash == hash && slot.element->quid == e->quid))
            return;
    }
}

void Model::IndexQuid(Element* e)
{
    if (e->quid.empty())
        return;
    ReserveQuids(m_quidCount + 1);
    InsertQuid(e, e->quid.Hash());
}

void Model::IndexQuids(std::span<const std::pair<Element*, size_t>> elements)
{
    ReserveQuids(m_quidCount + elements.size());
    // A loaded model's table is megabytes: each slot is fetched some inserts ahead.
    constexpr size_t kAhead = 8;
    const size_t mask = m_quidSlots.size() - 1;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (i + kAhead < elements.size())
            __builtin_prefetch(&m_quidSlots[elements[i + kAhead].second & mask]);
        if (!elements[i].first->quid.empty())
            InsertQuid(elements[i].first, elements[i].second);
    }
}

static std::wstring FullClassName(const Class* c)
{
    std::wstring full = c->name;
    for (const Element* o = c->owner; o && o->kind != ElementKind::Model; o = o->owner)
        full = o->name + L"::" + full;
    return full;
}

Class* Model::FindClass(const std::wstring& n) const
{
    const bool qualified = n.find(L"::") != std::wstring::npos;
    for (Class* c : allClasses) {
        if (qualified ? FullClassName(c) == n : c->name == n)
            return c;
    }
    return nullptr;
}

namespace {
// Module-Body takes the slot after the last kind's.
constexpr unsigned kModuleBodySlot = static_cast<unsigned>(ElementKind::ModuleVisibilityRelationship) + 1;
static_assert(kModuleBodySlot < DefaultSetIndex::kKeys);
} // namespace

unsigned Model::DefaultSetSlot(const Element& e)
{
    if (e.kind == ElementKind::Module) {
        const auto& m = static_cast<const Module&>(e);
        if (m.part == L"Body" || m.part == L"body")
            return kModuleBodySlot;
    }
    return static_cast<unsigned>(e.kind);
}

std::wstring_view Model::DefaultSetOfSlot(unsigned slot)
{
    return slot == kModuleBodySlot ? L"Module-Body" : DefaultSetKindName(static_cast<ElementKind>(slot));
}

std::wstring_view Model::DefaultSetKey(const Element& e) { return DefaultSetOfSlot(DefaultSetSlot(e)); }

const ToolProperty* Model::FindProperty(const Element& e, std::wstring_view tool, std::wstring_view propName) const
{
    if (const ToolProperty* own = e.FindOwnProperty(tool, propName))
        return own;
    return m_defaultIndex->Find(defaults, tool, DefaultSetSlot(e), propName);
}

void Model::DefaultsChanged() const { m_defaultIndex->Reset(); }

std::wstring Model::PlaceOf(const Element& element) const
{
    if (element.line == 0)
        return std::wstring();
    return element.SourceFile() + L":" + std::to_wstring(element.line);
}

std::wstring Model::GetPropertyValue(const Element& e, std::wstring_view tool, std::wstring_view propName) const
{
    const ToolProperty* p = FindProperty(e, tool, propName);
    return p ? p->value.str() : std::wstring();
}

std::vector<ToolProperty> Model::GetToolProperties(const Element& e, const std::wstring& tool) const
{
    // A name counts once: the first default of a name, then the first own value of a
    // name the defaults do not have. Both questions go to the look-ups that answer single
    // values, so no container is made per call.
    const unsigned slot = DefaultSetSlot(e);
    std::wstring name;
    auto firstDefault = [&](const ModelText& n) {
        name.clear();
        n.AppendTo(name);
        return m_defaultIndex->Find(defaults, tool, slot, name);
    };
    auto firstOwn = [&](const ModelText& n) -> const ToolProperty* {
        for (const ToolProperty& p : e.properties)
            if (p.name == n && p.tool == tool)
                return &p;
        return nullptr;
    };
    std::vector<ToolProperty> result;
    auto t = defaults.find(tool);
    if (t != defaults.end()) {
        auto k = t->second.find(DefaultSetOfSlot(slot));
        if (k != t->second.end()) {
            result.reserve(k->second.size());
            for (const ToolProperty& p : k->second) {
                if (firstDefault(p.name) != &p)
                    continue;
                const ToolProperty* own = firstOwn(p.name);
                result.push_back(own ? *own : p);
            }
        }
    }
    for (const ToolProperty& p : e.properties)
        if (p.tool == tool && firstOwn(p.name) == &p && !firstDefault(p.name))
            result.push_back(p);
    return result;
}

void MergePropertySet(std::vector<ToolProperty>& set, std::vector<ToolProperty> more)
{
    std::unordered_map<std::wstring, size_t> index;
    for (size_t i = 0; i < set.size(); ++i)
        index.emplace(set[i].name, i);
    for (ToolProperty& p : more) {
        auto it = index.find(p.name);
        if (it != index.end()) {
            set[it->second] = std::move(p);
        } else {
            index.emplace(p.name, set.size());
            set.push_back(std::move(p));
        }
    }
}

void Model::MergeDefaults(const DefaultPropertySets& more)
{
    DefaultsChanged();
    for (const auto& [tool, kinds] : more) {
        auto& mine = defaults[tool];
        for (const auto& [kind, props] : kinds)
            MergePropertySet(mine[kind], props);
    }
}

} // namespace RoseHost
