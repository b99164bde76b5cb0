// The bundled example model: well-formed petal, consistent references, overrides that
// name real properties of the shipped sets, and every construct the sets offer.
#include "PropertySets.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using namespace PropsTest;

namespace {

const char* const kTools[] = {"Delphi", "C#"};

// The default set that applies to an element, by its petal object type.
std::string KindOf(const PetalValue& object)
{
    static const std::map<std::string, std::string> kinds = {
        {"Design", "Project"},     {"Class_Category", "Category"}, {"SubSystem", "Subsystem"},
        {"module", "Module-Spec"}, {"Class", "Class"},             {"ClassAttribute", "Attribute"},
        {"Operation", "Operation"}, {"Role", "Role"},              {"Has_Relationship", "Has"},
        {"Parameter", "Param"},    {"Association", "Association"}, {"Inheritance_Relationship", "Inherit"},
        {"Uses_Relationship", "Uses"}};
    auto k = kinds.find(object.text);
    return k == kinds.end() ? std::string() : k->second;
}

class ExampleModel : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_roots = ReadPetal(ReadFile(SourcePath("examples/Example.mdl")));
        for (const char* tool : kTools) {
            auto roots = ReadPetal(ReadFile(PropertyFileOf(tool)));
            std::vector<const PetalValue*> entries;
            for (size_t i = 1; i < roots.size(); ++i)
                entries.push_back(roots[i].get());
            s_shipped[tool] = ReadToolSets(tool, entries);
            s_pty[tool] = std::move(roots);
        }
    }
    static void TearDownTestSuite()
    {
        s_roots.clear();
        s_pty.clear();
        s_shipped.clear();
    }

    static const PetalValue& Design() { return *s_roots.at(1); }

    // Calls `visit(element, owner class)` for every element object; the owner class is the
    // nearest enclosing Class (for members) or the element itself.
    static void ForEachElement(const std::function<void(const PetalValue&, const PetalValue*)>& visit)
    {
        std::function<void(const PetalValue&, const PetalValue*)> walk = [&](const PetalValue& v,
                                                                             const PetalValue* cls) {
            if (v.kind == PetalValue::Kind::Object) {
                if (v.text == "Class")
                    cls = &v;
                if (v.text == "Properties")
                    return; // the model's default sets, not an element
                visit(v, cls);
            }
            for (const auto& f : v.fields)
                walk(*f.second, cls);
            for (const auto& i : v.items)
                walk(*i, cls);
        };
        walk(Design(), nullptr);
    }

    static std::vector<PetalPtr> s_roots;
    static std::map<std::string, std::vector<PetalPtr>> s_pty;
    static std::map<std::string, ToolSets> s_shipped;
};

std::vector<PetalPtr> ExampleModel::s_roots;
std::map<std::string, std::vector<PetalPtr>> ExampleModel::s_pty;
std::map<std::string, ToolSets> ExampleModel::s_shipped;

TEST_F(ExampleModel, IsARoseModelFile)
{
    ASSERT_EQ(s_roots.size(), 2u);
    const PetalValue& header = *s_roots[0];
    EXPECT_EQ(header.text, "Petal");
    ASSERT_NE(header.Field("version"), nullptr);
    EXPECT_EQ(header.Field("version")->text, "45");
    EXPECT_EQ(Design().text, "Design");
    EXPECT_EQ(Design().Name(), "Logical View");
    for (const char* key : {"root_category", "root_subsystem", "properties"})
        EXPECT_NE(Design().Field(key), nullptr) << key;
    EXPECT_EQ(Design().Field("root_category")->Name(), "Logical View");
    EXPECT_EQ(Design().Field("root_subsystem")->Name(), "Component View");
}

