// The preserved zones of an existing generated file, in file order, and their lookup
// by (unique id, tag).
//
// Reading an old file (LoadFile / LoadText). The file is read whole with one
// allocation and one read; zones keep positions into that text. Each piece of a zone
// is searched from the previous one on, across lines, by plain substring search:
//   "//## begin ", then "%" (scope before it), then "." (unique id before it), then
//   " preserve=" (tag before it), then a line end (preserve value before it),
//   then "//## end" (the zone's text before it), then a line end (the end marker's
//   scope, id and tag are not examined).
// A "//## begin " inside a zone's text is part of the text (zones do not nest); the
// search for the next zone starts at the end-marker line's line end. A stray
// "//## begin " outside a zone (in a comment, say) pairs with the pieces of the zone
// that follows it.
//
// Line ends. Generated files end their lines with CR LF, and a line end is CR LF.
// A file with no CR LF at all (it went through a checkout that changed every line
// end) is read with LF as the line end. The zone's text is kept exactly as it
// stands. The last end marker of a file may also end the text without a line end.
//
// Unreadable markers. A begin marker that is not followed, in this order, by "%",
// ".", " preserve=", a line end and "//## end" anywhere before the end of the text
// (a truncated file, or one whose lines end in bare CR) cannot be read, and a new
// file built from the old one would lose the text of every zone from that marker on.
// So reading refuses such a file with a CLmException (code -100) that names the file
// and the line of the marker. No zone of a refused file is kept, and the generator
// stops before it writes. The scan never looks outside the text it is given: every
// search is bounded by the text's length (a 0 byte is searched past like any other
// byte).
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
    // The same for texts the caller already holds, without making strings of them.
    LmLib::CLmPtr<CVXPreservedZone> FindZoneView(std::wstring_view uniqueId, std::wstring_view tag);

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
