#include "ModelWriter.h"

#include "NewObjects.h"
#include "PetalText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace VexloModelWriter {

using namespace RoseHost;

namespace {

// The order in which the modelling tool writes the fields of each kind: a new field goes
// before the first one present that comes after it.
const std::vector<std::string>& FieldOrder(ElementKind kind)
{
    static const std::vector<std::string> cls = {
        "attributes", "quid", "documentation", "stereotype", "superclasses", "realized_interfaces", "used_nodes",
        "operations", "class_attributes", "nestedClasses", "module", "quidu", "language", "exportControl", "abstract"};
    static const std::vector<std::string> attribute = {"attributes", "quid",  "documentation", "type", "quidu",
                                                       "initv",      "exportControl", "static", "Containment"};
    static const std::vector<std::string> operation = {"attributes", "quid",        "documentation", "parameters",
                                                       "result",     "concurrency", "opExportControl", "uid"};
    static const std::vector<std::string> parameter = {"attributes", "quid", "documentation", "type", "initv"};
    static const std::vector<std::string> other = {"attributes", "quid", "documentation", "stereotype"};
    switch (kind) {
    case ElementKind::Class: return cls;
    case ElementKind::Attribute: return attribute;
    case ElementKind::Operation: return operation;
    case ElementKind::Parameter: return parameter;
    default: return other;
    }
}

std::string Narrow(const std::wstring& w) { return AnsiText(w); }

size_t LineStart(std::string_view text, size_t at)
{
    size_t nl = text.rfind('\n', at == 0 ? 0 : at - 1);
    return nl == std::string_view::npos ? 0 : nl + 1;
}

bool IsHexQuid(std::string_view s)
{
    if (s.size() != 12)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

} // namespace

ModelWriter::ModelWriter(const Model& model, ReadFile read) : m_model(model), m_read(std::move(read)) {}

ModelWriter::File& ModelWriter::Load(const std::wstring& path)
{
    auto it = m_files.find(path);
    if (it != m_files.end())
        return it->second;
    std::optional<std::string> text = m_read(path);
    if (!text)
        throw std::runtime_error(Narrow(path) + ": the model file cannot be read again");
    if (m_files.empty())
        m_eol = LineEndOf(*text);
    for (size_t q = text->find('"'); q != std::string::npos && q + 13 < text->size(); q = text->find('"', q + 1)) {
        if ((*text)[q + 13] == '"' && IsHexQuid(std::string_view(*text).substr(q + 1, 12)))
            m_usedQuids.insert(text->substr(q + 1, 12));
    }
    return m_files.emplace(path, File{std::move(*text), {}}).first->second;
}

const std::string* ModelWriter::Original(const std::wstring& path)
{
    return &Load(path).text;
}

ModelWriter::File& ModelWriter::FileOf(const Element& e)
{
    if (e.textEnd <= e.textBegin)
        throw std::runtime_error("the element " + Narrow(e.name) + " has no place in a model file");
    File& f = Load(e.SourceFile());
    if (e.textEnd > f.text.size() || f.text[e.textBegin] != '(')
        throw std::runtime_error(Narrow(e.SourceFile()) + " changed since the model was loaded");
    return f;
}

void ModelWriter::Put(File& f, size_t at, size_t length, std::string text)
{
    f.splices.push_back({at, length, std::move(text), m_order++});
}

std::string ModelWriter::NewQuid()
{
    if (m_files.empty())
        Load(m_model.fileName);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    for (;;) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08X%04X", static_cast<unsigned>(seconds), ++m_count & 0xFFFF);
        std::string quid = buf;
        if (m_usedQuids.insert(quid).second && !m_model.FindByQuid(std::wstring(quid.begin(), quid.end())))
            return quid;
    }
}

void ModelWriter::Rename(const Element& e, const std::string& name)
{
    File& f = FileOf(e);
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    const std::string value = StringValue(name, m_eol, 0);
    if (o.nameEnd > o.nameBegin)
        Put(f, o.nameBegin, o.nameEnd - o.nameBegin, value);
    else
        Put(f, o.nameBegin, 0, value + " ");
}

