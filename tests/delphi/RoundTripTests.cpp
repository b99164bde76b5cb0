// The user's code survives generation: text put into every kind of zone comes back in
// its place after the model's elements are renamed, and generating again without a
// change gives the same bytes.
#include "DelphiTestSupport.h"

#include <map>
#include <set>

namespace DelphiTest {
namespace {

// The zones of a file: "id.tag" -> the zone's text (the first of duplicates), and the
// keys in file order.
std::map<std::string, std::string> ZonesOf(const std::string& text, std::vector<std::string>* order = nullptr)
{
    std::map<std::string, std::string> zones;
    for (const TextZone& zone : ZonesIn(text)) {
        zones.emplace(zone.key, zone.text);
        if (order)
            order->push_back(zone.key);
    }
    return zones;
}

class RoundTripTest : public GenerationTest {
protected:
    Class* trip = nullptr;
    Attribute* value = nullptr;
    Association* link = nullptr;
    Operation* run = nullptr;
    Module* unit = nullptr;
    Module* program = nullptr;
    Module* package = nullptr;

    void SetUp() override
    {
        GenerationTest::SetUp();
        Subsystem* delphi = build.AddSubsystem(build.components, L"Delphi");
        trip = build.AddClass(L"TTrip", L"Q-TTrip");
        Class* other = build.AddClass(L"TOther", L"Q-TOther");
        value = build.AddAttribute(trip, L"Value", L"Integer", PublicAccess, L"1");
        for (const wchar_t* flag : {L"IsProperty", L"GenerateGetOperation", L"GenerateSetOperation"})
            ModelBuilder::Set(value, flag, L"TRUE");
        link = build.Associate(L"Link", trip, L"Next", true, other, L"Back", false);
        ModelBuilder::Set(link->role1, L"GenerateGetOperation", L"TRUE");
        ModelBuilder::Set(link->role1, L"GenerateSetOperation", L"TRUE");
        run = build.AddOperation(trip, L"Run", L"Boolean");
        build.AddParameter(run, L"Count", L"Integer");
        ModelBuilder::Set(build.AddOperation(trip, L"Create"), L"Type", L"constructor");
        // Overloads share their scope but not their zones.
        ModelBuilder::Set(build.AddOperation(trip, L"Put", L"", PublicAccess, L"Q-Put1"), L"IsOverload", L"TRUE");
        Operation* put2 = build.AddOperation(trip, L"Put", L"", PublicAccess, L"Q-Put2");
        build.AddParameter(put2, L"A", L"Integer");
        ModelBuilder::Set(put2, L"IsOverload", L"TRUE");
        unit = build.AddModule(delphi, L"Trip", L"unit", {trip, other});
        program = build.AddModule(delphi, L"TripApp", L"program", {trip});
        package = build.AddModule(delphi, L"TripPkg", L"package");
    }

    void GenerateAll()
    {
        for (Module* module : {unit, program, package})
            Generate(module);
    }
};

TEST_F(RoundTripTest, UserTextInEveryZoneSurvivesRenamingAndRegeneration)
{
    const std::vector<fs::path> files = {Output(L"Delphi\\Trip.pas"), Output(L"Delphi\\TripApp.dpr"),
                                         Output(L"Delphi\\TripPkg.dpk")};
    GenerateAll();

    // Every zone tag of the Delphi generator is in one of the three files.
    std::set<std::string> tags;
    std::map<fs::path, std::vector<std::string>> keys;
    std::map<fs::path, std::map<std::string, std::string>> filled;
    for (const fs::path& file : files) {
        std::string text = ReadBytes(file);
        ZonesOf(text, &keys[file]);
        for (const std::string& key : keys[file])
            tags.insert(key.substr(key.find('.') + 1));
        // Every zone's text becomes a line naming the zone, with an ANSI character that
        // must come back as the same byte.
        std::string user =
            FillZones(text, [](const TextZone& zone) { return "    {user \xE9 " + zone.key + "}\r\n"; });
        filled[file] = ZonesOf(user);
        WriteBytes(file, user);
    }
    const std::set<std::string> allTags = {
        "suses",   "resources", "iuses",     "programbody", "initialization", "finalization", "requires",
        "contains", "preface",  "postscript", "private",    "protected",      "public",       "published",
        "initial", "getvar",    "setvar",    "getbody",     "setbody",        "var",          "body"};
    EXPECT_EQ(allTags, tags);

    // Rename the class and its members; their unique ids stay.
    trip->name = L"TRenamed";
    value->name = L"Amount";
    link->role1->name = L"Following";
    run->name = L"Execute";
    GenerateAll();

    std::map<fs::path, std::string> second;
    for (const fs::path& file : files) {
        second[file] = ReadBytes(file);
        std::vector<std::string> order;
        std::map<std::string, std::string> zones = ZonesOf(second[file], &order);
        EXPECT_EQ(keys[file], order) << file << ": the same zones in the same order";
        for (const std::string& key : keys[file]) {
            EXPECT_EQ(0u, zones[key].find("    {user \xE9 " + key + "}\r\n")) << key;
            EXPECT_EQ(filled[file][key], zones[key]) << key;
        }
    }
    const std::string& unitText = second[files[0]];
    for (const char* renamed : {"  TRenamed = class \r\n", "function TRenamed.GetAmount(): Integer;\r\n",
                                "//## begin TRenamed::GetAmount%Q-TTrip-Value.getbody", // the id did not change
                                "procedure TRenamed.SetFollowing(Value: TOther);\r\n",
                                "function TRenamed.Execute(Count: Integer): Boolean;\r\n",
                                "  //## begin TRenamed::Put%Q-Put2.body preserve=yes\r\n    {user \xE9 Q-Put2.body}\r\n"})
        EXPECT_NE(std::string::npos, unitText.find(renamed)) << renamed;

    // A third generation with no change writes the same bytes.
    GenerateAll();
    for (const fs::path& file : files)
        EXPECT_EQ(second[file], ReadBytes(file)) << file;
}

} // namespace
} // namespace DelphiTest
