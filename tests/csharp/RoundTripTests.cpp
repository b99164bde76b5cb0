// The user's code survives generation at namespace depth 2: text in every kind of C#
// zone (of a class and of an enum) comes back in its place after the model's elements
// are renamed, and generating again without a change gives the same bytes.
#include "CSharpTestSupport.h"

#include <set>

namespace CSharpTest {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class RoundTripTest : public CSharpGenerationTest {
protected:
    Class* trip = nullptr;
    Attribute* value = nullptr;
    Operation* run = nullptr;
    Role* next = nullptr;
    Module* trips = nullptr;

    void SetUp() override
    {
        CSharpGenerationTest::SetUp();
        Category* inner = AddPackage(AddPackage(AddPackage(nullptr, L"Outer"), L"Gap", L"FALSE"), L"Inner");
        trip = build.AddClass(L"Trip", L"Q-Trip", inner);
        Class* other = build.AddClass(L"Other", L"Q-Other", inner);
        value = build.AddAttribute(trip, L"value", L"int", PublicAccess, L"1");
        Set(value, L"IsProperty", L"TRUE");
        run = build.AddOperation(trip, L"Run", L"bool", ProtectedAccess);
        build.AddParameter(run, L"count", L"int");
        next = build.Associate(L"Link", trip, L"next", true, other, L"back", false)->role1;
        Set(next, L"IsProperty", L"TRUE");
        Class* mode = build.AddClass(L"Mode", L"Q-Mode", inner);
        Set(mode, L"Kind", L"enum");
        build.AddAttribute(mode, L"On", L"", PublicAccess, L"1");
        trips = AddComponent(L"Trips", {trip, other, mode});
    }
};

TEST_F(RoundTripTest, UserTextInEveryZoneSurvivesRenamingAndRegeneration)
{
    const fs::path file = FileOf(trips);
    std::string first = GenerateText(trips);
    std::set<std::string> tags;
    for (const TextZone& zone : ZonesIn(first))
        tags.insert(zone.key.substr(zone.key.find('.') + 1));
    const std::set<std::string> allTags = {"suses",    "preface", "initial", "private", "protected", "public",
                                           "internal", "postscript", "getbody", "setbody", "body"};
    EXPECT_EQ(allTags, tags);

    // Text at the zone's indentation or deeper comes back byte for byte.
    std::string deep = FillZones(first, [](const TextZone& zone) {
        return zone.indent + "// user \xE9 " + zone.key + "\r\n" + zone.indent + "  deeper();\r\n";
    });
    WriteBytes(file, deep);
    EXPECT_EQ(deep, GenerateText(trips));

    // Lines less indented than the zone and preprocessor lines at column 0 keep their
    // text and their place; the model's elements are renamed (their ids stay).
    std::string user = FillZones(first, [](const TextZone& zone) {
        return zone.indent + "// user " + zone.key + "\r\n#if DEBUG\r\n shallow(); // " + zone.key + "\r\n#endif\r\n" +
               zone.indent + "  deep();\r\n\r\n";
    });
    WriteBytes(file, user);
    trip->name = L"Voyage";
    value->name = L"amount";
    run->name = L"Execute";
    next->name = L"following";
    std::string second = GenerateText(trips);

    std::vector<TextZone> before = ZonesIn(user), after = ZonesIn(second);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].key, after[i].key);
        std::vector<std::string> was = Lines(before[i].text), now = Lines(after[i].text);
        ASSERT_EQ(was.size(), now.size()) << before[i].key << "\n" << after[i].text;
        for (size_t l = 0; l < was.size(); ++l) {
            size_t indent = was[l].find_first_not_of(' ');
            if (indent >= before[i].indent.size() && was[l] != "\r")
                EXPECT_EQ(was[l], now[l]) << before[i].key;
            else
                EXPECT_EQ(was[l].substr(indent), now[l].substr(now[l].find_first_not_of(' '))) << before[i].key;
        }
    }
    EXPECT_EQ(before.front().text, after.front().text) << "the using zone is copied as it is";
    for (const char* renamed :
         {"      public class Voyage \r\n", "        public int amount \r\n", "        protected bool Execute(int count)\r\n",
          "//## begin Voyage::Setamount%Q-Trip-value.getbody", "//## begin Voyage::Execute%Q-Trip-Run.body",
          "        public Other following \r\n", "//## begin Voyage::Setfollowing%Q-Link-next.setbody"})
        EXPECT_NE(std::string::npos, second.find(renamed)) << renamed;

    // A third generation with no change writes the same bytes.
    EXPECT_EQ(second, GenerateText(trips));
}

} // namespace
} // namespace CSharpTest