void ModelWriter::InsertField(File& f, const Element& e, const std::string& field, const std::string& value)
{
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    const std::vector<std::string>& order = FieldOrder(e.kind);
    auto rank = [&](const std::string& name) {
        auto it = std::find(order.begin(), order.end(), name);
        return it == order.end() ? order.size() : static_cast<size_t>(it - order.begin());
    };
    const size_t mine = rank(field);
    unsigned column = o.fields.empty() ? ColumnOf(f.text, o.begin) + 4 : ColumnOf(f.text, o.fields[0].nameBegin);
    for (const FieldSpan& next : o.fields) {
        if (rank(next.name) > mine && rank(next.name) < order.size()) {
            // A field on a line of its own gets a line before it; in an object written on
            // one line, the new field stands before the next one on that line.
            const size_t line = LineStart(f.text, next.nameBegin);
            if (f.text.find_first_not_of(" \t", line) == next.nameBegin)
                Put(f, line, 0, Indent(column) + FieldText(field, value) + m_eol);
            else
                Put(f, next.nameBegin, 0, FieldText(field, value) + " ");
            return;
        }
    }
    Put(f, o.close, 0, m_eol + Indent(column) + FieldText(field, value));
}

void ModelWriter::SetFieldValue(const Element& e, const std::string& field, const std::string& value, bool isString)
{
    File& f = FileOf(e);
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    const unsigned column = o.fields.empty() ? ColumnOf(f.text, o.begin) + 4 : ColumnOf(f.text, o.fields[0].nameBegin);
    const std::string text = isString ? StringValue(value, m_eol, column) : value;
    if (const FieldSpan* old = o.Find(field))
        Put(f, old->nameBegin, old->end - old->nameBegin, FieldText(field, text));
    else
        InsertField(f, e, field, text);
}

void ModelWriter::SetString(const Element& e, const std::string& field, const std::string& text)
{
    if (text.empty())
        RemoveField(e, field);
    else
        SetFieldValue(e, field, text, true);
}

void ModelWriter::SetWord(const Element& e, const std::string& field, const std::string& word)
{
    SetFieldValue(e, field, word, false);
}

void ModelWriter::RemoveField(const Element& e, const std::string& field)
{
    File& f = FileOf(e);
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    const FieldSpan* old = o.Find(field);
    if (!old)
        return;
    // From the end of what stands before it: the line goes with the field.
    size_t from = old->nameBegin;
    while (from > 0 && (f.text[from - 1] == ' ' || f.text[from - 1] == '\t' || f.text[from - 1] == '\n' ||
                        f.text[from - 1] == '\r'))
        --from;
    Put(f, from, old->end - from, "");
}

void ModelWriter::SetSetting(const Element& e, const Setting& setting, bool remove)
{
    File& f = FileOf(e);
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    if (const FieldSpan* list = o.Find("attributes")) {
        for (const ObjectSpan& item : ScanListObjects(f.text, *list)) {
            const FieldSpan* tool = item.Find("tool");
            const FieldSpan* name = item.Find("name");
            const FieldSpan* value = item.Find("value");
            if (!tool || !name || !value)
                continue;
            auto is = [&](const FieldSpan* s, const std::string& text) {
                return f.text.compare(s->valueBegin, s->valueEnd - s->valueBegin, "\"" + text + "\"") == 0;
            };
            if (!is(tool, setting.tool) || !is(name, setting.name))
                continue;
            if (remove) {
                size_t from = LineStart(f.text, item.begin);
                from = from >= m_eol.size() ? from - m_eol.size() : from;
                Put(f, from, item.end - from, "");
            } else {
                const unsigned column = ColumnOf(f.text, value->nameBegin);
                Put(f, value->valueBegin, value->end - value->valueBegin, SettingValue(setting, m_eol, column));
            }
            return;
        }
    }
    if (!remove)
        AppendItem(e, "attributes", "Attribute_Set",
                   [&](unsigned column) { return SettingText(setting, column, m_eol); });
}

void ModelWriter::AppendItem(const Element& e, const std::string& field, const std::string& listType,
                             const std::function<std::string(unsigned)>& item)
{
    File& f = FileOf(e);
    ObjectSpan o = ScanObject(f.text, e.textBegin, e.textEnd);
    if (const FieldSpan* list = o.Find(field); list && list->isForm && f.text[list->valueEnd - 1] == ')') {
        const unsigned column = ColumnOf(f.text, list->nameBegin) + 4;
        Put(f, list->valueEnd - 1, 0, m_eol + Indent(column) + item(column));
        return;
    }
    const unsigned fieldColumn = o.fields.empty() ? ColumnOf(f.text, o.begin) + 4 : ColumnOf(f.text, o.fields[0].nameBegin);
    InsertField(f, e, field, ListText(listType, {item(fieldColumn + 4)}, fieldColumn + 4, m_eol));
}

