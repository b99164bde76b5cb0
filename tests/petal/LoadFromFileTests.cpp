// A model file read from disk gives back its text's memory as the loader passes it: the
// model, and every error, must be what reading the text held in full to the end gives.
#include "TestSupport.h"

#include <filesystem>
#include <functional>

using namespace RoseHost;
using namespace PetalTest;

namespace {

// Megabytes of classes whose package, and the model, keep values from before the classes
// until their end; the classes keep some from before and after their members.
std::string BigText(int classes, const std::string& tail = "")
{
    // Pages are given back whole: the kept values start a few pages in.
    std::string t = "(object Petal version 42 charSet 0)\n(object Filler text \"" + std::string(10000, 'x') + "\")\n"
                    "(object Design \"Logical View\" quid \"Q0\" documentation \"the design\"\n"
                    " root_category (object Class_Category \"Logical View\" quid \"Q1\" exportControl \"Protected\""
                    " global TRUE stereotype \"pkg\" file_name \"kept.cat\"\n  logical_models (list unit_reference_list\n";
    for (int c = 0; c < classes; ++c) {
        const std::string n = std::to_string(c);
        t += "  (object Class \"T" + n + "\" quid \"C" + n + "\" exportControl \"Private\" language \"Delphi\"\n"
             "   attributes (list Attribute_Set (object Attribute tool \"Delphi\" name \"Kind\" value (\"Set\" " + n +
             ")))\n   operations (list Operations\n";
        for (int o = 0; o < 8; ++o)
            t += "    (object Operation \"Op" + std::to_string(o) + "\" quid \"O" + n + "_" + std::to_string(o) +
                 "\" result \"R\\\"" + n + "\\\"\" parameters (list Parameters (object Parameter \"A\" type \"Integer\"))"
                 " opExportControl \"Protected\")\n";
        t += "   ) abstract TRUE)\n";
    }
    return t + tail + ")))\n";
}

// Everything the loader read, element by element.
std::wstring Dump(const Model& m)
{
    std::wstring out = m.name + L"|" + m.quid + L"|" + m.documentation + L"\n";
    for (const auto& owned : m.elements) {
        const Element& e = *owned;
        out += std::to_wstring(static_cast<int>(e.kind)) + L"|" + e.name + L"|" + e.quid + L"|" + e.stereotype + L"|" +
               std::to_wstring(e.line) + L"|" + std::to_wstring(e.textBegin) + L"-" + std::to_wstring(e.textEnd);
        for (const ToolProperty& p : e.properties)
            out += L"|" + p.tool + L"." + p.name + L"=" + p.value + L":" + p.type + L":" + p.enumSet;
        if (e.kind == ElementKind::Category) {
            const auto& c = static_cast<const Category&>(e);
            out += L"|" + std::to_wstring(c.exportControl) + (c.global ? L"g" : L"") + c.fileName;
        } else if (e.kind == ElementKind::Class) {
            const auto& c = static_cast<const Class&>(e);
            out += L"|" + std::to_wstring(c.exportControl) + (c.isAbstract ? L"a" : L"") + c.language;
        } else if (e.kind == ElementKind::Operation) {
            const auto& o = static_cast<const Operation&>(e);
            out += L"|" + std::to_wstring(o.exportControl) + o.returnType;
        } else if (e.kind == ElementKind::Parameter) {
            out += L"|" + static_cast<const Parameter&>(e).type;
        }
        out += L"\n";
    }
    return out;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::wstring Outcome(const std::function<std::unique_ptr<Model>()>& load)
{
    try {
        return Dump(*load());
    } catch (const RoseLoadError& e) {
        return L"error: " + e.WideWhat();
    }
}

} // namespace

TEST(LoadFromFile, GivesWhatTheTextInFullGives)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vexlo-loadfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    struct Case {
        const char* what;
        std::string text;
        bool fails;
    };
    const Case cases[] = {
        {"kept values", BigText(1200), false},
        {"a unit read from its own file", BigText(10, "  (object Class_Category \"U\" is_unit TRUE is_loaded FALSE file_name \"u.cat\")\n"), false},
        {"an error at the end", BigText(1200, "  (object Class \"Last\" quid)\n"), true},
        {"an object not closed", BigText(1200).substr(0, BigText(1200).size() - 4), true},
    };
    // The unit: a package of its own classes, megabytes long.
    std::string unit = BigText(1200);
    unit = "(object Petal version 42)\n" + unit.substr(unit.find("(object Class_Category"));
    unit.replace(unit.size() - 4, 4, "))\n"); // no design around it
    {
        std::ofstream(dir / "u.cat", std::ios::binary) << unit;
    }
    for (const Case& c : cases) {
        const auto file = dir / "m.mdl";
        std::ofstream(file, std::ios::binary) << c.text;
        const std::wstring fromFile = Outcome([&] { return LoadRoseModel(file.wstring(), LoadOptions{}); });
        // With a reader of the document attached, every text is held in full to the end.
        LoadOptions held;
        held.onDocument = [](const PetalDocument&) {};
        const std::wstring inFull = Outcome([&] { return LoadRoseModel(file.wstring(), held); });
        EXPECT_EQ(fromFile.rfind(L"error: ", 0) == 0, c.fails) << c.what << ": " << Narrow(fromFile.substr(0, 300));
        EXPECT_GT(fromFile.size(), 20u) << c.what;
        EXPECT_TRUE(fromFile == inFull) << c.what;
    }
    std::filesystem::remove_all(dir);
}
