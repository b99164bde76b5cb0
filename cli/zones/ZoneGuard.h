// Keeps the user's text of the preserved zones through a generation run. The add-in
// writes back only the zones that its elements ask for, reads old files as 8-bit text,
// and ends a zone at the first end marker; what it does not carry over is gone once the
// old file is replaced. The host therefore reads every old file of the run first,
// refuses files that the add-in would misread, makes their line ends consistent for the
// add-in, carries zones whose element now lives in another file of the run, and accounts
// for every old zone by its key (element unique id and tag): it ends in a new file with
// the same key and text, or in the recovery file beside the old one ("<file>.vxlost"),
// with a warning naming it.
#pragma once

#include "OutputPaths.h"
#include "run/TextHash.h"
#include "zones/ZoneScan.h"

#include "vxplat/Durability.h"

#include <functional>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <vector>

namespace VexloCli {

struct OldFileRead;


// Bare LF line ends made CR LF in a text that has CR LF ones (the add-in reads such a
// text by its CR LF line ends alone); *changed counts them. Other texts come back as they are.
std::string ConsistentLineEnds(const std::string& text, size_t* changed = nullptr);
// How many line ends ConsistentLineEnds would change (0: the text stays as it is).
size_t MixedLineEnds(std::string_view text);

// Zone text on its way to a recovery file.
struct RecoveryEntry {
    std::wstring file;     // the old file ("/" separated)
    std::wstring recovery; // its recovery file
    int line = 0;
    std::string chunk;     // marker form
    std::wstring reason;
    std::string id, tag;   // the zone's key ("" for lines outside the zones)
};

// A zone carried into another file.
struct CarriedZone {
    std::wstring zone, from, to;
    int line = 0;
    std::string id, tag;
    bool fromRecovery = false; // brought back from a recovery file
};

// What the last run generated for a file of the run, when the base store knows it: the
// text, and the zones (unique id, tag) whose text the generator wrote itself, packed as
// the store keeps them ("ID<TAB>TAG<LF>" each).
using ZoneKeys = std::set<std::pair<std::string, std::string>>;
struct BaseFile {
    std::string text; // empty when isOld
    std::string defaults;
    bool isOld = false; // the last run generated exactly the old file's bytes
};
// The base of a file, told the old file's bytes (or null) so that the usual case, an
// old file nobody edited, needs no second copy.
using BaseText = std::function<std::optional<BaseFile>(const std::wstring& path, const std::string* old,
                                                         const TextPrint* oldPrint)>;

class ZoneGuard {
public:
    // strict: a text saved to a recovery file makes the run fail (--strict-zones).
    explicit ZoneGuard(bool strict);

    // A run that writes nothing (--dry-run, --check, --diff) says "would carry".
    // With a diff on standard output, the notes go to standard error.
    void Preview(bool notesToError = false) { m_preview = true; m_notesToError = notesToError; }

    // Before ReadOldFiles: what the last run generated for each file. A line outside the
    // zones that is not in it is the user's; a zone whose text is still the generated one
    // is left out of the add-in's copy, so that it gets the model's new default text.
    void UseBase(BaseText base) { m_base = std::move(base); }

    // Before ReadOldFiles: zones saved to recovery files by earlier runs (recovery file,
    // unique id, tag), offered to the files of the run like the zones of other old files.
    struct SavedZoneRef {
        std::wstring recovery;
        std::string id, tag;
    };
    void OfferSavedZones(std::vector<SavedZoneRef> zones) { m_saved = std::move(zones); }

    // Before ReadOldFiles: zones another command hands the add-in beside an old file's
    // (`vexlo reverse`: the bodies of methods added in the code), in marker form, by
    // lower-case "/"-separated path. A line of the user's outside the zones that such a
    // zone carries into the new file stands in it: it is not saved as lost.
    void HandZones(std::map<std::wstring, std::string> zones) { m_handed = std::move(zones); }
    // Before Account: the lines of an old file (numbered as the user's file) whose
    // declarations another command read back and the new text (the add-in's) holds in the
    // generator's form (`vexlo reverse`: `FA, FB: Integer;` for two fields). They are not
    // saved as lost; every other line is, as always.
    using ReadBackLines = std::function<std::set<int>(const std::wstring& path, const std::string& now)>;
    void KnowReadBack(ReadBackLines lines) { m_readBack = std::move(lines); }

    // How an old file's text is handed to the add-in (line ends, encoding: the run's
    // TextForms); without one, only mixed line ends are made CR LF.
    // The form returns nothing when the text is in the add-in's form already.
    using AddinForm = std::function<std::optional<std::string>(const std::wstring& path, const std::string& text)>;
    void SetAddinForm(AddinForm form) { m_addinForm = std::move(form); }

    // Before ReadOldFiles: handed each old file of the run's text as the add-in is to read
    // it (TextForAddin), while the guard holds its bytes, so that they are not read again
    // for the add-in's copy. May throw (CliError).
    using AddinCopy = std::function<void(const std::wstring& path, const std::string& text)>;
    void MakeAddinCopies(AddinCopy copy) { m_addinCopy = std::move(copy); }
    // Before ReadOldFiles: told each old file of the run's bytes as they are read (the
    // path as given to ReadOldFiles), so that other checks need not read them again.
    using OldBytes = std::function<void(const std::wstring& path, const std::string& bytes)>;
    void WatchOldFiles(OldBytes watch) { m_watch = std::move(watch); }

