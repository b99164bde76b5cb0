#include "VXPreservedZones.h"

#include <functional>
#include <limits>
#include <typeinfo>
#include <vector>

#include "LmFile.h"
#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmObject;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

namespace
{
    constexpr std::string_view kBeginMarker = "//## begin ";
    constexpr std::string_view kEndMarker = "//## end";
    constexpr std::string_view kPreserve = " preserve=";
    constexpr size_t npos = std::string_view::npos;

    enum class ScanFault
    {
        None,
        IncompleteMarker,
        MissingEnd
    };

    struct ScanResult
    {
        ScanFault Fault = ScanFault::None;
        size_t MarkerPosition = 0; // of the begin marker at fault
    };

    // Finds every zone of text, in file order. Every search is bounded by text.size().
    // Each piece is searched from the previous one on, across lines: a stray
    // "//## begin " (in a comment, say) pairs with the pieces of the zone that follows.
    // Line ends are CR LF; a text with no CR LF at all is read with bare LF line ends.
    ScanResult ScanZones(std::string_view text, std::vector<CVXZoneSpans>& zones)
    {
        const std::string_view lineEnd = text.find("\r\n") != npos ? std::string_view("\r\n") : std::string_view("\n");
        size_t begin = text.find(kBeginMarker);
        while (begin != npos)
        {
            CVXZoneSpans spans;
            spans.ZoneStart = static_cast<unsigned>(begin);
            spans.ScopeStart = static_cast<unsigned>(begin + kBeginMarker.size());

            size_t percent = text.find('%', spans.ScopeStart);
            size_t dot = percent == npos ? npos : text.find('.', percent + 1);
            size_t preserve = dot == npos ? npos : text.find(kPreserve, dot + 1);
            if (preserve == npos)
                return {ScanFault::IncompleteMarker, begin};
            size_t valueEnd = text.find(lineEnd, preserve + kPreserve.size());
            if (valueEnd == npos)
                return {ScanFault::MissingEnd, begin};

            spans.ScopeEnd = static_cast<unsigned>(percent - 1);
            spans.UniqueIdStart = static_cast<unsigned>(percent + 1);
            spans.UniqueIdEnd = static_cast<unsigned>(dot);
            spans.TagStart = static_cast<unsigned>(dot + 1);
            spans.TagEnd = static_cast<unsigned>(preserve);
            spans.PreserveStart = static_cast<unsigned>(preserve + kPreserve.size());
            spans.PreserveEnd = static_cast<unsigned>(valueEnd);
            spans.TextStart = static_cast<unsigned>(valueEnd + lineEnd.size());

            size_t end = text.find(kEndMarker, spans.TextStart);
            if (end == npos)
                return {ScanFault::MissingEnd, begin};
            spans.TextEnd = static_cast<unsigned>(end);
            // The last end marker may end the text without a line end.
            size_t endLineEnd = text.find(lineEnd, end + kEndMarker.size());
            spans.ZoneEnd = static_cast<unsigned>(endLineEnd == npos ? text.size() : endLineEnd + lineEnd.size());
            zones.push_back(spans);

            begin = endLineEnd == npos ? npos : text.find(kBeginMarker, endLineEnd);
        }
        return {};
    }

    int LineOf(std::string_view text, size_t position)
    {
        size_t lines = 1;
        for (size_t at = text.find('\n'); at != npos && at < position; at = text.find('\n', at + 1))
            ++lines;
        return lines > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                            : static_cast<int>(lines);
    }

    const wchar_t* TextOf(const CLmBSTR& value)
    {
        return value.GetBSTR() ? value.GetBSTR() : L"";
    }
} // namespace

CVXPreservedZones::CVXPreservedZones(const CLmPtr<CLmRefsObject>& owner) : CLmDynamicObjects(owner) {}

CVXPreservedZones::~CVXPreservedZones() = default;

CLmPtr<CVXPreservedZones> CVXPreservedZones::Create(CLmPtr<CLmRefsObject> owner)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXPreservedZones>(owner);
    }
    LM_END_TRY
}

bool CVXPreservedZones::LoadFile(const CLmBSTR& path)
{
    LM_TRY
    {
        // Others may go on reading, writing or deleting the file meanwhile.
        CLmPtr<LmLib::File::CLmFile> file = LmLib::File::CLmFile::Create(
            nullptr, path, LmLib::File::LmAccessRead, LmLib::File::LmShareAll, LmLib::File::LmOpenExisting);
        if (file.IsNull())
            return false;
        unsigned size = file->GetSize();
        if (size == INVALID_FILE_SIZE)
            return false;
        std::shared_ptr<char[]> buffer(new char[static_cast<size_t>(size) + 1]());
        unsigned read = 0;
        bool ok = file->Read(buffer.get(), size, &read, nullptr);
        file->Close();
        if (!ok || read > size)
            return false;
        buffer[read] = '\0';
        LoadText(std::move(buffer), read, path);
        return true;
    }
    LM_END_TRY
}

