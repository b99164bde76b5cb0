// libFuzzer target: the scan of an old file over arbitrary bytes. The bytes are
// handed over in a buffer of exactly their size, so any read outside it is caught by
// the address sanitizer; the zones found must be well formed, and the lookup must
// agree with a walk over them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <vxplat/CodePage.h>

#include "LmException.h"
#include "VXPreservedZones.h"
#include "VXZoneWriter.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    void Check(bool condition)
    {
        if (!condition)
            std::abort();
    }

    CLmPtr<CVXPreservedZone> Walk(const CLmPtr<CVXPreservedZones>& zones, const CLmBSTR& id, const CLmBSTR& tag)
    {
        const wchar_t* wantedId = id.GetBSTR() ? id.GetBSTR() : L"";
        const wchar_t* wantedTag = tag.GetBSTR() ? tag.GetBSTR() : L"";
        for (int i = 0; i < zones->GetCount(); ++i)
        {
            CLmPtr<CVXPreservedZone> zone = zones->GetZone(i);
            CLmBSTR zoneId = zone->GetUniqueId();
            CLmBSTR zoneTag = zone->GetTag();
            if (std::wcscmp(zoneId.GetBSTR() ? zoneId.GetBSTR() : L"", wantedId) == 0 &&
                std::wcscmp(zoneTag.GetBSTR() ? zoneTag.GetBSTR() : L"", wantedTag) == 0)
                return zone;
        }
        return nullptr;
    }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool codePageSet = VxpSetAnsiCodePage(1252);
    (void)codePageSet;

    std::shared_ptr<char[]> buffer(new char[size]);
    if (size)
        std::memcpy(buffer.get(), data, size);
    std::string_view text(buffer.get(), size);

    CLmPtr<CVXPreservedZones> zones = CVXPreservedZones::Create(nullptr);
    try
    {
        zones->LoadText(buffer, size, L"fuzz.pas");
    }
    catch (const LmLib::CLmException&)
    {
        Check(zones->GetCount() == 0); // a refused file keeps nothing
        return 0;
    }

    // CR LF line ends, or bare LF in a text without any CR LF.
    const std::string_view lineEnd = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    unsigned previousEnd = 0;
    int count = zones->GetCount();
    for (int i = 0; i < count; ++i)
    {
        CLmPtr<CVXPreservedZone> zone = zones->GetZone(i);
        Check(!zone.IsNull());
        // In file order, not overlapping, inside the text, parts in marker order.
        Check(zone->GetZoneStart() >= previousEnd);
        Check(zone->GetScopeStart() == zone->GetZoneStart() + 11);
        Check(zone->GetScopeEnd() + 1 >= zone->GetScopeStart());
        Check(zone->GetUniqueIdStart() == zone->GetScopeEnd() + 2);
        Check(zone->GetUniqueIdStart() <= zone->GetUniqueIdEnd());
        Check(zone->GetTagStart() == zone->GetUniqueIdEnd() + 1);
        Check(zone->GetTagStart() <= zone->GetTagEnd());
        Check(zone->GetPreserveStart() == zone->GetTagEnd() + 10);
        Check(zone->GetPreserveStart() <= zone->GetPreserveEnd());
        Check(zone->GetPreserveEnd() < zone->GetTextStart());
        Check(zone->GetTextStart() <= zone->GetTextEnd());
        Check(zone->GetTextEnd() + 8 <= zone->GetZoneEnd());
        Check(zone->GetZoneEnd() <= size);
        Check(text.substr(zone->GetZoneStart(), 11) == "//## begin ");
        Check(text.substr(zone->GetTextEnd(), 8) == "//## end");
        Check(text[zone->GetTextStart() - 1] == '\n');
        // The fields may run across lines (a stray begin marker pairs with the next
        // zone's pieces), but the preserve value ends at the first line end after it.
        Check(text.substr(zone->GetPreserveStart(), zone->GetPreserveEnd() - zone->GetPreserveStart()).find(lineEnd) ==
              std::string_view::npos);
        previousEnd = zone->GetZoneEnd();

        CLmBSTR id = zone->GetUniqueId();
        CLmBSTR tag = zone->GetTag();
        (void)zone->IsPreserved();
        if (count <= 64 || i < 64)
        {
            CLmPtr<CVXPreservedZone> found = zones->FindZone(id, tag);
            Check(found.Get() == Walk(zones, id, tag).Get());
            Check(!found.IsNull());
        }
    }

    if (count > 0)
    {
        CLmPtr<CVXPreservedZone> first = zones->GetZone(0);
        CLmBSTR written = CVXZoneWriter::Write(zones, L"S", first->GetUniqueId(), first->GetTag(), L"  ", L"x");
        Check(written.Length() > 0);
    }
    return 0;
}