    // Reads the old files at these output paths ("\" or "/" separated) and the other
    // generated files beside them. Throws CliError (ExitUserText) naming the file and
    // line when an old file cannot be read safely; nothing has been written then.
    void ReadOldFiles(const std::vector<std::wstring>& outputPaths);

    // An old file of the run: its bytes, and its text as the add-in is to read it. The
    // guard keeps the old files' bytes only while it works on them (all of them at once
    // take more room than the model): a file let go is read again when asked for, and
    // a file whose bytes are no longer the ones first read fails the run (ExitUserText)
    // before anything is written. The text stays until LetGo.
    const std::string* OriginalText(const std::wstring& path) const;
    const std::string* TextForAddin(const std::wstring& path) const;
    // The old file's bytes and every text made from them let go, until asked for again.
    void LetGo(const std::wstring& path) const;
    // Whether the old file is there (as OriginalText, without reading it again), its
    // size and hashes as first read, and how its lines end (LineEndTally::Alike).
    bool HasOld(const std::wstring& path) const;
    TextPrint PrintOf(const std::wstring& path) const;
    int OldLineEnds(const std::wstring& path) const;
    // Whether a text is the old file's, byte for byte, told by its print.
    bool IsOld(const std::wstring& path, const std::string& text) const;
    // After Account: whether the new file the run wrote is the old file, byte for byte
    // (nothing when the guard did not look).
    std::optional<bool> NewIsOld(const std::wstring& path) const;
    // Whether the last run generated exactly the old file (then a new text equal to the
    // old one is what the base store holds).
    bool OldIsBase(const std::wstring& path) const;
    // The old file's identity when it was read (exists = false: there was none).
    VxpFileIdentity IdentityOf(const std::wstring& path) const;

    // Where the new file of a run's path is (the shadow).
    using NewPath = std::function<std::wstring(const std::wstring& path)>;

    // After a generation pass: zones whose text is in no new file under their key, but
    // whose key now stands in another new file of the run (the class moved, the component
    // was renamed) are put into that new file, so that the next pass places them. True
    // when another pass is needed.
    bool CarryDroppedZones(const NewPath& newPath);

    // After the last pass: every zone of an old file of the run whose text is under its key
    // in no new file becomes a recovery entry.
    void Account(const NewPath& newPath);
    // For a preview whose texts another command takes (reverse), where nothing would go
    // to a recovery file anyway: the notes of zones that follow the model, no accounting.
    void ReportOnly(const NewPath& newPath) const { ReportFollowed(newPath, std::vector<bool>(m_files.size(), false)); }

    // A stale file about to be removed: its zones, and its lines outside them that the
    // last run did not generate, become recovery entries.
    void SaveRetired(const std::wstring& path, const std::string& text, const std::optional<std::string>& base);

    // The zones of a new file of the run whose text the generator wrote itself: those
    // that neither the add-in's copy of the old file nor a carried zone gave it.
    ZoneKeys DefaultZones(const std::wstring& path, std::string_view newText) const;

    const std::vector<RecoveryEntry>& Recovery() const { return m_recovery; }
    const std::vector<CarriedZone>& Carried() const { return m_carriedNotes; }

    // Appends the recovery entries to their files (flushed) and warns for each. Throws
    // CliError (ExitUserText) naming the recovery file when one cannot be written.
    void WriteRecovery() const;