void CVXPreservedZones::LoadText(CVXZoneText text, size_t length, const CLmBSTR& fileName)
{
    LM_TRY
    {
        if (!text || length == 0)
            return;
        if (length > std::numeric_limits<unsigned>::max())
            LM_RAISE(LmLib::Errors::Exception::LmErrorGeneral,
                     L"Can't read the preserved zones of %s: the file is too large", TextOf(fileName));
        std::string_view view(text.get(), length);
        std::vector<CVXZoneSpans> found;
        ScanResult result = ScanZones(view, found);
        if (result.Fault == ScanFault::IncompleteMarker)
            LM_RAISE(LmLib::Errors::Exception::LmErrorGeneral,
                     L"Can't read the preserved zones of %s: the begin marker on line %d is incomplete",
                     TextOf(fileName), LineOf(view, result.MarkerPosition));
        if (result.Fault == ScanFault::MissingEnd)
            LM_RAISE(LmLib::Errors::Exception::LmErrorGeneral,
                     L"Can't read the preserved zones of %s: the begin marker on line %d has no end marker",
                     TextOf(fileName), LineOf(view, result.MarkerPosition));
        // Appended directly rather than through Add: the set is filled only here, and
        // each pass through the routing costs several locked reference counts per zone.
        m_Zones.reserve(m_Zones.size() + found.size());
        for (const CVXZoneSpans& spans : found)
            m_Zones.push_back(CVXPreservedZone::Create(nullptr, text, spans));
        ExtendIndex();
    }
    LM_END_TRY
}

CLmPtr<CVXPreservedZone> CVXPreservedZones::GetZone(int index)
{
    LM_TRY
    {
        if (index < 0 || index >= GetCount())
            return nullptr;
        return CLmPtr<CVXPreservedZone>(Item(index));
    }
    LM_END_TRY
}

CLmPtr<CVXPreservedZone> CVXPreservedZones::FindZone(const CLmBSTR& uniqueId, const CLmBSTR& tag)
{
    LM_TRY
    {
        return FindZoneView(std::wstring_view(TextOf(uniqueId)), std::wstring_view(TextOf(tag)));
    }
    LM_END_TRY
}

CLmPtr<CVXPreservedZone> CVXPreservedZones::FindZoneView(std::wstring_view uniqueId, std::wstring_view tag)
{
    LM_TRY
    {
        ExtendIndex();
        auto found = m_Index.find(Key{uniqueId, tag});
        if (found == m_Index.end())
            return nullptr;
        return m_Zones[found->second];
    }
    LM_END_TRY
}

int CVXPreservedZones::GetCount()
{
    return static_cast<int>(m_Zones.size());
}

CLmPtr<CLmObject> CVXPreservedZones::DoGetItem(int index)
{
    LM_TRY
    {
        if (index < 0 || static_cast<size_t>(index) >= m_Zones.size())
            return nullptr;
        return CLmPtr<CLmObject>(m_Zones[static_cast<size_t>(index)]);
    }
    LM_END_TRY
}

CLmPtr<CLmObject> CVXPreservedZones::DoAdd(CLmPtr<CLmObject> element)
{
    LM_TRY
    {
        // A pointer holds any object; only its typed view tells a zone.
        CLmPtr<CVXPreservedZone> zone(element);
        if (!zone.GetTyped())
            LM_RAISE(LmLib::Errors::Exception::LmErrorGeneral, L"Can't add empty element to List");
        m_Zones.push_back(zone);
        return element;
    }
    LM_END_TRY
}

void CVXPreservedZones::DoRemoveAt(int index)
{
    LM_TRY
    {
        if (index < 0 || static_cast<size_t>(index) >= m_Zones.size())
            return;
        m_Zones.erase(m_Zones.begin() + index);
        ResetIndex();
    }
    LM_END_TRY
}

void CVXPreservedZones::DoRemove(CLmPtr<CLmObject> element)
{
    LM_TRY
    {
        for (auto position = m_Zones.begin(); position != m_Zones.end(); ++position)
        {
            if (position->Get() == element.Get())
            {
                m_Zones.erase(position);
                ResetIndex();
                return;
            }
        }
    }
    LM_END_TRY
}

void CVXPreservedZones::DoClear()
{
    LM_TRY
    {
        m_Zones.clear();
        ResetIndex();
    }
    LM_END_TRY
}

size_t CVXPreservedZones::KeyHash::operator()(const Key& key) const
{
    size_t id = std::hash<std::wstring_view>()(key.Id);
    size_t tag = std::hash<std::wstring_view>()(key.Tag);
    return id ^ (tag + 0x9e3779b9u + (id << 6) + (id >> 2));
}

void CVXPreservedZones::ResetIndex()
{
    m_Index.clear();
    m_KeyTexts.clear();
    m_IndexedCount = 0;
}

// Indexes the zones added since the last call. An (id, tag) already indexed keeps its
// earlier zone, as a walk from the first zone finds that one first. Ids and tags count
// up to their first terminator, as the comparison of texts does.
void CVXPreservedZones::ExtendIndex()
{
    LM_TRY
    {
        if (m_IndexedCount > m_Zones.size())
            ResetIndex();
        m_Index.reserve(m_Zones.size());
        for (; m_IndexedCount < m_Zones.size(); ++m_IndexedCount)
        {
            CVXPreservedZone* zone = m_Zones[m_IndexedCount];
            if (!zone)
                continue;
            // One text for both, converted without a string apiece, unless a zone of
            // another kind reads its id and tag its own way.
            std::wstring& text = m_KeyTexts.emplace_back();
            size_t tagStart = 0;
            if (typeid(*zone) == typeid(CVXPreservedZone))
            {
                zone->GetKeyText(text, tagStart);
            }
            else
            {
                text = TextOf(zone->GetUniqueId());
                tagStart = text.size();
                text += TextOf(zone->GetTag());
            }
            std::wstring_view both(text);
            m_Index.try_emplace(Key{both.substr(0, tagStart), both.substr(tagStart)}, m_IndexedCount);
        }
    }
    LM_END_TRY
}