std::string ModelWriter::AddAttribute(const Class& cls, const NewAttribute& a)
{
    std::string quid = NewQuid();
    AppendItem(cls, "class_attributes", "class_attribute_list",
               [&](unsigned column) { return AttributeText(a, quid, column, m_eol); });
    return quid;
}

std::string ModelWriter::InsertAttribute(const Attribute& neighbour, bool before, const NewAttribute& a)
{
    std::string quid = NewQuid();
    File& f = FileOf(neighbour);
    const unsigned column = ColumnOf(f.text, neighbour.textBegin);
    const std::string text = AttributeText(a, quid, column, m_eol);
    if (before)
        Put(f, neighbour.textBegin, 0, text + m_eol + Indent(column));
    else
        Put(f, neighbour.textEnd, 0, m_eol + Indent(column) + text);
    return quid;
}

void ModelWriter::SetRoleClass(const Role& role, const Class& cls)
{
    SetString(role, "supplier", PathOf(cls));
    SetString(role, "quidu", Narrow(cls.quid));
    MoveRoleViews(role, cls);
}

std::string ModelWriter::AddOperation(const Class& cls, const NewOperation& op)
{
    std::string quid = NewQuid();
    AppendItem(cls, "operations", "Operations", [&](unsigned column) { return OperationText(op, quid, column, m_eol); });
    return quid;
}

void ModelWriter::ReplaceParameters(const Operation& op, const std::vector<NewParameter>& parameters)
{
    if (parameters.empty()) {
        RemoveField(op, "parameters");
        return;
    }
    File& f = FileOf(op);
    ObjectSpan o = ScanObject(f.text, op.textBegin, op.textEnd);
    const FieldSpan* old = o.Find("parameters");
    const unsigned column = old ? ColumnOf(f.text, old->nameBegin) : o.fields.empty() ? ColumnOf(f.text, o.begin) + 4
                                                                                     : ColumnOf(f.text, o.fields[0].nameBegin);
    const std::string value = ParametersValue(parameters, column, m_eol);
    if (old)
        Put(f, old->valueBegin, old->valueEnd - old->valueBegin, value);
    else
        InsertField(f, op, "parameters", value);
}

std::string ModelWriter::PathOf(const Class& cls) const
{
    std::string path = Narrow(cls.name);
    for (const Category* c = cls.parentCategory; c; c = c->parent)
        path = Narrow(c->name) + "::" + path;
    return path;
}

std::string ModelWriter::AddSuperclass(const Class& cls, const Class& supplier)
{
    return AddSuperclass(cls, NewBase(&supplier));
}

std::string ModelWriter::AddSuperclass(const Class& cls, const NewBase& supplier)
{
    if (!supplier.cls && !m_added.count(supplier.added))
        throw std::runtime_error("the class " + Narrow(cls.name) + " is given the base " + supplier.added +
                                 ", which is neither a class of the model nor added before");
    std::string quid = NewQuid();
    const std::string name = supplier.cls ? PathOf(*supplier.cls) : m_added.at(supplier.added).path;
    const std::string supplierQuid = supplier.cls ? Narrow(supplier.cls->quid) : m_added.at(supplier.added).quid;
    AppendItem(cls, "superclasses", "inheritance_relationship_list", [&](unsigned column) {
        return RelationText("Inheritance_Relationship", quid, name, supplierQuid, column, m_eol);
    });
    return quid;
}

std::string ModelWriter::AddRealization(const Class& cls, const Class& supplier)
{
    std::string quid = NewQuid();
    const std::string name = PathOf(supplier), supplierQuid = Narrow(supplier.quid);
    AppendItem(cls, "realized_interfaces", "realize_rel_list", [&](unsigned column) {
        return RelationText("Realize_Relationship", quid, name, supplierQuid, column, m_eol);
    });
    return quid;
}

