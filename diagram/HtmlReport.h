// index.html: the whole model as one page that needs no server: the package tree, every
// diagram inline (class boxes link to their class), and per class its documentation,
// members, relations, components and the files they generate.
#pragma once

#include "diagrams/Diagram.h"

#include <functional>
#include <string>
#include <vector>

namespace RoseHost {
struct Model;
struct Class;
struct Module;
}

namespace VexloDiagram {

struct ReportInput {
    const RoseHost::Model* model = nullptr;
    const RoseHost::Diagrams::DiagramSet* diagrams = nullptr;
    std::vector<std::string> svgFiles; // file name of each diagram's SVG, parallel to diagrams
    // The file a component generates ("" when it generates none).
    std::function<std::string(const RoseHost::Module&)> componentFile;
    // A folder beside index.html for the parts of a big report ("" = every part inline).
    std::string partsFolder;
};

// A file of a big report's parts: its path below the report's folder and its text.
struct ReportPart {
    std::string file;
    std::string text;
};

// index.html. Where `parts` is given, the input names a parts folder and the parts the
// page shows lazily add up to more than about a megabyte, they go into files of their own
// (`parts`), which the page loads when they come near the screen; else they stay inline.
std::string RenderIndex(const ReportInput& input, std::vector<ReportPart>* parts = nullptr);

// The anchor of a class in index.html ("class-<unique id>").
std::string ClassAnchor(const RoseHost::Class& cls);

} // namespace VexloDiagram
