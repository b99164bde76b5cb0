// The files a generation run will write, worked out before anything is written, and the
// rule that keeps a run inside the folders the user gave: every file lies below a
// "Directory" setting of the model or of a component package (after --out and the path
// map), reached through plain package and component names only. A name that would climb
// out (a separator, "..", a drive), a "$SYMBOL" nothing defines, and a "Directory" that
// would start at the top of the file system refuse the run with the model file's line.
#pragma once

#include "OutputPaths.h"

#include <string>
#include <vector>

namespace VexloCli {

struct PlannedFile {
    std::wstring path;                        // as the add-in names it
    const RoseHost::Module* module = nullptr; // null once the model is let go (NameComponents)
    size_t base = 0;                          // index into RunPlan::bases
    std::wstring relative;                    // below the base ("\" separated)
    std::wstring component;                   // "component NAME", set by NameComponents
};

struct RunPlan {
    // Every "Directory" folder of the model (of both tools and every component package),
    // whether or not a file of this run lies below it: the add-in is pointed away from
    // each one during the run.
    std::vector<std::wstring> bases;
    std::vector<PlannedFile> files;          // one per path (the first component naming it)
    // The bases that lie in no other base: each holds the run's lock and journal.
    std::vector<std::wstring> tops;
    size_t TopOf(const std::wstring& path) const;
};

// Each file's component named, for a run about to let its model go.
void NameComponents(RunPlan& plan);

// Throws CliError (ExitModelLoad) naming the model file's line, the element and the name
// when a file of the run would leave its base.
RunPlan PlanRun(RoseHost::Model& model, const std::vector<const RoseHost::Module*>& modules,
                const PathSymbolLookup& lookup);

// Two elements that would mix up code: two components written to one file, or two
// elements (components, their classes, attributes and operations) with one unique id (a
// copied element keeps its original's). For generate, show and lint alike.
struct PlanConflict {
    const RoseHost::Element* element = nullptr; // the later one
    const RoseHost::Element* other = nullptr;   // the first one
    std::wstring what;                          // "file ...", "unique id ..."
    std::wstring message, fix;                  // "is written to ... (MODEL:LINE) too, ..."
};
std::vector<PlanConflict> FindConflicts(const RoseHost::Model& model, const std::vector<const RoseHost::Module*>& modules,
                                       const PathSymbolLookup& lookup);
// "MODEL:LINE: operation Pkg::Class.Name has the unique id ..., as has ... (MODEL:LINE) ..."
std::wstring DescribeConflict(const RoseHost::Model& model, const PlanConflict& conflict);
// Throws CliError (ExitModelLoad) naming both elements of the first conflict among the
// components of the plan.
void RefuseDuplicateIds(const RoseHost::Model& model, const RunPlan& plan, const PathSymbolLookup& lookup);

// The files that generating these classes and components writes, as the add-in names
// them (components whose "GenerateCode" is not TRUE are not written).
std::vector<std::wstring> GeneratedFiles(const RoseHost::Model& model, const std::vector<RoseHost::Class*>& classes,
                                         const std::vector<RoseHost::Module*>& modules, const PathSymbolLookup& lookup);

// Where a folder lies below another one (both "\" or "/" separated, letter case ignored
// as the platform finds names): the rest of the path, or nothing.
std::optional<std::wstring> Below(const std::wstring& folder, const std::wstring& path);

} // namespace VexloCli
