#include "VXZoneWriter.h"

#include <vxplat/Com.h>

#include <new>

#include "LmTranslate.h"
#include "VXPreservedZones.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    std::wstring_view View(const CLmBSTR& text)
    {
        return text.GetBSTR() ? std::wstring_view(text.GetBSTR(), static_cast<size_t>(text.Length()))
                              : std::wstring_view();
    }

    // A key as the zone index compares it: up to the first terminator.
    std::wstring_view Key(std::wstring_view text)
    {
        return text.substr(0, text.find(L'\0'));
    }

    CLmBSTR Bstr(std::wstring_view text)
    {
        CLmBSTR out;
        *out.GetAddress() = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!out.GetBSTR())
            throw std::bad_alloc();
        return out;
    }

    // The marker spelt in pieces, so that this source never holds a whole marker.
    void AppendMarker(std::wstring& out, std::wstring_view kind, std::wstring_view scope, std::wstring_view uniqueId,
                      std::wstring_view tag, bool preserve)
    {
        out.append(L"//").append(L"## ").append(kind).append(scope).append(L"%");
        out.append(uniqueId).append(L".").append(tag);
        if (preserve)
            out.append(L" preserve=yes");
        out.append(L"\r\n");
    }

    size_t MarkerSize(std::wstring_view scope, std::wstring_view uniqueId, std::wstring_view tag)
    {
        return 32 + scope.size() + uniqueId.size() + tag.size();
    }
} // namespace

CLmBSTR CVXZoneWriter::BeginMarker(const CLmBSTR& scope, const CLmBSTR& uniqueId, const CLmBSTR& tag)
{
    LM_TRY
    {
        std::wstring line;
        line.reserve(MarkerSize(View(scope), View(uniqueId), View(tag)));
        AppendMarker(line, L"begin ", View(scope), View(uniqueId), View(tag), true);
        return Bstr(line);
    }
    LM_END_TRY
}

CLmBSTR CVXZoneWriter::EndMarker(const CLmBSTR& scope, const CLmBSTR& uniqueId, const CLmBSTR& tag)
{
    LM_TRY
    {
        std::wstring line;
        line.reserve(MarkerSize(View(scope), View(uniqueId), View(tag)));
        AppendMarker(line, L"end ", View(scope), View(uniqueId), View(tag), false);
        return Bstr(line);
    }
    LM_END_TRY
}

CLmBSTR CVXZoneWriter::Write(const CLmPtr<CVXPreservedZones>& zones, const CLmBSTR& scope, const CLmBSTR& uniqueId,
                             const CLmBSTR& tag, const CLmBSTR& indentation, const CLmBSTR& defaultBody,
                             const FoundTextFilter& foundText)
{
    LM_TRY
    {
        std::function<std::wstring(const std::wstring&)> filter;
        if (foundText)
            filter = [&foundText](const std::wstring& text) {
                return std::wstring(View(foundText(Bstr(text))));
            };
        return Bstr(WriteText(zones, View(scope), View(uniqueId), View(tag), View(indentation), View(defaultBody),
                              filter));
    }
    LM_END_TRY
}

std::wstring CVXZoneWriter::WriteText(const CLmPtr<CVXPreservedZones>& zones, std::wstring_view scope,
                                      std::wstring_view uniqueId, std::wstring_view tag,
                                      std::wstring_view indentation, std::wstring_view defaultBody,
                                      const std::function<std::wstring(const std::wstring&)>& foundText)
{
    LM_TRY
    {
        CLmPtr<CVXPreservedZone> zone;
        if (!zones.IsNull())
            zone = zones->FindZoneView(Key(uniqueId), Key(tag));
        std::wstring body;
        if (!zone.IsNull())
        {
            // Written back whatever its preserve value says.
            CLmBSTR found = zone->GetText();
            body.assign(View(found));
            if (foundText)
                body = foundText(body);
        }
        std::wstring text;
        text.reserve(2 * MarkerSize(scope, uniqueId, tag) + indentation.size() * 2 +
                     (zone.IsNull() ? defaultBody.size() : body.size()));
        text.append(indentation);
        AppendMarker(text, L"begin ", scope, uniqueId, tag, true);
        if (!zone.IsNull())
            text.append(body);
        else
            text.append(defaultBody).append(indentation);
        AppendMarker(text, L"end ", scope, uniqueId, tag, false);
        return text;
    }
    LM_END_TRY
}
