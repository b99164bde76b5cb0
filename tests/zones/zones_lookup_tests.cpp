// Looking zones up by unique id and tag: the first zone in file order wins, and the
// index answers exactly as a walk over the zones would.
#include <gtest/gtest.h>

#include <vector>

#include "LmException.h"
#include "ZoneTestSupport.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
using ZoneTest::Wide;
using ZoneTest::ZonesOf;

namespace
{
    std::string Zone(const std::string& scope, const std::string& id, const std::string& tag, const std::string& text)
    {
        return "//## begin " + scope + "%" + id + "." + tag + " preserve=yes\r\n" + text + "//## end " + scope + "%" +
               id + "." + tag + "\r\n";
    }

    // The lookup as the zones define it: the first zone, in file order, whose id and tag
    // equal the requested ones.
    CLmPtr<CVXPreservedZone> Walk(const CLmPtr<CVXPreservedZones>& zones, const wchar_t* id, const wchar_t* tag)
    {
        for (int i = 0; i < zones->GetCount(); ++i)
        {
            CLmPtr<CVXPreservedZone> zone = zones->GetZone(i);
            if (zone->GetUniqueId() == id && zone->GetTag() == tag)
                return zone;
        }
        return nullptr;
    }

    // An old file with duplicates, ids that are prefixes of others, and tags in several
    // letter cases.
    const std::string kOldFile = Zone("A::Run", "ID1", "body", "first\r\n") + "x\r\n" +
                                 Zone("A::Run", "ID1", "var", "v1\r\n") + Zone("A::Stop", "ID1", "body", "second\r\n") +
                                 Zone("B", "ID10", "body", "b10\r\n") + Zone("B", "ID", "body", "b\r\n") +
                                 Zone("A::Run", "ID1", "Body", "cased\r\n") + Zone("C", "ID1", "body", "third\r\n") +
                                 Zone("C", "ID2", "a.b", "dotted\r\n") + Zone("C", "ID2", "a", "plain\r\n") +
                                 Zone("D", "ID3", "var", "") + Zone("D", "ID3", "var", "not empty\r\n");

    struct LookupCase
    {
        const wchar_t* Id;
        const wchar_t* Tag;
        const char* Text; // null: no zone
    };

    const LookupCase kLookups[] = {
        {L"ID1", L"body", "first\r\n"},                                 // three zones have it: the first wins
        {L"ID1", L"var", "v1\r\n"},     {L"ID1", L"Body", "cased\r\n"}, // tags compare case-sensitively
        {L"ID10", L"body", "b10\r\n"},  {L"ID", L"body", "b\r\n"},      {L"ID2", L"a.b", "dotted\r\n"},
        {L"ID2", L"a", "plain\r\n"},    {L"ID3", L"var", ""}, // an empty first zone still wins over a later one
        {L"id1", L"body", nullptr},     {L"ID1", L"BODY", nullptr},     {L"ID1", L"bod", nullptr},
        {L"ID2", L"b", nullptr},        {L"ID4", L"body", nullptr},     {L"", L"", nullptr},
        {L"ID1", L"", nullptr},
    };

    TEST(FindZone, FirstMatchOnUniqueIdAndTag)
    {
        CLmPtr<CVXPreservedZones> zones = ZonesOf(kOldFile);
        ASSERT_EQ(zones->GetCount(), 11);
        for (const LookupCase& c : kLookups)
        {
            SCOPED_TRACE(testing::Message() << Wide(c.Id) << "." << Wide(c.Tag));
            CLmPtr<CVXPreservedZone> found = zones->FindZone(c.Id, c.Tag);
            EXPECT_EQ(found.Get(), Walk(zones, c.Id, c.Tag).Get());
            if (c.Text)
            {
                ASSERT_FALSE(found.IsNull());
                EXPECT_EQ(Wide(found->GetText()), Wide(std::string(c.Text)));
            }
            else
            {
                EXPECT_TRUE(found.IsNull());
            }
        }
    }

    TEST(FindZone, IndexAgreesWithTheWalkForEveryZone)
    {
        CLmPtr<CVXPreservedZones> zones = ZonesOf(kOldFile);
        for (int i = 0; i < zones->GetCount(); ++i)
        {
            CLmPtr<CVXPreservedZone> zone = zones->GetZone(i);
            CLmBSTR id = zone->GetUniqueId();
            CLmBSTR tag = zone->GetTag();
            CLmPtr<CVXPreservedZone> found = zones->FindZone(id, tag);
            EXPECT_EQ(found.Get(), Walk(zones, id.GetBSTR(), tag.GetBSTR()).Get()) << i;
            // Only the first of duplicates is ever found.
            for (int j = 0; j < i; ++j)
            {
                if (zones->GetZone(j)->GetUniqueId() == id && zones->GetZone(j)->GetTag() == tag)
                {
                    EXPECT_NE(found.Get(), zone.Get()) << i;
                }
            }
        }
    }

} // namespace
