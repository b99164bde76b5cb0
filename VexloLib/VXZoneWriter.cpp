#include "VXZoneWriter.h"

#include "LmTranslate.h"
#include "VXPreservedZones.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CLmBSTR CVXZoneWriter::BeginMarker(const CLmBSTR& scope, const CLmBSTR& uniqueId, const CLmBSTR& tag)
{
    LM_TRY
    {
        CLmBSTR line(L"//");
        line += L"## ";
        line += L"begin ";
        line += scope;
        line += L"%";
        line += uniqueId;
        line += L".";
        line += tag;
        line += L" preserve=yes";
        line += L"\r\n";
        return line;
    }
    LM_END_TRY
}

CLmBSTR CVXZoneWriter::EndMarker(const CLmBSTR& scope, const CLmBSTR& uniqueId, const CLmBSTR& tag)
{
    LM_TRY
    {
        CLmBSTR line(L"//");
        line += L"## ";
        line += L"end ";
        line += scope;
        line += L"%";
        line += uniqueId;
        line += L".";
        line += tag;
        line += L"\r\n";
        return line;
    }
    LM_END_TRY
}

CLmBSTR CVXZoneWriter::Write(const CLmPtr<CVXPreservedZones>& zones, const CLmBSTR& scope, const CLmBSTR& uniqueId,
                             const CLmBSTR& tag, const CLmBSTR& indentation, const CLmBSTR& defaultBody,
                             const FoundTextFilter& foundText)
{
    LM_TRY
    {
        CLmBSTR text = indentation;
        text += BeginMarker(scope, uniqueId, tag);
        CLmPtr<CVXPreservedZone> zone;
        if (!zones.IsNull())
            zone = zones->FindZone(uniqueId, tag);
        if (!zone.IsNull())
        {
            // Written back whatever its preserve value says.
            text += foundText ? foundText(zone->GetText()) : zone->GetText();
        }
        else
        {
            text += defaultBody;
            text += indentation;
        }
        text += EndMarker(scope, uniqueId, tag);
        return text;
    }
    LM_END_TRY
}