std::string ModelWriter::AddClass(const Category& category, const Module* module, const NewClass& c,
                                  std::vector<std::string>* operationIds)
{
    std::string quid = NewQuid();
    std::vector<std::string> attributeQuids, operationQuids, relationQuids;
    for (size_t i = 0; i < c.attributes.size(); ++i)
        attributeQuids.push_back(NewQuid());
    for (size_t i = 0; i < c.operations.size(); ++i)
        operationQuids.push_back(NewQuid());
    for (size_t i = 0; i < c.superclasses.size(); ++i)
        relationQuids.push_back(NewQuid());
    if (operationIds)
        *operationIds = operationQuids;
    std::vector<Added> bases;
    for (const NewBase& b : c.superclasses) {
        if (b.cls) {
            bases.push_back({PathOf(*b.cls), Narrow(b.cls->quid)});
            continue;
        }
        const auto it = m_added.find(b.added);
        if (it == m_added.end())
            throw std::runtime_error("the new class " + c.name + " names the base " + b.added +
                                     ", which is neither a class of the model nor added before it");
        bases.push_back(it->second);
    }
    std::string path = c.name;
    for (const Category* p = &category; p; p = p->parent)
        path = Narrow(p->name) + "::" + path;
    m_added[c.name] = {path, quid};
    AppendItem(category, "logical_models", "unit_reference_list", [&](unsigned column) {
        const unsigned fc = column + 4;
        Fields fields;
        AddSettings(fields, c.settings, column, m_eol);
        fields.emplace_back("quid", StringValue(quid, m_eol, 0));
        if (!c.documentation.empty())
            fields.emplace_back("documentation", StringValue(c.documentation, m_eol, fc));
        if (!c.stereotype.empty())
            fields.emplace_back("stereotype", StringValue(c.stereotype, m_eol, fc));
        std::vector<std::string> items;
        for (size_t i = 0; i < c.superclasses.size(); ++i)
            items.push_back(RelationText("Inheritance_Relationship", relationQuids[i], bases[i].path, bases[i].quid,
                                         fc + 4, m_eol));
        if (!items.empty())
            fields.emplace_back("superclasses", ListText("inheritance_relationship_list", items, fc + 4, m_eol));
        items.clear();
        for (size_t i = 0; i < c.operations.size(); ++i)
            items.push_back(OperationText(c.operations[i], operationQuids[i], fc + 4, m_eol));
        if (!items.empty())
            fields.emplace_back("operations", ListText("Operations", items, fc + 4, m_eol));
        items.clear();
        for (size_t i = 0; i < c.attributes.size(); ++i)
            items.push_back(AttributeText(c.attributes[i], attributeQuids[i], fc + 4, m_eol));
        if (!items.empty())
            fields.emplace_back("class_attributes", ListText("class_attribute_list", items, fc + 4, m_eol));
        if (module) {
            std::string path = Narrow(module->name);
            for (const Subsystem* s = module->parentSubsystem; s; s = s->parent)
                path = Narrow(s->name) + "::" + path;
            fields.emplace_back("module", StringValue(path, m_eol, 0));
            fields.emplace_back("quidu", StringValue(Narrow(module->quid), m_eol, 0));
        }
        if (!c.language.empty())
            fields.emplace_back("language", StringValue(c.language, m_eol, 0));
        return ObjectText("Class", c.name, fields, column, m_eol);
    });
    return quid;
}

void ModelWriter::Remove(const Element& e)
{
    File& f = FileOf(e);
    size_t from = LineStart(f.text, e.textBegin);
    from = from >= m_eol.size() ? from - m_eol.size() : from;
    Put(f, from, e.textEnd - from, "");
}

std::map<std::wstring, std::string> ModelWriter::Texts() const
{
    std::map<std::wstring, std::string> out;
    for (const auto& [path, file] : m_files) {
        if (file.splices.empty())
            continue;
        std::vector<Splice> splices = file.splices;
        std::stable_sort(splices.begin(), splices.end(),
                         [](const Splice& a, const Splice& b) { return a.at < b.at; });
        std::string text;
        size_t at = 0;
        for (const Splice& s : splices) {
            if (s.at < at)
                throw std::runtime_error(Narrow(path) + ": two changes of the model overlap");
            text.append(file.text, at, s.at - at);
            text += s.text;
            at = s.at + s.length;
        }
        text.append(file.text, at, std::string::npos);
        out[path] = std::move(text);
    }
    return out;
}

} // namespace VexloModelWriter
