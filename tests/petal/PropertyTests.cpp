// Tool properties: own values, the default sets per tool and element kind, property
// files and their merge into a model.
#include "TestSupport.h"

#include <functional>


using namespace RoseHost;

namespace {

const std::string kModel =
    "(object Petal version 47 charSet 0)\n"
    "(object Design \"Logical View\"\n"
    "  quid \"D1\"\n"
    "  root_category (object Class_Category \"Logical View\" quid \"L1\"\n"
    "    logical_models (list unit_reference_list\n"
    "      (object Class \"A\" quid \"A1\"\n"
    "        attributes (list Attribute_Set\n"
    "          (object Attribute tool \"Delphi\" name \"Kind\" value (\"KindSet\" 2))\n"
    "          (object Attribute tool \"Delphi\" name \"GenerateCode\" value FALSE))\n"
    "        class_attributes (list class_attribute_list\n"
    "          (object ClassAttribute \"f\" quid \"F1\" type \"Integer\" initv \"3\" static TRUE))\n"
    "        operations (list Operations\n"
    "          (object Operation \"Run\" quid \"O1\" result \"Boolean\" opExportControl \"Protected\"\n"
    "            parameters (list Parameters (object Parameter \"x\" type \"Integer\" initv \"0\")))))\n"
    "      (object Class \"B\" quid \"B1\" exportControl \"Implementation\" unknown_field (object Whatever \"w\" a 1))))\n"
    "  root_subsystem (object SubSystem \"Component View\" quid \"S1\"\n"
    "    physical_models (list unit_reference_list\n"
    "      (object module \"UnitA\" \"NotAModuleType\" \"NotAModulePart\" quid \"M1\" language \"Delphi\")\n"
    "      (object module \"UnitA\" \"PackageType\" \"Body\" quid \"M2\")))\n"
    "  properties (object Properties\n"
    "    attributes (list Attribute_Set\n"
    "      (object Attribute tool \"Delphi\" name \"default__Class\"\n"
    "        value (list Attribute_Set\n"
    "          (object Attribute tool \"Delphi\" name \"GenerateCode\" value TRUE)\n"
    "          (object Attribute tool \"Delphi\" name \"Kind\" value (\"KindSet\" 1))\n"
    "          (object Attribute tool \"Delphi\" name \"KindSet\"\n"
    "            value (list Attribute_Set\n"
    "              (object Attribute tool \"Delphi\" name \"Class\" value 1)\n"
    "              (object Attribute tool \"Delphi\" name \"Record\" value 2)))\n"
    "          (object Attribute tool \"Delphi\" name \"Comment\" value (value Text \n"
    "|line one\n"
    "|line two\n"
    "          ))))\n"
    "      (object Attribute tool \"Delphi\" name \"default__Module-Body\"\n"
    "        value (list Attribute_Set (object Attribute tool \"Delphi\" name \"Ext\" value \".pas\")))\n"
    "      (object Attribute tool \"Delphi\" name \"propertyId\" value \"42\"))))\n";

std::unique_ptr<Model> Load()
{
    LoadOptions o;
    o.codePage = 1252;
    return LoadRoseModelFromText(kModel, L"p.mdl", o);
}

TEST(Properties, OwnValuesOverDefaults)
{
    const auto m = Load();
    const Class& a = *m->FindClass(L"A");
    const Class& b = *m->FindClass(L"B");
    struct Case {
        const Element* element;
        const wchar_t* tool;
        const wchar_t* prop;
        const wchar_t* value;
    } cases[] = {
        {&a, L"Delphi", L"GenerateCode", L"FALSE"},    // own
        {&b, L"Delphi", L"GenerateCode", L"TRUE"},     // default of the kind
        {&a, L"Delphi", L"Kind", L"Record"},           // own enumeration, named through the set
        {&b, L"Delphi", L"Kind", L"Class"},            // default enumeration
        {&b, L"Delphi", L"Comment", L"line one\r\nline two"},
        {&b, L"C#", L"GenerateCode", L""},             // no such tool
        {&b, L"Delphi", L"NoSuchProperty", L""},
        {m->allModules[1], L"Delphi", L"Ext", L".pas"}, // "Body" part: the Module-Body set
        {m->allModules[0], L"Delphi", L"Ext", L""},     // spec: Module-Spec has none
        {m.get(), L"Delphi", L"propertyId", L"42"},    // plain model property
    };
    for (const Case& c : cases)
        EXPECT_EQ(m->GetPropertyValue(*c.element, c.tool, c.prop), c.value) << std::string(c.prop, c.prop + wcslen(c.prop));
    ASSERT_NE(m->FindProperty(a, L"Delphi", L"Kind"), nullptr);
    EXPECT_EQ(m->FindProperty(a, L"Delphi", L"Kind")->type, L"Enumeration");
    EXPECT_EQ(m->FindProperty(b, L"Delphi", L"Comment")->type, L"Text");
    EXPECT_EQ(m->FindProperty(b, L"Delphi", L"Absent"), nullptr);
}

TEST(Properties, ToolPropertiesListDefaultsWithOwnValues)
{
    const auto m = Load();
    const std::vector<ToolProperty> props = m->GetToolProperties(*m->FindClass(L"A"), L"Delphi");
    std::vector<std::wstring> names, values;
    for (const ToolProperty& p : props) {
        names.push_back(p.name);
        values.push_back(p.value);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"GenerateCode", L"Kind", L"KindSet", L"Comment"}));
    EXPECT_EQ(values[0], L"FALSE");
    EXPECT_EQ(values[1], L"Record");
}

