#include "PropertySets.h"

#include <set>
#include <sstream>

namespace PropsTest {

std::string SourcePath(const std::string& relative)
{
    return std::string(VEXLO_SOURCE_DIR) + "/" + relative;
}

const PropertyDef* KindSet::Find(const std::string& name) const
{
    for (const auto& p : properties)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::string PropertyFileOf(const std::string& tool)
{
    return SourcePath(tool == "C#" ? "properties/CSharp.pty" : "properties/" + tool + ".pty");
}

namespace {

std::string StringField(const PetalValue& object, const char* key)
{
    const PetalValue* v = object.Field(key);
    return v && v->kind == PetalValue::Kind::String ? v->text : std::string();
}

bool IsAttribute(const PetalValue& v)
{
    return v.kind == PetalValue::Kind::Object && v.text == "Attribute";
}

void ReadKindSet(const std::string& tool, const std::string& kind, const PetalValue& list, ToolSets& out)
{
    KindSet set;
    auto problem = [&](const std::string& what) { out.problems.push_back("default__" + kind + ": " + what); };
    if (list.kind != PetalValue::Kind::List || list.text != "Attribute_Set") {
        problem("value is not a (list Attribute_Set ...)");
        return;
    }
    std::set<std::string> names;
    for (const auto& item : list.items) {
        if (!IsAttribute(*item) || StringField(*item, "tool") != tool) {
            problem("entry that is not an Attribute of the tool");
            continue;
        }
        std::string name = StringField(*item, "name");
        if (!names.insert(name).second)
            problem("\"" + name + "\" defined twice");
        const PetalValue* value = item->Field("value");
        if (!value) {
            problem("\"" + name + "\" has no value");
            continue;
        }
        if (value->kind == PetalValue::Kind::List) {
            EnumSet entries;
            std::set<std::string> words;
            std::set<long> codes;
            for (const auto& e : value->items) {
                const PetalValue* code = IsAttribute(*e) ? e->Field("value") : nullptr;
                if (!code || code->kind != PetalValue::Kind::Number || StringField(*e, "tool") != tool) {
                    problem("enumeration \"" + name + "\" has an entry that is not (word, number)");
                    continue;
                }
                std::string word = StringField(*e, "name");
                long n = std::stol(code->text);
                if (!words.insert(word).second || !codes.insert(n).second)
                    problem("enumeration \"" + name + "\" repeats \"" + word + "\" or its code");
                entries.emplace_back(word, n);
            }
            set.enums[name] = entries;
            continue;
        }
        PropertyDef def;
        def.name = name;
        if (value->kind == PetalValue::Kind::String) {
            def.value = value->text;
        } else if (value->kind == PetalValue::Kind::Identifier && (value->text == "TRUE" || value->text == "FALSE")) {
            def.type = PropertyDef::Type::Boolean;
            def.value = value->text;
        } else if (value->kind == PetalValue::Kind::Tuple && value->items.size() == 2 &&
                   value->items[0]->kind == PetalValue::Kind::String &&
                   value->items[1]->kind == PetalValue::Kind::Number) {
            def.type = PropertyDef::Type::Enumeration;
            def.enumSet = value->items[0]->text;
            def.code = std::stol(value->items[1]->text);
        } else {
            problem("\"" + name + "\" has a value that is neither text, TRUE/FALSE nor (\"Set\" code)");
            continue;
        }
        set.properties.push_back(def);
    }
    // Enumerated defaults name their word through a set of the same default set.
    for (auto& p : set.properties) {
        if (p.type != PropertyDef::Type::Enumeration)
            continue;
        auto e = set.enums.find(p.enumSet);
        if (e == set.enums.end()) {
            problem("\"" + p.name + "\" uses the undefined enumeration \"" + p.enumSet + "\"");
            continue;
        }
        for (const auto& [word, code] : e->second)
            if (code == p.code)
                p.value = word;
        if (p.value.empty())
            problem("\"" + p.name + "\" has a code that \"" + p.enumSet + "\" does not define");
    }
    for (const auto& [name, entries] : set.enums) {
        bool used = false;
        for (const auto& p : set.properties)
            used = used || p.enumSet == name;
        if (!used)
            problem("enumeration \"" + name + "\" is used by no property");
    }
    if (out.kinds.count(kind))
        problem("set defined twice");
    out.kinds[kind] = std::move(set);
}

std::vector<std::string> SplitCells(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '|') {
            size_t b = cell.find_first_not_of(' ');
            size_t e = cell.find_last_not_of(' ');
            cells.push_back(b == std::string::npos ? std::string() : cell.substr(b, e - b + 1));
            cell.clear();
        } else {
            cell += line[i];
        }
    }
    return cells;
}

std::string Unquote(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    size_t e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

} // namespace

ToolSets ReadToolSets(const std::string& tool, const std::vector<const PetalValue*>& entries)
{
    ToolSets out;
    out.tool = tool;
    for (const PetalValue* entry : entries) {
        if (!IsAttribute(*entry) || StringField(*entry, "tool") != tool) {
            out.problems.push_back("top-level entry that is not an Attribute of the tool");
            continue;
        }
        std::string name = StringField(*entry, "name");
        const PetalValue* value = entry->Field("value");
        if (name.rfind("default__", 0) == 0 && value)
            ReadKindSet(tool, name.substr(9), *value, out);
        else if (name != "propertyId" && name != "HiddenTool")
            out.problems.push_back("unexpected top-level entry \"" + name + "\"");
    }
    return out;
}

DocTool ReadDocTool(const std::string& markdown, const std::string& tool)
{
    DocTool doc;
    std::istringstream in(markdown);
    std::string line;
    bool inSection = false;
    const std::string heading = "## Tool \"" + tool + "\"";
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("## ", 0) == 0) {
            inSection = line == heading;
            continue;
        }
        if (!inSection || line.rfind("| ", 0) != 0)
            continue;
        std::vector<std::string> cells = SplitCells(line);
        if (cells.size() == 5 && cells[1].size() > 2 && cells[1].front() == '"') {
            DocRow row;
            std::stringstream kinds(cells[0]);
            std::string k;
            while (std::getline(kinds, k, ','))
                row.kinds.push_back(Trim(k));
            row.property = Unquote(cells[1]);
            row.values = cells[2];
            row.defaultValue = Unquote(cells[3]);
            row.hasEffect = cells[4].rfind("No effect", 0) != 0;
            doc.rows.push_back(row);
        } else if (cells.size() == 3 && cells[0].size() > 2 && cells[0].front() == '"') {
            EnumSet entries;
            std::stringstream words(cells[1]);
            std::string w;
            while (std::getline(words, w, ',')) {
                w = Trim(w);
                size_t blank = w.rfind(' ');
                if (blank == std::string::npos)
                    continue;
                entries.emplace_back(w.substr(0, blank), std::stol(w.substr(blank + 1)));
            }
            doc.enums[Unquote(cells[0])] = entries;
        }
    }
    return doc;
}

} // namespace PropsTest
