// The preserved zones of an existing generated file, in file order, and their lookup
// by (unique id, tag).
//
// Reading an old file (LoadFile / LoadText). The file is read whole with one
// allocation and one read; zones keep positions into that text. A zone is:
//   a begin-marker line: "//## begin " scope "%" id "." tag " preserve=" value <line end>
//   the zone's text:     everything up to the first "//## end" after that line
//   an end-marker line:  "//## end" and the rest of its line (not examined)
// A "//## begin " inside a zone's text is part of the text (zones do not nest); the
// search for the next zone starts after the end-marker line.
//
// Line ends. Generated files end their lines with CR LF, but a file that went through
// a version-control checkout may come back with bare LF line ends. Both are read: a
// line ends at its LF, and a CR right before that LF belongs to the line end. The
// zone's text is kept exactly as it stands, so it is written back with the line ends
// it was found with. The last end marker of a file may also end the text without
// any line end.
//
// Unreadable markers. No user text may be dropped silently: a new file built from an
// old one whose markers cannot be read would lose the text of every zone from that
// marker on. So reading refuses such a file with a CLmException (code -100) that names
// the file and the line of the marker:
//   - a begin marker whose line does not hold "%", then ".", then " preserve="
//     (all of a begin marker stands on its own line);
//   - a begin marker with no "//## end" after it (a truncated file, for instance).
// No zone of a refused file is kept, and the generator stops before it writes.
// The scan never looks outside the text it is given: every search is bounded by the
// text's length (a 0 byte is searched past like any other byte).
//
// Lookup. FindZone answers exactly as a walk from the first zone to the last that
// returns the first zone whose GetUniqueId() and GetTag() equal the requested texts
// (compared up to their terminators, case-sensitively). Instead of walking, it uses an
// index built once from the zones: for each (id, tag), the first zone that has it, so
// generating a whole file costs linear, not quadratic, time in the number of zones.
//
// Ownership. The set holds its zones with plain counted references, and a zone holds
// only the shared file text, not the file object that read it. Registered references
// (one per element, one per owner link) would put every zone of a large file in the
// cycle collector's registry, whose collections then run at every registration past
// their threshold; zones can take part in no cycle, so the collector has nothing to
// find among them. For the same reason only zones can be added to the set (anything
// else counts as an empty element).
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "LmDynamicObjects.h"
#include "VXPreservedZone.h"

class CVXPreservedZones : public LmLib::Object::CLmDynamicObjects
{
public:
    static LmLib::CLmPtr<CVXPreservedZones> Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner);

    // For Create only.
    explicit CVXPreservedZones(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& owner);
    ~CVXPreservedZones() override;

    // The first zone with this unique id and tag, or null when there is none.
    virtual LmLib::CLmPtr<CVXPreservedZone> FindZone(const LmLib::Values::CLmBSTR& uniqueId,
                                                     const LmLib::Values::CLmBSTR& tag);

    // Reads the file at path and adds its zones. Returns false, adding nothing, when
    // the file cannot be opened or read; raises when its markers cannot be read.
    bool LoadFile(const LmLib::Values::CLmBSTR& path);

    // The same for a text in memory of length bytes (no terminator needed); fileName
    // only names the text in error messages.
    void LoadText(CVXZoneText text, size_t length, const LmLib::Values::CLmBSTR& fileName);

    // The zone at index; null when index is out of range.
    LmLib::CLmPtr<CVXPreservedZone> GetZone(int index);

    int GetCount() override;

protected:
    LmLib::CLmPtr<LmLib::Object::CLmObject> DoGetItem(int index) override;
    LmLib::CLmPtr<LmLib::Object::CLmObject> DoAdd(LmLib::CLmPtr<LmLib::Object::CLmObject> element) override;
    void DoRemoveAt(int index) override;
    void DoRemove(LmLib::CLmPtr<LmLib::Object::CLmObject> element) override;
    void DoClear() override;

private:
    struct Key
    {
        std::wstring_view Id;
        std::wstring_view Tag;
        bool operator==(const Key& other) const { return Id == other.Id && Tag == other.Tag; }
    };
    struct KeyHash
    {
        size_t operator()(const Key& key) const;
    };

    void ResetIndex();
    void ExtendIndex();

    std::vector<LmLib::CLmPtr<CVXPreservedZone>> m_Zones;
    // Position of the first zone for each (id, tag), covering the first m_IndexedCount
    // zones; the keys view texts kept in m_KeyTexts, whose elements never move.
    std::unordered_map<Key, size_t, KeyHash> m_Index;
    std::deque<std::wstring> m_KeyTexts;
    size_t m_IndexedCount = 0;
};