ToolProperty Prop(const wchar_t* tool, const wchar_t* name, const wchar_t* value)
{
    ToolProperty p;
    p.tool = tool;
    p.name = name;
    p.value = value;
    p.type = L"String";
    return p;
}

// Default sets changed after the first look-up answer as changed.
TEST(Properties, DefaultSetsChangedAfterALookUp)
{
    using Pick = const Element& (*)(Model&);
    const Pick classB = [](Model& m) -> const Element& { return *m.FindClass(L"B"); };
    const Pick attribute = [](Model& m) -> const Element& { return *m.FindClass(L"A")->attributes[0]; };
    struct Case {
        const char* what;
        Pick element;
        const wchar_t* tool;
        const wchar_t* prop;
        const wchar_t* before;
        std::function<void(Model&)> change;
        const wchar_t* after;
    } cases[] = {
        {"set replaced", classB, L"Delphi", L"GenerateCode", L"TRUE",
         [](Model& m) { m.defaults[L"Delphi"][L"Class"] = {Prop(L"Delphi", L"GenerateCode", L"NO")}; }, L"NO"},
        {"set grown", classB, L"Delphi", L"Added", L"",
         [](Model& m) { m.defaults[L"Delphi"][L"Class"].push_back(Prop(L"Delphi", L"Added", L"1")); }, L"1"},
        {"set of the kind added", attribute, L"Delphi", L"IsConst", L"",
         [](Model& m) { m.defaults[L"Delphi"][L"Attribute"] = {Prop(L"Delphi", L"IsConst", L"TRUE")}; }, L"TRUE"},
        {"tool added", classB, L"C#", L"GenerateCode", L"",
         [](Model& m) { m.defaults[L"C#"][L"Class"] = {Prop(L"C#", L"GenerateCode", L"C")}; }, L"C"},
        {"merged", classB, L"Delphi", L"Kind", L"Class",
         [](Model& m) { m.MergeDefaults({{L"Delphi", {{L"Class", {Prop(L"Delphi", L"Kind", L"Record")}}}}}); },
         L"Record"},
        {"renamed in place and told", classB, L"Delphi", L"Renamed", L"",
         [](Model& m) {
             m.defaults[L"Delphi"][L"Class"][0].name = L"Renamed";
             m.DefaultsChanged();
         },
         L"TRUE"},
    };
    for (const Case& c : cases) {
        const auto m = Load();
        EXPECT_EQ(m->GetPropertyValue(c.element(*m), c.tool, c.prop), c.before) << c.what;
        c.change(*m);
        EXPECT_EQ(m->GetPropertyValue(c.element(*m), c.tool, c.prop), c.after) << c.what;
    }
}

// A name met twice counts once: the first default, then the first own value.
TEST(Properties, ARepeatedNameCountsOnce)
{
    const auto m = Load();
    Class& a = *m->FindClass(L"A");
    m->defaults[L"Delphi"][L"Class"].push_back(Prop(L"Delphi", L"GenerateCode", L"LATER"));
    a.properties.push_back(Prop(L"Delphi", L"Extra", L"first"));
    a.properties.push_back(Prop(L"Delphi", L"Extra", L"second"));
    EXPECT_EQ(m->GetPropertyValue(*m->FindClass(L"B"), L"Delphi", L"GenerateCode"), L"TRUE");
    EXPECT_EQ(m->GetPropertyValue(a, L"Delphi", L"Extra"), L"first");
    std::vector<std::wstring> listed;
    for (const ToolProperty& p : m->GetToolProperties(a, L"Delphi"))
        listed.push_back(p.name + L"=" + p.value);
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"GenerateCode=FALSE", L"Kind=Record", L"KindSet=",
                                                 L"Comment=line one\r\nline two", L"Extra=first"}));
}

