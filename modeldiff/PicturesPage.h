// The changed diagrams, old and new side by side in one HTML page each, drawn by the
// diagram writers: views of elements added in green, removed in red, changed (moved,
// resized, restyled, or their element changed) in amber, the rest faded.
#pragma once

#include "ModelDiff.h"

#include <string>
#include <vector>

namespace VexloDiff {

struct PicturePage {
    std::string title;    // the diagram's path
    std::string fileName; // "Catalog-Catalog.html"
    std::string html;
    size_t added = 0, removed = 0, changed = 0; // views highlighted
};

// One page per diagram whose views or elements changed (or that was added or removed).
std::vector<PicturePage> PicturePages(const RoseHost::Diagrams::DiagramSet& before,
                                      const RoseHost::Diagrams::DiagramSet& after, const DiffResult& result,
                                      const std::string& beforeName, const std::string& afterName);

// index.html: the pages in a list with what each shows.
std::string PicturesIndex(const std::vector<PicturePage>& pages, const std::string& beforeName,
                          const std::string& afterName);

} // namespace VexloDiff
