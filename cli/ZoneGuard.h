// Keeps the user's text of the preserved zones through a generation run. The add-in
// writes back only the zones that its elements ask for, reads old files as 8-bit text,
// and ends a zone at the first end marker; what it does not carry over is gone once the
// old file is replaced. The host therefore reads every old file of the run first,
// refuses files that the add-in would misread, carries zones whose element now lives in
// another file of the run, and saves whatever no new file holds to a recovery file
// beside the old one ("<file>.vxlost", appended to), with a warning for each.
#pragma once

#include "OutputPaths.h"
#include "ZoneScan.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace VexloCli {

// The files that generating these classes and components writes, as the add-in names
// them (components whose "GenerateCode" is not TRUE are not written).
std::vector<std::wstring> GeneratedFiles(const RoseHost::Model& model, const std::vector<RoseHost::Class*>& classes,
                                         const std::vector<RoseHost::Module*>& modules, const PathSymbolLookup& lookup);

class ZoneGuard {
public:
    // strict: a text saved to a recovery file makes the run fail (--strict-zones).
    explicit ZoneGuard(bool strict);

    // Reads the old files at these output paths ("\" or "/" separated) and the other
    // generated files beside them. Throws CliError (ExitUserText) naming the file and
    // line when an old file cannot be read safely; nothing has been written then.
    void ReadOldFiles(const std::vector<std::wstring>& outputPaths);

    // After a generation pass: zones that the pass dropped but whose element (its unique
    // id and tag) now stands in another new file of the run are put into that file, so
    // that the next pass places them. True when another pass is needed.
    bool CarryDroppedZones();

    // After the last pass: every zone text of an old file that is in no new file is
    // appended to the recovery file. ExitOk, or ExitUserText in strict mode when
    // anything was saved.
    int SaveWhatWasLost();

private:
    struct File {
        std::wstring path; // as shown to the user ("/" separated)
        std::string text;
        ZoneScanResult scan;
        bool inRun = false; // written by this run (else only a source of zones)
    };

    // Appends chunk to the file's recovery file and warns, naming the line it came from.
    void Save(const File& file, std::string chunk, int line, const std::wstring& reason);

    bool m_strict;
    bool m_saved = false;
    std::vector<File> m_files; // the run's files first
    std::map<std::wstring, std::set<std::pair<std::string, std::string>>> m_carried; // file -> (id, tag)
};

} // namespace VexloCli
