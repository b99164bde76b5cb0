// Tool properties: an element's own lists, the default sets of models and property files, enumerations.
#include "Builder.h"

namespace RoseHost::Loading {

void Builder::BuildPropertyFile(PetalReader& r, DefaultPropertySets& sets)
{
    m_r = &r;
    while (r.NextRoot()) {
        const PetalValue v = r.Open(0);
        const Scope scope(r);
        if (v.kind == PetalKind::List)
            ReadPropertySets(v, sets, nullptr);
        else if (v.kind == PetalKind::Object && v.text == "Attribute")
            ReadPropertySet(v, sets, nullptr);
        else if (v.kind == PetalKind::Object && v.text == "Properties")
            ReadPropertiesObject(v, sets, nullptr);
        else
            r.Skip(v);
    }
    ResolveEnumerations(sets, nullptr);
}

void Builder::ReadProperties(const PetalValue& list, std::vector<ToolProperty>& out)
{
    if (list.kind != PetalKind::List) {
        m_r->Skip(list);
        return;
    }
    while (m_r->NextItem(list)) {
        const PetalValue a = m_r->Open(list.depth);
        if (a.kind == PetalKind::Object && a.text == "Attribute")
            out.push_back(ReadProperty(a));
        else
            m_r->Skip(a);
    }
    // Hundreds of thousands of elements keep a few properties each for the whole run.
    if (out.capacity() > out.size())
        out.shrink_to_fit();
}

ToolProperty Builder::ReadProperty(const PetalValue& a)
{
    const Scope scope(*m_r);
    ToolProperty p;
    bool list = false;
    const Frame& f = Fields(a, [&](uint32_t key, const PetalValue& v, Frame& frame) {
        if (key != K("value") || v.kind != PetalKind::List || !frame.First(key))
            return false;
        list = true;
        ReadProperties(v, p.items);
        return true;
    });
    p.tool = TextOf(f, K("tool"));
    p.name = TextOf(f, K("name"));
    if (list)
        p.type = W("List");
    else if (const FieldValue* v = f.Get(K("value")))
        ReadValue(*v, p);
    return p;
}

void Builder::ReadValue(const FieldValue& v, ToolProperty& p) const
{
    switch (v.kind) {
    case PetalKind::String:
        p.type = W("String");
        p.value = W(v.text);
        break;
    case PetalKind::Text:
        p.type = W("Text");
        p.value = W(v.text);
        break;
    case PetalKind::Number:
        p.type = W(v.text.find_first_of(".eE") == std::string::npos ? "Integer" : "Float");
        p.value = W(v.text);
        break;
    case PetalKind::Identifier:
        if (EqualsNoCase(v.text, "TRUE") || EqualsNoCase(v.text, "FALSE")) {
            p.type = W("Boolean");
            p.value = W(EqualsNoCase(v.text, "TRUE") ? "TRUE" : "FALSE");
        } else {
            p.type = W("String");
            p.value = W(v.text);
        }
        break;
    case PetalKind::ValueTuple:
        p.type = W(v.text == "Text" ? "Text" : "String");
        p.value = v.tupleText;
        break;
    case PetalKind::Tuple:
        if (v.enumPair) {
            p.type = W("Enumeration");
            p.enumSet = W(v.enumSet);
            p.value = W(v.enumNumber); // the entry's name once the set is known
        } else {
            p.type = W("String");
            p.value = v.tupleText;
        }
        break;
    default:
        break;
    }
}

void Builder::ReadPropertySets(const PetalValue& list, DefaultPropertySets& sets, std::vector<ToolProperty>* plain)
{
    if (list.kind != PetalKind::List) {
        m_r->Skip(list);
        return;
    }
    while (m_r->NextItem(list)) {
        const PetalValue a = m_r->Open(list.depth);
        if (a.kind == PetalKind::Object && a.text == "Attribute")
            ReadPropertySet(a, sets, plain);
        else
            m_r->Skip(a);
    }
}

void Builder::ResolveEnumerations(DefaultPropertySets& sets, Model* model)
{
    // tool -> set name -> entry value -> entry name (the first entry of a value wins)
    std::unordered_map<std::wstring, std::unordered_map<std::wstring, std::unordered_map<std::wstring, std::wstring>>> enums;
    for (auto& [tool, kinds] : sets)
        for (auto& [kind, props] : kinds)
            for (const ToolProperty& p : props)
                if (p.type == L"List") {
                    auto& entries = enums[tool][p.name];
                    for (const ToolProperty& entry : p.items)
                        entries.emplace(entry.value, entry.name);
                }
    if (enums.empty())
        return;
    auto fix = [&](ToolProperty& p) {
        if (p.type != L"Enumeration" || p.enumSet.empty())
            return;
        auto t = enums.find(p.tool);
        if (t == enums.end())
            return;
        auto s = t->second.find(p.enumSet);
        if (s == t->second.end())
            return;
        auto e = s->second.find(p.value);
        if (e != s->second.end())
            p.value = e->second;
    };
    for (auto& [tool, kinds] : sets)
        for (auto& [kind, props] : kinds)
            for (ToolProperty& p : props)
                fix(p);
    if (model)
        for (auto& e : model->elements)
            for (ToolProperty& p : e->properties)
                fix(p);
}

} // namespace RoseHost::Loading
