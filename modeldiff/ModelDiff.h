// What a model change means, element by element: two loaded models compared through the
// host's in-memory model. Elements are paired by their unique ids (a rename stays a
// rename), then by qualified name where a file gives none; every difference becomes one
// line in model terms ("~ attribute Catalog::TItem.Notes → Remarks"), grouped by package
// and class. Texts are UTF-8.
#pragma once

#include "RoseModel.h"
#include "diagrams/Diagram.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace VexloDiff {

struct Change {
    char sign = '~';          // '+' added, '-' removed, '~' changed (renamed, moved, a value)
    std::string kind;         // "class", "attribute", "operation", "parameter", "role", "generalization",
                              // "realization", "dependency", "has", "association", "component",
                              // "component package", "package", "model", "property", "documentation",
                              // "stereotype" (a field), "diagram"
    std::string element;      // the element's path in the new model (the old one when removed)
    std::string field;        // what changed ("" for added, removed, renamed, moved)
    std::string before, after; // the values as shown ("" when added or removed)
    std::string group;        // the package the line is listed under ("Catalog", "Component View::Delphi", "Diagrams")
    std::string owner;        // the class (or component) inside the group, "" when none
    std::string id;           // the element's unique id ("" for diagrams and elements without one)
    std::string text;         // the whole line: "~ operation Catalog::TBook.LoanDays: result Integer → Word"
    bool layout = false;      // a change of the pictures only: not a change of the design
    const RoseHost::Element* oldElement = nullptr;
    const RoseHost::Element* newElement = nullptr;
};

struct DiffOptions {
    // The folder a component's file goes to (as `show` prints it), "" when it writes none:
    // a change of it is listed as the component's "Directory". Optional.
    std::function<std::string(const RoseHost::Module&)> componentFolder;
};

struct DiffResult {
    std::vector<Change> changes; // sorted: by group, then owner, then the order found
    // The unique ids of elements that changed, with the sign: '+' only in the new model,
    // '-' only in the old one, '~' changed (a class also when one of its members changed).
    std::unordered_map<std::string, char> marks;
    size_t Count(char sign, bool layout) const;
    bool DesignChanged() const; // any change that is not layout only
};

DiffResult CompareModels(const RoseHost::Model& before, const RoseHost::Model& after, const DiffOptions& options = {});

// Two versions of one diagram, their views paired (by the element a view shows, else by
// kind and label, in file order).
struct DiagramPair {
    const RoseHost::Diagrams::Diagram* before = nullptr; // nullptr: the diagram is new
    const RoseHost::Diagrams::Diagram* after = nullptr;  // nullptr: the diagram was removed
    std::vector<int> partner;       // per view of `before`: its index in `after`, or -1
    std::vector<int> partnerOf;     // per view of `after`: its index in `before`, or -1
    std::vector<bool> moved, resized, recoloured; // per view of `before`
};
std::vector<DiagramPair> PairDiagrams(const RoseHost::Diagrams::DiagramSet& before,
                                      const RoseHost::Diagrams::DiagramSet& after);

// The diagrams compared (paired by unique id, then by package path and title): views
// added, removed, moved, resized or recoloured, summarised per diagram, into `result`.
void CompareDiagrams(const RoseHost::Diagrams::DiagramSet& before, const RoseHost::Diagrams::DiagramSet& after,
                     DiffResult& result);

// The package path of a diagram and its title: "Catalog::Catalog".
std::string DiagramPath(const RoseHost::Diagrams::Diagram& diagram);

// Documentation changes as a short word diff: the words around the change, removed words
// as [-...-], added ones as {+...+}.
std::string WordDiff(const std::string& before, const std::string& after);

// Puts the changes in their listing order (groups, owners, the order found).
void SortChanges(std::vector<Change>& changes);

} // namespace VexloDiff
