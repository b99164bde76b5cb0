#include "VXPreservedZone.h"

#include "LmTranslate.h"

#include <vxplat/CodePage.h>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXPreservedZone::CVXPreservedZone(CLmPtr<CLmRefsObject> owner, CVXZoneText text, const CVXZoneSpans& spans)
    : CLmObject(owner), m_Text(std::move(text)), m_Spans(spans)
{
}

CLmPtr<CVXPreservedZone> CVXPreservedZone::Create(CLmPtr<CLmRefsObject> owner, CVXZoneText text,
                                                  const CVXZoneSpans& spans)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXPreservedZone>(owner, std::move(text), spans);
    }
    LM_END_TRY
}

CLmBSTR CVXPreservedZone::ConvertSpan(unsigned start, unsigned end) const
{
    LM_TRY
    {
        if (end <= start || !m_Text)
            return CLmBSTR();
        return CLmBSTR::FromAnsi(m_Text.get() + start, static_cast<int>(end - start));
    }
    LM_END_TRY
}

CLmBSTR CVXPreservedZone::GetText()
{
    LM_TRY
    {
        return ConvertSpan(m_Spans.TextStart, m_Spans.TextEnd);
    }
    LM_END_TRY
}

CLmBSTR CVXPreservedZone::GetUniqueId()
{
    LM_TRY
    {
        return ConvertSpan(m_Spans.UniqueIdStart, m_Spans.UniqueIdEnd);
    }
    LM_END_TRY
}

CLmBSTR CVXPreservedZone::GetTag()
{
    LM_TRY
    {
        return ConvertSpan(m_Spans.TagStart, m_Spans.TagEnd);
    }
    LM_END_TRY
}

bool CVXPreservedZone::IsPreserved()
{
    LM_TRY
    {
        CLmBSTR value = ConvertSpan(m_Spans.PreserveStart, m_Spans.PreserveEnd);
        value.MakeUpper();
        return value == L"YES";
    }
    LM_END_TRY
}

void CVXPreservedZone::GetKeyText(std::wstring& key, size_t& tagStart) const
{
    LM_TRY
    {
        // Converted straight into the key, as ConvertSpan converts (which raises where
        // the conversion fails).
        auto append = [this, &key](unsigned start, unsigned end) {
            if (end <= start || !m_Text)
                return;
            const char* bytes = m_Text.get() + start;
            const int length = static_cast<int>(end - start);
            const int needed = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
            if (needed <= 0)
            {
                ConvertSpan(start, end);
                return;
            }
            const size_t at = key.size();
            key.resize(at + static_cast<size_t>(needed));
            MultiByteToWideChar(CP_ACP, 0, bytes, length, key.data() + at, needed);
            size_t terminator = key.find(L'\0', at);
            if (terminator != std::wstring::npos)
                key.resize(terminator);
        };
        key.clear();
        append(m_Spans.UniqueIdStart, m_Spans.UniqueIdEnd);
        tagStart = key.size();
        append(m_Spans.TagStart, m_Spans.TagEnd);
    }
    LM_END_TRY
}