TEST(Properties, MembersAndUnknownFields)
{
    const auto m = Load();
    const Class& a = *m->FindClass(L"A");
    ASSERT_EQ(a.attributes.size(), 1u);
    EXPECT_EQ(a.attributes[0]->initValue, L"3");
    EXPECT_TRUE(a.attributes[0]->isStatic);
    EXPECT_EQ(a.attributes[0]->exportControl, PrivateAccess);
    ASSERT_EQ(a.operations.size(), 1u);
    const Operation& run = *a.operations[0];
    EXPECT_EQ(run.returnType, L"Boolean");
    EXPECT_EQ(run.exportControl, ProtectedAccess);
    ASSERT_EQ(run.parameters.size(), 1u);
    EXPECT_EQ(run.parameters[0]->quid, L"O1-P1");
    EXPECT_EQ(run.parameters[0]->initValue, L"0");
    EXPECT_EQ(run.parameters[0]->owner, &run);
    EXPECT_EQ(m->FindClass(L"B")->exportControl, ImplementationAccess);
    EXPECT_EQ(m->allModules[0]->language, L"Delphi");
    EXPECT_EQ(m->petalVersion, 47);
    EXPECT_EQ(m->name, L"p");
}

const std::string kPropertyFileObjects =
    "(object Petal version 40 _written \"Vexlo\")\n"
    "(object Attribute tool \"Delphi\" name \"default__Class\"\n"
    "  value (list Attribute_Set\n"
    "    (object Attribute tool \"Delphi\" name \"GenerateCode\" value FALSE)\n"
    "    (object Attribute tool \"Delphi\" name \"IsProperty\" value TRUE)))\n"
    "(object Attribute tool \"Delphi\" name \"default__Subsystem\"\n"
    "  value (list Attribute_Set (object Attribute tool \"Delphi\" name \"Directory\" value \"$ROOT\\\\src\")))\n";

const std::string kPropertyFileList =
    "(object Petal version 40)\n"
    "(list Attribute_Set\n"
    "  (object Attribute tool \"C#\" name \"default__Class\"\n"
    "    value (list Attribute_Set (object Attribute tool \"C#\" name \"IsNamespace\" value FALSE)))\n"
    "  (object Attribute tool \"C#\" name \"not a set\" value 1))\n";

TEST(PropertyFiles, BothShapesAreRead)
{
    const DefaultPropertySets a = LoadPropertyFileFromText(kPropertyFileObjects, L"Delphi.pty", LoadOptions{});
    ASSERT_EQ(a.count(L"Delphi"), 1u);
    ASSERT_EQ(a.at(L"Delphi").at(L"Class").size(), 2u);
    EXPECT_EQ(a.at(L"Delphi").at(L"Class")[1].name, L"IsProperty");
    EXPECT_EQ(a.at(L"Delphi").at(L"Subsystem")[0].value, L"$ROOT\\src");
    const DefaultPropertySets b = LoadPropertyFileFromText(kPropertyFileList, L"CSharp.pty", LoadOptions{});
    ASSERT_EQ(b.at(L"C#").size(), 1u);
    EXPECT_EQ(b.at(L"C#").at(L"Class")[0].value, L"FALSE");
}

TEST(PropertyFiles, MergeReplacesByNameAndAdds)
{
    auto m = Load();
    m->MergeDefaults(LoadPropertyFileFromText(kPropertyFileObjects, L"Delphi.pty", LoadOptions{}));
    const Class& a = *m->FindClass(L"A");
    const Class& b = *m->FindClass(L"B");
    EXPECT_EQ(m->GetPropertyValue(b, L"Delphi", L"GenerateCode"), L"FALSE"); // replaced
    EXPECT_EQ(m->GetPropertyValue(b, L"Delphi", L"IsProperty"), L"TRUE");    // added
    EXPECT_EQ(m->GetPropertyValue(b, L"Delphi", L"Kind"), L"Class");         // kept
    EXPECT_EQ(m->GetPropertyValue(a, L"Delphi", L"GenerateCode"), L"FALSE"); // own value still wins
    EXPECT_EQ(m->GetPropertyValue(*m->rootSubsystem, L"Delphi", L"Directory"), L"$ROOT\\src");
}

TEST(PropertyFiles, MalformedPropertyFile)
{
    try {
        LoadPropertyFileFromText("(object Petal version 40)\n(object Attribute tool \"Delphi\" name", L"bad.pty",
                                 LoadOptions{});
        FAIL() << "no error";
    } catch (const RoseLoadError& e) {
        EXPECT_EQ(e.File(), L"bad.pty");
        EXPECT_EQ(e.Line(), 2u);
    }
}

} // namespace
