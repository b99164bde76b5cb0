// What the last committed run generated, kept in the output folder ("<output>/.vexlo/"),
// so that a run knows each line it wrote: a line of an old file that is neither in a
// zone nor in that text is the user's, a zone whose text is still the generator's may
// follow the model, a file that no component writes any more is stale, and zones saved
// to recovery files can come back. Also the base of a three-way merge (`vexlo reverse`).
//
// Layout: "base/index" lists the files ("file BLOB<TAB>SIZE<TAB>PATH", PATH relative to
// the output folder, "/" separated), after each file the zones whose text the generator
// wrote itself, never the user ("default ID<TAB>TAG"), and the zones saved to recovery
// files ("saved ID<TAB>TAG<TAB>RECOVERY"); "base/BLOB" holds a generated text, named by
// its hashes (a text is written once, never changed in place); "base/index.old" is the
// index a commit under way moved aside. Without the index the store is absent, and a run
// does what it did before it existed.
#pragma once

#include "HeldText.h"
#include "TextHash.h"

#include "vxplat/Durability.h"
#include "vxplat/Types.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace VexloRun {

// A zone an earlier run saved to a recovery file, to be brought back when its element
// is generated again.
struct SavedZone {
    std::string id, tag;
    std::string recovery; // relative to the output folder, "/" separated
};

class BaseStore {
public:
    // Reads "<outputFolder>/.vexlo/base/index" (not following links). Never throws: a
    // missing or unreadable index gives an absent store (WhyAbsent says why).
    static BaseStore Open(const std::filesystem::path& outputFolder);

    bool Present() const { return m_present; }
    const std::string& WhyAbsent() const { return m_whyAbsent; }
    const std::filesystem::path& OutputFolder() const { return m_output; }

    // What the last committed run generated for that file (absolute, or relative to the
    // output folder); nothing when the store has no such file or its text is damaged.
    std::optional<std::string> Generated(const std::filesystem::path& file) const;

    // Whether the store names a text for that file (Generated may still find it damaged).
    bool Knows(const std::filesystem::path& file) const;

    // The zones (unique id, tag) of that file whose text the generator wrote itself,
    // "ID<TAB>TAG<LF>" each, in order.
    using ZoneKeys = std::set<std::pair<std::string, std::string>>;
    std::string Defaults(const std::filesystem::path& file) const;

    // Every file the store knows, relative to the output folder ("/" separated).
    std::vector<std::string> Files() const;
    const std::vector<SavedZone>& Saved() const { return m_saved; }

    // Whether the store has exactly this text for that file (then Record has nothing to do);
    // `print`, when given, is the text's (PrintOf), so that it is not hashed again.
    bool Holds(const std::filesystem::path& file, const std::string& text,
               const VexloCli::TextPrint* print = nullptr) const;

    // The next state, committed by Commit: a file's generated text, a file no longer
    // generated, a zone saved to a recovery file or brought back. The store does not copy
    // a recorded text (a run holds all its files' texts already): it must stay alive and
    // unchanged until EndCommit or the store's end.
    void Record(const std::filesystem::path& file, const std::string& generated, ZoneKeys defaults);
    // The same for a text that waits on disk: `generated` names it (and may go once this
    // returns); `held` is read back when the commit writes the text.
    void Record(const std::filesystem::path& file, const std::string& generated, const VexloCli::HeldText& held,
                ZoneKeys defaults);
    void Forget(const std::filesystem::path& file);
    void RecordSaved(SavedZone zone);
    void ForgetSaved(const std::string& id, const std::string& tag);
    bool Changed() const { return m_changed; }

    // The commit in steps. BeginCommit writes the new texts (flushed) and then moves the
    // old index aside ("base/index.old"), so that a run killed from here on leaves no
    // index that disagrees with the files (the next run falls back and says so).
    // EndCommit writes the new index (flushed). RestoreIndex puts the old index back
    // after a rolled-back commit, whether or not EndCommit ran. FinishCommit, once the
    // whole commit stands, removes the old index and the texts nothing names. Each
    // returns false with the system's error set.
    bool BeginCommit();
    bool EndCommit();
    bool RestoreIndex();
    bool FinishCommit();

    // Relative path of a file below the output folder ("/" separated), or nothing.
    std::optional<std::string> RelativeOf(const std::filesystem::path& file) const;

private:
    struct Entry {
        std::string blob;
        size_t size = 0;
        std::string path; // as recorded
        // The zone keys packed (PackKeys: a set's nodes would take five times the room)
        // when recorded; as read, they stay in the index, at [at, at + length) with the
        // file's line, read again when asked for (all files' keys at once take as much
        // room as a tenth of a large model). length 0: they are here.
        std::string defaults;
        uint64_t at = 0;
        uint32_t length = 0;
        const std::string* pending = nullptr; // a text to write, held by the caller
        const VexloCli::HeldText* held = nullptr; // or one waiting on disk, held by the caller
    };
    // An open file, closed when it goes.
    class FileHandle {
    public:
        FileHandle() = default;
        FileHandle(FileHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
        FileHandle& operator=(FileHandle&& other) noexcept
        {
            std::swap(m_handle, other.m_handle);
            return *this;
        }
        ~FileHandle() { Close(); }
        HANDLE Get() const { return m_handle; }
        void Reset(HANDLE handle)
        {
            Close();
            m_handle = handle;
        }
        void Close();

    private:
        HANDLE m_handle = nullptr;
    };
    std::filesystem::path m_output;
    bool m_present = false;
    bool m_changed = false;
    std::string m_whyAbsent;
    // The index the entries' keys are in (moved aside by BeginCommit), as it was when read.
    std::wstring m_indexPath;
    VxpFileIdentity m_indexIdentity;
    mutable FileHandle m_index;
    bool m_movedAside = false; // BeginCommit moved an index aside
    bool m_wroteIndex = false; // EndCommit wrote one
    static constexpr char kIndexMagic[] = "vexlo base 1"; // the index's first line
    std::optional<bool> ReadIndex(bool identified);
    void AppendLines(const Entry& e, std::string& text) const;
    std::string Keys(const Entry& e) const;
    std::string IndexedKeys(const Entry& e) const;
    Entry* Recorded(const std::filesystem::path& file, const std::string& generated, ZoneKeys& defaults);
    std::optional<std::string> PendingText(const Entry& e) const;
    std::map<std::string, Entry> m_files; // by lower-case relative path
    std::vector<SavedZone> m_saved;
};

} // namespace VexloRun
