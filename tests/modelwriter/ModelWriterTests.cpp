// The model writer: every edit of a table on the example model, reloaded by the loader:
// the change is there, nothing else moved, no new warning. And the loader's places of
// every element of the sample models point at the element's own object.
#include "ModelLoader.h"
#include "ModelWriter.h"
#include "PetalText.h"
#include "SampleModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <set>
#include <sstream>

using namespace RoseHost;
using namespace VexloModelWriter;

namespace {

// A unit's name may come with the model's "\\" separators.
std::filesystem::path PathOf(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::optional<std::string> Read(const std::wstring& path)
{
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

Class* FindClass(const Model& m, const std::wstring& name)
{
    for (Class* c : m.allClasses)
        if (c->name == name)
            return c;
    return nullptr;
}

template <class T> T* Named(const std::vector<T*>& items, const std::wstring& name)
{
    for (T* item : items)
        if (item->name == name)
            return item;
    return nullptr;
}

struct Edit {
    const char* what;
    std::function<void(ModelWriter&, const Model&)> edit;
    std::function<void(const Model&)> check;
};

const Edit kEdits[] = {
    {"add attribute",
     [](ModelWriter& w, const Model& m) {
         w.AddAttribute(*FindClass(m, L"TItem"), {"Shelf", "string", "'A1'", "Public", true, "Where it stands.", {}});
     },
     [](const Model& m) {
         const Attribute* a = Named(FindClass(m, L"TItem")->attributes, L"Shelf");
         ASSERT_TRUE(a);
         EXPECT_EQ(a->type, L"string");
         EXPECT_EQ(a->initValue, L"'A1'");
         EXPECT_EQ(a->exportControl, PublicAccess);
         EXPECT_TRUE(a->isStatic);
         EXPECT_EQ(a->documentation, L"Where it stands.");
         EXPECT_EQ(a->quid.size(), 12u);
     }},
    {"add operation with parameters and settings",
     [](ModelWriter& w, const Model& m) {
         w.AddOperation(*FindClass(m, L"TItem"),
                        {"Summary", "string", "Protected", "Line one\nline \"two\"",
                         {{"AWidth", "Integer", ""}, {"ASep", "Char", "','"}},
                         {{"Delphi", "IsOverload", "TRUE", true}}});
     },
     [](const Model& m) {
         const Operation* o = Named(FindClass(m, L"TItem")->operations, L"Summary");
         ASSERT_TRUE(o);
         EXPECT_EQ(o->returnType, L"string");
         EXPECT_EQ(o->exportControl, ProtectedAccess);
         EXPECT_EQ(o->documentation, L"Line one\r\nline \"two\"");
         ASSERT_EQ(o->parameters.size(), 2u);
         EXPECT_EQ(o->parameters[1]->name, L"ASep");
         EXPECT_EQ(o->parameters[1]->initValue, L"','");
         EXPECT_EQ(m.GetPropertyValue(*o, L"Delphi", L"IsOverload"), L"TRUE");
     }},
    {"rename, retype, document, set a property",
     [](ModelWriter& w, const Model& m) {
         const Class* c = FindClass(m, L"TDateRange");
         w.Rename(*c->attributes[0], "FirstDay");
         w.SetString(*c->attributes[0], "type", "TDate");
         w.SetString(*c, "documentation", "A span \\ of days.");
         w.SetSetting(*c->attributes[1], {"Delphi", "IsProperty", "TRUE", true});
     },
     [](const Model& m) {
         const Class* c = FindClass(m, L"TDateRange");
         EXPECT_EQ(c->attributes[0]->name, L"FirstDay");
         EXPECT_EQ(c->attributes[0]->type, L"TDate");
         EXPECT_EQ(c->documentation, L"A span \\ of days.");
         EXPECT_EQ(m.GetPropertyValue(*c->attributes[1], L"Delphi", L"IsProperty"), L"TRUE");
     }},
    {"replace parameters, remove an operation",
     [](ModelWriter& w, const Model& m) {
         const Class* c = FindClass(m, L"IBorrowable");
         w.ReplaceParameters(*c->operations[0], {{"AWho", "TMember", ""}});
         w.Remove(*c->operations[2]);
     },
     [](const Model& m) {
         const Class* c = FindClass(m, L"IBorrowable");
         ASSERT_EQ(c->operations.size(), 2u);
         ASSERT_EQ(c->operations[0]->parameters.size(), 1u);
         EXPECT_EQ(c->operations[0]->parameters[0]->type, L"TMember");
     }},
    {"enumeration values put before and after others, a role's end moved to another class",
     [](ModelWriter& w, const Model& m) {
         const Class* state = FindClass(m, L"TItemState");
         w.InsertAttribute(*state->attributes[0], true, {"isNew", "", "", "Public", false, "", {}});
         w.InsertAttribute(*state->attributes[1], false, {"isGone", "", "5", "Public", false, "", {}});
         for (const Association* a : m.allAssociations)
             for (const Role* r : {a->role1, a->role2})
                 if (r && r->quid == L"62B0A1C300C4") // the end of Loan's role Book, at Book
                     w.SetRoleClass(*r, *FindClass(m, L"Member"));
     },
     [](const Model& m) {
         std::wstring names;
         for (const Attribute* a : FindClass(m, L"TItemState")->attributes)
             names += a->name + L" ";
         EXPECT_EQ(names, L"isNew isAvailable isOnLoan isGone isReserved isLost ");
         EXPECT_EQ(Named(FindClass(m, L"TItemState")->attributes, L"isGone")->initValue, L"5");
         const Role* book = Named(FindClass(m, L"Loan")->roles, L"Book");
         ASSERT_TRUE(book && book->OtherRole());
         EXPECT_EQ(book->OtherRole()->cls, FindClass(m, L"Member"));
     }},
    {"add class with members and a superclass, add a base",
     [](ModelWriter& w, const Model& m) {
         const Class* item = FindClass(m, L"TItem");
         NewClass c{"TJournal", "A periodical.", "", "Delphi", {}, {{"Issue", "Integer", "", "Private", false, "", {}}},
                    {{"Describe", "string", "Public", "", {}, {}}}, {item}};
         w.AddClass(*item->parentCategory, item->assignedModules[0], c);
         w.AddSuperclass(*FindClass(m, L"TDateRange"), *FindClass(m, L"TInterfacedObject"));
     },
     [](const Model& m) {
         const Class* c = FindClass(m, L"TJournal");
         ASSERT_TRUE(c);
         EXPECT_EQ(c->documentation, L"A periodical.");
         ASSERT_EQ(c->superclasses.size(), 1u);
         EXPECT_EQ(c->superclasses[0]->supplier, FindClass(m, L"TItem"));
         ASSERT_EQ(c->assignedModules.size(), 1u);
         EXPECT_EQ(c->assignedModules[0], FindClass(m, L"TItem")->assignedModules[0]);
         EXPECT_EQ(c->attributes.size(), 1u);
         EXPECT_EQ(c->operations.size(), 1u);
         EXPECT_EQ(std::wstring(c->language), L"Delphi");
         EXPECT_EQ(FindClass(m, L"TDateRange")->superclasses.size(), 1u);
     }},
    {"add classes based on classes added before them; none on a class nobody added",
     [](ModelWriter& w, const Model& m) {
         const Class* item = FindClass(m, L"TItem");
         NewClass nowhere{"TLost", "", "", "Delphi", {}, {}, {}, {std::string("TNowhere")}};
         EXPECT_THROW(w.AddClass(*item->parentCategory, item->assignedModules[0], nowhere), std::runtime_error);
         for (const char* name : {"TPeriodical", "TDaily"}) {
             NewClass c{name, "", "", "Delphi", {}, {}, {}, {}};
             c.superclasses.push_back(name[1] == 'P' ? NewBase(item) : NewBase(std::string("TPeriodical")));
             c.superclasses.push_back(FindClass(m, L"IBorrowable"));
             w.AddClass(*item->parentCategory, item->assignedModules[0], c);
         }
     },
     [](const Model& m) {
         EXPECT_FALSE(FindClass(m, L"TLost"));
         const Class* daily = FindClass(m, L"TDaily");
         ASSERT_TRUE(daily);
         ASSERT_EQ(daily->superclasses.size(), 2u);
         EXPECT_EQ(daily->superclasses[0]->supplier, FindClass(m, L"TPeriodical"));
         EXPECT_EQ(daily->superclasses[1]->supplier, FindClass(m, L"IBorrowable"));
         EXPECT_EQ(FindClass(m, L"TPeriodical")->superclasses[0]->supplier, FindClass(m, L"TItem"));
     }},
};

TEST(ModelWriter, EditsReloadWithTheChangeAndNothingElse)
{
    const std::wstring example = Widen(EXAMPLE_MODEL);
    const std::string before = *Read(example);
    const auto dir = std::filesystem::temp_directory_path() / ("vexlo-mw-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const Edit& e : kEdits) {
        SCOPED_TRACE(e.what);
        auto model = LoadRoseModel(example, {});
        ModelWriter writer(*model, Read);
        std::string line;
        EXPECT_TRUE(writer.Texts().empty());
        e.edit(writer, *model);
        auto texts = writer.Texts();
        ASSERT_EQ(texts.size(), 1u);
        const std::string& after = texts.begin()->second;
        // Only the lines of the objects the edit touched are gone: every other line stays.
        std::multiset<std::string> lines;
        for (std::istringstream in(after); std::getline(in, line);)
            lines.insert(line);
        size_t gone = 0;
        for (std::istringstream in(before); std::getline(in, line);) {
            auto it = lines.find(line);
            if (it == lines.end())
                ++gone;
            else
                lines.erase(it);
        }
        EXPECT_LE(gone, 20u);
        EXPECT_EQ(after.find('\r') != std::string::npos, before.find('\r') != std::string::npos);
        const std::filesystem::path out = dir / "Example.mdl";
        std::ofstream(out, std::ios::binary) << after;
        auto reloaded = LoadRoseModel(out.wstring(), {});
        EXPECT_EQ(reloaded->unresolved.size(), model->unresolved.size());
        e.check(*reloaded);
    }
    std::filesystem::remove_all(dir);
}

// The loader's byte range of every element holds its own object: the writer's edits land there.
TEST(ModelWriter, LoaderPlacesHoldEachElementsObject)
{
    std::vector<std::wstring> files = {Widen(EXAMPLE_MODEL)};
    if (SampleFolder::Present())
        for (const char* f : {"atm.mdl", "umldemo.mdl", "zelva-design.mdl"})
            files.push_back(Widen(SampleFolder::Dir() + "/" + f));
    for (const std::wstring& file : files) {
        auto model = LoadRoseModel(file, {});
        std::map<std::wstring, std::string> texts;
        size_t checked = 0;
        for (const auto& e : model->elements) {
            if (e->textEnd == 0 || e->kind == ElementKind::Model)
                continue;
            auto [it, fresh] = texts.try_emplace(e->SourceFile());
            if (fresh)
                it->second = *Read(e->SourceFile());
            ObjectSpan o = ScanObject(it->second, e->textBegin, e->textEnd);
            if (!e->quid.empty() && e->kind != ElementKind::Parameter) { // a parameter's id is made up by the loader
                const FieldSpan* q = o.Find("quid");
                ASSERT_TRUE(q) << Narrow(e->name);
                EXPECT_EQ(it->second.substr(q->valueBegin + 1, 12), Narrow(e->quid));
            }
            ++checked;
        }
        EXPECT_GT(checked, 10u);
    }
}

// A change of an element of a controlled unit writes the unit, and only it.
TEST(ModelWriter, AnElementOfAUnitIsWrittenInItsUnit)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vexlo-mwu-" + std::to_string(getpid()));
    fs::copy(SampleFolder::Dir() + "/emf", dir, fs::copy_options::recursive);
    fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    LoadOptions options;
    options.pathMap[L"VABASE_PLUGINS_PATH"] = (dir / "plugins").wstring();
    const std::wstring mdl = (dir / "plugins/org.eclipse.emf.ecore/model/Ecore.mdl").wstring();
    auto model = LoadRoseModel(mdl, options);
    const Class* cls = nullptr;
    for (const Class* c : model->allClasses)
        if (!c->unitFile.empty() && !c->attributes.empty())
            cls = c;
    ASSERT_TRUE(cls);
    const std::string oldName = Narrow(cls->name), newName = oldName + "Renamed";
    ModelWriter writer(*model, Read);
    writer.Rename(*cls, newName);
    writer.AddAttribute(*cls, {"extra", "EString", "", "Public", false, "", {}});
    auto texts = writer.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.begin()->first, cls->SourceFile());
    std::ofstream(PathOf(texts.begin()->first), std::ios::binary) << texts.begin()->second;
    auto reloaded = LoadRoseModel(mdl, options);
    const Class* again = FindClass(*reloaded, Widen(newName));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->quid, cls->quid);
    EXPECT_TRUE(Named(again->attributes, L"extra"));
    EXPECT_EQ(reloaded->unresolved.size(), model->unresolved.size());
    fs::remove_all(dir);
}

} // namespace