    // ExitOk, or ExitUserText in strict mode when anything goes to a recovery file.
    int ExitCode() const;

private:
    struct File {
        std::wstring path;    // as shown to the user ("/" separated)
        // As on disk, while the guard works on it; a file of the run is read again when
        // let go (reloadable), and checked against the print of its first reading.
        mutable std::optional<std::string> original;
        TextPrint print;
        int lineEnds = -1;
        bool reloadable = false;
        bool Holds(const std::string& text) const
        {
            return text.size() == print.size && VexloCli::PrintOf(text) == print;
        }
        const std::string& Original() const;
        // Drops the bytes and what is made from them (the zones are views into them).
        void LetGo() const;
        std::string mended;   // line ends made consistent, when that changes anything
        // Released zones of the original, [start, end): the add-in's text is then the
        // original without them, made when asked for (LetGo lets it go again). A run
        // releases close to a million zones, hence 32-bit offsets: a file of 4 GB or more
        // releases none.
        std::vector<std::pair<uint32_t, uint32_t>> cutRanges;
        mutable std::optional<std::string> cutText;
        // What the add-in and the guard read.
        const std::string& Text() const
        {
            if (cutRanges.empty())
                return mended.empty() ? Original() : mended;
            if (!cutText)
                cutText = CutText();
            return *cutText;
        }
        std::string CutText() const;
        size_t zoneCount = 0;
        // Its zones, scanned again when first asked for: a run whose new files are the
        // old texts asks for none, and all old files' zones at once take much room.
        const std::vector<ScannedZone>& Zones() const
        {
            if (!zones)
                zones = ScanZoneText(Text()).zones;
            return *zones;
        }
        mutable std::optional<std::vector<ScannedZone>> zones;
        bool inRun = false;   // written by this run (else only a source of zones)
        VxpFileIdentity identity;
        std::optional<std::string> base; // what the last run generated here
        // The usual case, a file nobody edited since, keeps one copy of the text.
        bool baseIsOriginal = false;
        const std::string& Base() const { return baseIsOriginal ? Original() : *base; }
        // Zones left out of the add-in's copy because they held the generated text, when
        // it is not cut from the original: their scope, id, tag and comparable text, each
        // ended by a NUL, and their lines (one buffer keeps thousands of zones small).
        std::string released;
        std::vector<int> releasedLines;
        // Where released zones were cut out of the add-in's copy: the place in it, the
        // first line that starts there or after, and how many lines went with the zone.
        // Kept for a text made for the add-in; for zones cut from the original, worked
        // out from cutRanges when asked for and let go with the bytes.
        struct Cut {
            size_t at = 0;
            int firstLine = 0;
            int lines = 0;
        };
        mutable std::vector<Cut> cuts;
        const std::vector<Cut>& Cuts() const;
        // A place or a line of Text() as the line of the user's file.
        int UserLineAt(size_t at) const;
        int UserLine(int line) const;
        std::vector<int> sourceLines; // a recovery file's zones: their lines in it
    };
    // A zone by id, tag and comparable text, as one string.
    using KeySet = std::unordered_set<std::string>;
    static std::string KeyOf(std::string_view id, std::string_view tag, std::string_view comparable);

    // (file, unique id, tag) of the new files, hashed: a false match only offers a zone to
    // a file whose pass does not take it, and the accounting then saves it.
    using FileKeys = std::unordered_set<uint64_t>;
    static uint64_t FileKey(const File* file, std::string_view id, std::string_view tag);
    KeySet PresentIn(const NewPath& newPath, FileKeys* keys);
    std::vector<std::pair<size_t, uint64_t>> Fingerprint(const NewPath& newPath) const;
    std::vector<bool> Kept(const NewPath& newPath) const;
    bool AllKept(const std::vector<bool>& kept, bool inRunOnly) const;
    const File* Find(const std::wstring& path) const;
    void Mend(File& file) const;
    // What an old file's marker oddities call for once every file is read: a warning
    // (no chunk) or text saved.
    struct Oddity {
        size_t file = 0;
        int line = 0;
        std::string chunk;
        std::wstring text;
        bool warn = false;
    };
    File* ReadRunFile(const std::wstring& output, OldFileRead read, std::unordered_set<std::wstring>& seen,
                      ZoneScanResult& scan);
    void NoteAnomalies(size_t index, const std::vector<ZoneAnomaly>& anomalies, std::vector<Oddity>& into) const;
    void FollowBase(File& file, const std::vector<ScannedZone>& zones);
    void ReadNeighbours(const std::unordered_set<std::wstring>& seen);
    // For each file (in m_files order): whether the run writes it and its new text is
    // the old file's bytes (then it loses no line and no zone changes).
    std::vector<bool> Unchanged(const NewPath& newPath);
    void SaveStrayLines(const NewPath& newPath, const std::vector<bool>& unchanged);
    std::vector<int> LinesNotInBase(const File& file, const std::vector<std::pair<size_t, size_t>>& outside,
                                    const std::string* now = nullptr) const;
    void Save(const File& file, std::string chunk, int line, const std::wstring& reason, std::string_view id = {},
              std::string_view tag = {});
    void SaveLines(const File& file, const std::vector<int>& lines, const std::wstring& why);
    std::vector<int> LeaveReadBack(const File& file, std::vector<int> lines, const std::string& now) const;
    void ReleaseGeneratedZones(File& file, const std::string& defaults, const std::vector<ScannedZone>& zones);
    void ReadSavedZones(std::unordered_set<std::wstring>& seen);
    void ReportFollowed(const NewPath& newPath, const std::vector<bool>& unchanged) const;

    bool m_strict;
    bool m_preview = false;
    BaseText m_base;
    std::vector<SavedZoneRef> m_saved;
    std::map<std::wstring, std::string> m_handed;
    ReadBackLines m_readBack;
    AddinForm m_addinForm;
    OldBytes m_watch;
    AddinCopy m_addinCopy;
    bool m_notesToError = false;
    std::vector<File> m_files; // the run's files first
    std::unordered_map<std::wstring, size_t> m_byPath; // the run's files by lower-case path
    std::map<std::wstring, std::set<std::pair<std::string, std::string>>> m_carried; // file -> (id, tag)
    std::vector<RecoveryEntry> m_recovery;
    std::vector<CarriedZone> m_carriedNotes;
    // The keys of the new files after a pass that needs no other, and what those files were.
    std::optional<KeySet> m_present;
    std::vector<std::pair<size_t, uint64_t>> m_prints;
    std::vector<bool> m_unchanged; // Unchanged's answer, by m_files index
};

} // namespace VexloCli