TEST_F(ExampleModel, UniqueIdsAndReferencesAgree)
{
    std::map<std::string, const PetalValue*> byQuid;
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        if (const PetalValue* q = e.Field("quid")) {
            EXPECT_EQ(q->text.size(), 12u) << q->text;
            EXPECT_EQ(q->text.find_first_not_of("0123456789ABCDEF"), std::string::npos) << q->text;
            EXPECT_TRUE(byQuid.emplace(q->text, &e).second) << "quid " << q->text << " used twice";
        }
    });
    EXPECT_GT(byQuid.size(), 100u);

    // Every quidu names an element whose name ends the path in the field before it.
    size_t references = 0;
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        for (size_t i = 1; i < e.fields.size(); ++i) {
            if (e.fields[i].first != "quidu")
                continue;
            ++references;
            const std::string& quidu = e.fields[i].second->text;
            auto target = byQuid.find(quidu);
            if (target == byQuid.end()) {
                ADD_FAILURE() << "quidu " << quidu << " refers to nothing (line " << e.line << ")";
                continue;
            }
            const std::string& path = e.fields[i - 1].second->text;
            std::string last = path.substr(path.rfind("::") == std::string::npos ? 0 : path.rfind("::") + 2);
            EXPECT_EQ(last, target->second->Name()) << e.fields[i - 1].first << " " << path;
        }
    });
    EXPECT_GT(references, 50u);
}

TEST_F(ExampleModel, OverridesNameShippedPropertiesWithValidValues)
{
    size_t overrides = 0;
    ForEachElement([&](const PetalValue& e, const PetalValue* cls) {
        const PetalValue* attrs = e.Field("attributes");
        if (!attrs)
            return;
        const std::string kind = KindOf(e);
        ASSERT_FALSE(kind.empty()) << e.text << " carries properties";
        for (const auto& a : attrs->items) {
            const std::string tool = a->Field("tool")->text;
            const std::string name = a->Field("name")->text;
            const PetalValue& value = *a->Field("value");
            ASSERT_TRUE(s_shipped.count(tool)) << "tool " << tool;
            ++overrides;
            const auto& kinds = s_shipped[tool].kinds;
            auto k = kinds.find(kind);
            const PropertyDef* def = k == kinds.end() ? nullptr : k->second.Find(name);
            if (!def) {
                ADD_FAILURE() << e.Name() << ": " << tool << " has no " << kind << " property \"" << name << "\"";
                continue;
            }
            // A class or member carries only properties of its own language.
            if (cls && cls->Field("language")) {
                EXPECT_EQ(cls->Field("language")->text, tool) << e.Name() << " \"" << name << "\"";
            }
            switch (def->type) {
            case PropertyDef::Type::Boolean:
                EXPECT_TRUE(value.text == "TRUE" || value.text == "FALSE") << e.Name() << " \"" << name << "\"";
                break;
            case PropertyDef::Type::Text:
                EXPECT_TRUE(value.kind == PetalValue::Kind::String || value.kind == PetalValue::Kind::Value)
                    << e.Name() << " \"" << name << "\"";
                break;
            case PropertyDef::Type::Enumeration: {
                ASSERT_EQ(value.kind, PetalValue::Kind::Tuple) << e.Name() << " \"" << name << "\"";
                EXPECT_EQ(value.items.at(0)->text, def->enumSet);
                bool known = false;
                for (const auto& [word, code] : k->second.enums.at(def->enumSet))
                    known = known || std::to_string(code) == value.items.at(1)->text;
                EXPECT_TRUE(known) << e.Name() << " \"" << name << "\" code " << value.items.at(1)->text;
                break;
            }
            }
        }
    });
    EXPECT_GT(overrides, 100u);
}

TEST_F(ExampleModel, CarriesTheShippedDefaultSets)
{
    const PetalValue* attrs = Design().Field("properties")->Field("attributes");
    ASSERT_NE(attrs, nullptr);
    for (const char* tool : kTools) {
        std::vector<const PetalValue*> entries;
        for (const auto& a : attrs->items)
            if (a->Field("tool") && a->Field("tool")->text == tool)
                entries.push_back(a.get());
        ToolSets inModel = ReadToolSets(tool, entries);
        EXPECT_TRUE(inModel.problems.empty());
        const ToolSets& shipped = s_shipped[tool];
        ASSERT_EQ(inModel.kinds.size(), shipped.kinds.size()) << tool;
        for (const auto& [kind, set] : shipped.kinds) {
            const KindSet& mine = inModel.kinds[kind];
            ASSERT_EQ(mine.properties.size(), set.properties.size()) << tool << " " << kind;
            for (size_t i = 0; i < set.properties.size(); ++i) {
                EXPECT_EQ(mine.properties[i].name, set.properties[i].name) << tool << " " << kind;
                EXPECT_EQ(mine.properties[i].value, set.properties[i].value)
                    << tool << " " << kind << " \"" << set.properties[i].name << "\"";
            }
            EXPECT_EQ(mine.enums, set.enums) << tool << " " << kind;
        }
    }
}

