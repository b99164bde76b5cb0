// The property files of the two tools: well-formed petal in the documented layout, and
// in step with docs/PROPERTIES.md (same properties per element kind, same defaults, same
// enumerations).
#include "PropertySets.h"

#include <gtest/gtest.h>

#include <set>

using namespace PropsTest;

namespace {

struct LoadedTool {
    std::vector<PetalPtr> roots;
    ToolSets sets;
};

LoadedTool LoadPropertyFile(const std::string& tool)
{
    LoadedTool t;
    t.roots = ReadPetal(ReadFile(PropertyFileOf(tool)));
    std::vector<const PetalValue*> entries;
    for (size_t i = 1; i < t.roots.size(); ++i)
        entries.push_back(t.roots[i].get());
    t.sets = ReadToolSets(tool, entries);
    return t;
}

std::string Join(const std::vector<std::string>& v)
{
    std::string s;
    for (const auto& x : v)
        s += "\n  " + x;
    return s;
}

class PropertyFile : public ::testing::TestWithParam<const char*> {};

TEST_P(PropertyFile, IsPetalInTheDocumentedLayout)
{
    const std::string tool = GetParam();
    LoadedTool t;
    ASSERT_NO_THROW(t = LoadPropertyFile(tool));
    ASSERT_GE(t.roots.size(), 2u);
    const PetalValue& header = *t.roots[0];
    EXPECT_EQ(header.kind, PetalValue::Kind::Object);
    EXPECT_EQ(header.text, "Petal");
    for (const char* key : {"version", "_written", "charSet"})
        EXPECT_NE(header.Field(key), nullptr) << key;
    EXPECT_TRUE(t.sets.problems.empty()) << Join(t.sets.problems);

    // The first entry identifies the set, the last one shows the tool.
    EXPECT_EQ(t.roots[1]->Field("name")->text, "propertyId");
    EXPECT_EQ(t.roots.back()->Field("name")->text, "HiddenTool");

    const std::set<std::string> known = {"Project", "Category", "Subsystem", "Module-Spec", "Module-Body",
                                         "Class", "Attribute", "Role", "Operation", "Has"};
    for (const auto& [kind, set] : t.sets.kinds) {
        EXPECT_TRUE(known.count(kind)) << "unknown element kind " << kind;
        EXPECT_FALSE(set.properties.empty()) << kind;
    }
    // Components of either kind part get the same properties.
    ASSERT_TRUE(t.sets.kinds.count("Module-Spec") && t.sets.kinds.count("Module-Body"));
    const KindSet& spec = t.sets.kinds.at("Module-Spec");
    const KindSet& body = t.sets.kinds.at("Module-Body");
    ASSERT_EQ(spec.properties.size(), body.properties.size());
    for (size_t i = 0; i < spec.properties.size(); ++i) {
        EXPECT_EQ(spec.properties[i].name, body.properties[i].name);
        EXPECT_EQ(spec.properties[i].value, body.properties[i].value);
    }
}

TEST_P(PropertyFile, MatchesTheDocumentation)
{
    const std::string tool = GetParam();
    LoadedTool t = LoadPropertyFile(tool);
    DocTool doc = ReadDocTool(ReadFile(SourcePath("docs/PROPERTIES.md")), tool);
    ASSERT_FALSE(doc.rows.empty()) << "no property table for " << tool;

    std::set<std::pair<std::string, std::string>> documented;
    for (const DocRow& row : doc.rows) {
        for (const std::string& kind : row.kinds) {
            EXPECT_TRUE(documented.insert({kind, row.property}).second)
                << kind << " \"" << row.property << "\" documented twice";
            auto k = t.sets.kinds.find(kind);
            const PropertyDef* def = k == t.sets.kinds.end() ? nullptr : k->second.Find(row.property);
            if (!def) {
                ADD_FAILURE() << kind << " \"" << row.property << "\" is documented but not in the .pty file";
                continue;
            }
            EXPECT_EQ(def->value, row.defaultValue) << "default of " << kind << " \"" << row.property << "\"";
            if (def->type == PropertyDef::Type::Boolean) {
                EXPECT_EQ(row.values, "boolean") << kind << " \"" << row.property << "\"";
            }
            if (def->type == PropertyDef::Type::Enumeration) {
                // The values column lists the words of the set, in its order.
                std::string words;
                for (const auto& [word, code] : k->second.enums.at(def->enumSet))
                    words += (words.empty() ? "" : ", ") + word;
                EXPECT_EQ(row.values, words) << kind << " \"" << row.property << "\"";
            }
        }
    }
    for (const auto& [kind, set] : t.sets.kinds)
        for (const PropertyDef& p : set.properties)
            EXPECT_TRUE(documented.count({kind, p.name}))
                << kind << " \"" << p.name << "\" is in the .pty file but not documented";

    // Every enumeration of the file is in the documentation's table with the same codes.
    std::map<std::string, EnumSet> inFile;
    for (const auto& [kind, set] : t.sets.kinds)
        for (const auto& [name, entries] : set.enums) {
            auto [it, added] = inFile.emplace(name, entries);
            EXPECT_TRUE(added || it->second == entries) << name << " differs between element kinds";
        }
    EXPECT_EQ(inFile, doc.enums);
}

INSTANTIATE_TEST_SUITE_P(Tools, PropertyFile, ::testing::Values("Delphi", "C#"),
                         [](const auto& info) { return std::string(info.param) == "C#" ? "CSharp" : info.param; });

// The defaults that keep generated paths and directives sane.
TEST(PropertyDefaults, KeepPathsRelativeAndDirectivesIntact)
{
    struct Case {
        const char* tool;
        const char* kind;
        const char* property;
        const char* value;
    };
    const Case cases[] = {
        {"Delphi", "Project", "Directory", "."},          {"C#", "Project", "Directory", "."},
        {"Delphi", "Subsystem", "Directory", "AUTO GENERATE"}, {"C#", "Subsystem", "Directory", "AUTO GENERATE"},
        {"Delphi", "Module-Spec", "GenerateCode", "TRUE"}, {"Delphi", "Module-Spec", "ComponentKind", "unit"},
        {"C#", "Module-Spec", "GenerateCode", "TRUE"},     {"Delphi", "Class", "GenerateCode", "TRUE"},
        {"C#", "Class", "GenerateCode", "TRUE"},           {"Delphi", "Attribute", "GenerateCode", "TRUE"},
        {"C#", "Attribute", "GenerateCode", "TRUE"},       {"Delphi", "Role", "GenerateCode", "TRUE"},
        {"C#", "Category", "IsNamespace", "FALSE"},        {"Delphi", "Operation", "CallingConvention", "none"},
        {"Delphi", "Class", "Kind", "class"},              {"C#", "Class", "Kind", "class"},
    };
    std::map<std::string, ToolSets> tools = {{"Delphi", LoadPropertyFile("Delphi").sets},
                                             {"C#", LoadPropertyFile("C#").sets}};
    for (const Case& c : cases) {
        const KindSet& set = tools.at(c.tool).kinds[c.kind];
        const PropertyDef* p = set.Find(c.property);
        ASSERT_NE(p, nullptr) << c.tool << " " << c.kind << " " << c.property;
        EXPECT_EQ(p->value, c.value) << c.tool << " " << c.kind << " " << c.property;
    }
}

} // namespace
