// The shipped property files, read by the host's loader, in step with docs/PROPERTIES.md:
// the same properties per element kind, the same defaults, the same enumerations.
#include "ModelLoader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace RoseHost;

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(" \r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string Unquote(const std::string& s)
{
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

using EnumSet = std::vector<std::pair<std::string, std::string>>; // word, code

struct DocRow {
    std::vector<std::string> kinds;
    std::string property, values, defaultValue;
};

struct DocTool {
    std::vector<DocRow> rows;
    std::map<std::string, EnumSet> enums;
};

// The tables of the section 'Tool "<tool>"': property rows (5 cells) and enumeration rows (3).
DocTool ReadDocTool(const std::string& tool)
{
    std::ifstream in(std::string(VEXLO_SOURCE_DIR) + "/docs/PROPERTIES.md");
    DocTool doc;
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## ", 0) == 0)
            inSection = line == "## Tool \"" + tool + "\"";
        if (!inSection || line.rfind("| ", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        for (std::string cell; std::getline(row, cell, '|');)
            cells.push_back(Trim(cell));
        std::vector<std::string> list;
        std::stringstream items(cells.size() > 1 ? cells[cells.size() == 3 ? 1 : 0] : "");
        for (std::string item; std::getline(items, item, ',');)
            list.push_back(Trim(item));
        if (cells.size() == 5 && cells[1].size() > 2 && cells[1].front() == '"') {
            doc.rows.push_back({list, Unquote(cells[1]), cells[2], Unquote(cells[3])});
        } else if (cells.size() == 3 && cells[0].size() > 2 && cells[0].front() == '"') {
            EnumSet& set = doc.enums[Unquote(cells[0])];
            for (const std::string& entry : list)
                set.emplace_back(entry.substr(0, entry.rfind(' ')), entry.substr(entry.rfind(' ') + 1));
        }
    }
    return doc;
}

class PropertyFile : public ::testing::TestWithParam<const char*> {};

TEST_P(PropertyFile, MatchesTheDocumentation)
{
    const std::string tool = GetParam();
    const std::string file = tool == "C#" ? "CSharp" : tool;
    DefaultPropertySets sets;
    ASSERT_NO_THROW(sets = LoadPropertyFile(
                        std::wstring(VEXLO_SOURCE_DIR L"/properties/") + std::wstring(file.begin(), file.end()) + L".pty",
                        LoadOptions{}));
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Narrow(sets.begin()->first), tool);

    // kind -> property -> definition; set name -> entries, the same in every kind that has it.
    std::map<std::string, std::map<std::string, const ToolProperty*>> kinds;
    std::map<std::string, EnumSet> enums;
    for (const auto& [kind, props] : sets.begin()->second)
        for (const ToolProperty& p : props) {
            if (p.type != L"List") {
                kinds[Narrow(kind)][Narrow(p.name)] = &p;
                continue;
            }
            EnumSet entries;
            for (const ToolProperty& e : p.items)
                entries.emplace_back(Narrow(e.name), Narrow(e.value));
            auto [it, added] = enums.emplace(Narrow(p.name), entries);
            EXPECT_TRUE(added || it->second == entries) << Narrow(p.name) << " differs between element kinds";
        }
    const std::set<std::string> known = {"Project", "Category", "Subsystem", "Module-Spec", "Module-Body",
                                         "Class",   "Attribute", "Role",     "Operation",   "Has"};
    for (const auto& [kind, props] : kinds)
        EXPECT_TRUE(known.count(kind)) << "unknown element kind " << kind;

    DocTool doc = ReadDocTool(tool);
    ASSERT_FALSE(doc.rows.empty()) << "no property table for " << tool;
    std::set<std::pair<std::string, std::string>> documented;
    for (const DocRow& row : doc.rows)
        for (const std::string& kind : row.kinds) {
            const std::string what = kind + " \"" + row.property + "\"";
            EXPECT_TRUE(documented.insert({kind, row.property}).second) << what << " documented twice";
            auto def = kinds[kind].find(row.property);
            if (def == kinds[kind].end()) {
                ADD_FAILURE() << what << " is documented but not in the .pty file";
                continue;
            }
            const ToolProperty& p = *def->second;
            EXPECT_EQ(Narrow(p.value), row.defaultValue) << "default of " << what;
            if (p.type == L"Boolean") {
                EXPECT_EQ(row.values, "boolean") << what;
            }
            if (p.type == L"Enumeration") {
                // The values column lists the words of the set, in its order.
                std::string words;
                for (const auto& [word, code] : enums[Narrow(p.enumSet)])
                    words += (words.empty() ? "" : ", ") + word;
                EXPECT_EQ(row.values, words) << what;
            }
        }
    for (const auto& [kind, props] : kinds)
        for (const auto& [name, p] : props)
            EXPECT_TRUE(documented.count({kind, name})) << kind << " \"" << name << "\" is not documented";
    EXPECT_EQ(enums, doc.enums);
}

INSTANTIATE_TEST_SUITE_P(Tools, PropertyFile, ::testing::Values("Delphi", "C#"),
                         [](const auto& info) { return std::string(info.param) == "C#" ? "CSharp" : info.param; });

} // namespace