// Roles are generated by the rules of attributes, so either may show a value.
std::string CoverageKind(const std::string& kind)
{
    return kind == "Role" ? "Attribute" : kind;
}

// Each word of every enumeration that changes the output is either the default or set
// somewhere in the example, so generating the example shows every construct.
TEST_F(ExampleModel, UsesEveryEnumeratedValueThatChangesTheOutput)
{
    std::set<std::string> used; // tool|kind|property|code
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        if (const PetalValue* attrs = e.Field("attributes"))
            for (const auto& a : attrs->items) {
                const PetalValue& v = *a->Field("value");
                if (v.kind == PetalValue::Kind::Tuple && v.items.size() == 2)
                    used.insert(a->Field("tool")->text + "|" + CoverageKind(KindOf(e)) + "|" + a->Field("name")->text + "|" +
                                v.items[1]->text);
            }
    });
    const std::string docs = ReadFile(SourcePath("docs/PROPERTIES.md"));
    for (const char* tool : kTools) {
        DocTool doc = ReadDocTool(docs, tool);
        for (const auto& [kind, set] : s_shipped[tool].kinds) {
            if (kind == "Module-Body")
                continue; // components of the example are all Module-Spec components
            for (const PropertyDef& p : set.properties) {
                if (p.type != PropertyDef::Type::Enumeration)
                    continue;
                bool effect = true;
                for (const DocRow& row : doc.rows)
                    for (const std::string& k : row.kinds)
                        if (k == kind && row.property == p.name)
                            effect = row.hasEffect;
                if (!effect)
                    continue;
                for (const auto& [word, code] : set.enums.at(p.enumSet)) {
                    if (word == p.value)
                        continue;
                    EXPECT_TRUE(used.count(std::string(tool) + "|" + CoverageKind(kind) + "|" + p.name + "|" +
                                           std::to_string(code)))
                        << tool << " " << kind << " \"" << p.name << "\" = " << word << " is not exercised";
                }
            }
        }
    }
}

TEST_F(ExampleModel, ClassesLiveInComponentsOfTheirLanguage)
{
    std::map<std::string, std::string> moduleLanguage; // quid -> language
    size_t delphi = 0, csharp = 0;
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        if (e.text == "module") {
            const std::string lang = e.Field("language")->text;
            EXPECT_TRUE(lang == "Delphi" || lang == "C#") << e.Name();
            moduleLanguage[e.Field("quid")->text] = lang;
            (lang == "Delphi" ? delphi : csharp)++;
        }
    });
    EXPECT_GE(delphi, 5u);
    EXPECT_GE(csharp, 2u);
    size_t assigned = 0;
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        if (e.text != "Class" || !e.Field("module"))
            return;
        ++assigned;
        const std::string& quidu = e.Field("quidu")->text; // the one after "module"
        ASSERT_TRUE(moduleLanguage.count(quidu)) << e.Name();
        EXPECT_EQ(moduleLanguage[quidu], e.Field("language")->text) << e.Name();
    });
    EXPECT_GT(assigned, 20u);
}

// Associations carry the role facets the generators look at and those they ignore.
TEST_F(ExampleModel, AssociationsCoverRoleFacets)
{
    std::set<std::string> cardinalities;
    size_t aggregates = 0, plainNavigable = 0, reflexive = 0;
    ForEachElement([&](const PetalValue& e, const PetalValue*) {
        if (e.text == "Role") {
            if (const PetalValue* c = e.Field("client_cardinality"))
                cardinalities.insert(c->items.at(0)->text);
            if (e.Field("is_aggregate"))
                ++aggregates;
            else if (e.Field("is_navigable"))
                ++plainNavigable;
        }
        if (e.text == "Association") {
            const auto& roles = e.Field("roles")->items;
            ASSERT_EQ(roles.size(), 2u);
            if (roles[0]->Field("quidu")->text == roles[1]->Field("quidu")->text)
                ++reflexive;
        }
    });
    for (const char* c : {"1", "0..1", "0..n", "1..n"})
        EXPECT_TRUE(cardinalities.count(c)) << c;
    EXPECT_GE(aggregates, 8u);
    EXPECT_GE(plainNavigable, 4u);
    EXPECT_GE(reflexive, 2u);
}

} // namespace
