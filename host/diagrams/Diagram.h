// The diagrams of a model as the model file stores them: every view with its place,
// size, labels, colours and font, every line with its vertices. Plain data in the file's
// own units (about 1/300 inch, y downwards); texts are UTF-8.
#pragma once

#include "ViewKinds.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace RoseHost {
struct Element;
}

namespace RoseHost::Diagrams {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A font as stored; size 0, an empty face and color -1 mean "not stored".
struct Font {
    int size = 0;
    std::string face;
    bool bold = false;
    bool italics = false;
    bool underline = false;
    int color = -1; // BGR
};

// An ItemLabel or SegLabel: a text at a place.
struct Label {
    std::string text;       // lines joined with "\n"
    Point location;
    bool hasLocation = false;
    int maxWidth = 0;
    int nlines = 0;         // lines the modeling tool broke the text into (0: not stored)
    int justify = 0;        // 0 centre, 1 left, 2 right
    int anchor = 0;         // for SegLabels: which end of the line it belongs to
    int anchorLoc = -1;     // stored for labels placed by their middle (icons' names); -1: top left
    std::string quidu;      // the element it names (a message), when stored
    Font font;
    // Labels of lines: how far along the line (0..1) and how far off it (to the left of its
    // direction for orientation 1, to the right for 0); pctDist < 0: not stored.
    double pctDist = -1;
    int offset = 0;
    int orientation = 0;
};

// One view: a box, an icon or a line. Which it is follows from `type`.
struct View {
    std::string type;       // petal type: "ClassView", "RoleView", ...
    Shape shape = Shape::Unknown; // how it is drawn (ViewKinds.h)
    bool IsLine() const { return IsLineView(type); }
    std::string kindName;   // first string after the type ("Class" of a ClassView); "" when none
    std::string qualified;  // second string: "Logical View::Pkg::Name"
    std::string quidu;      // the model element it shows
    const Element* element = nullptr; // resolved quidu, or nullptr
    std::string file;
    unsigned line = 0;

    bool hasLocation = false;
    Point location;         // the centre of a box; the middle point of an association
    int width = -1;         // -1: not stored
    int height = -1;
    int lineColor = -1;     // BGR, -1: not stored
    int fillColor = -1;
    Font font;
    std::vector<Label> labels;      // every "label" field, in file order
    Label stereotypeLabel;          // a "stereotype" ItemLabel ("<<entity>>"), when stored
    std::string icon;               // "Actor", ... when the view names one
    std::string iconStyle;          // "Icon", "Label", "Decoration", "None"
    std::unordered_map<std::string, std::string> flags; // IncludeAttribute, SuppressOperation, ...: TRUE/FALSE
    bool Flag(const std::string& name, bool fallback) const;

    int parent = -1;        // the view this one belongs to (a role's association), index in Diagram::views
    int client = -1;        // lines: the views at the two ends
    int supplier = -1;
    int drawSupplier = -1;  // an inherit line drawn to a shared tree
    std::vector<Point> vertices; // stored path (origin/terminal attachments or the vertex list)
    int ordinal = -1;       // messages: their number, from 0
    int yCoord = 0;         // focus of control: where it starts
};

struct Diagram {
    std::string type;       // "ClassDiagram", "UseCaseDiagram", "Module_Diagram", "InteractionDiagram", ...
    std::string name;
    std::string title;
    std::string quid;
    std::string file;
    unsigned line = 0;
    // Packages (and classes, use cases) around the diagram in its file, outermost first, with
    // their unique ids: the package path is found from the deepest one the model holds.
    std::vector<std::pair<std::string, std::string>> containers; // (name, quid)
    std::vector<std::string> path; // package path below the model, filled by ResolveDiagrams
    const Element* owner = nullptr;
    int pageWidth = 21600;    // the diagram's page as stored (max_width, max_height); the tool's default
    int pageHeight = 28350;
    std::vector<View> views;  // top-level views and their parts (roles, focus of control), file order

    // Nothing to draw: no view with a place (the tool's fresh, never opened diagrams).
    bool Empty() const
    {
        for (const View& v : views)
            if (v.hasLocation || !v.vertices.empty() || v.shape == Shape::Swimlane)
                return false;
        return true;
    }
};

struct DiagramWarning {
    std::string file;
    unsigned line = 0;
    std::string message;
};

struct DiagramSet {
    std::vector<Diagram> diagrams;
    std::vector<DiagramWarning> warnings;
    // Every unique id of the files, with the element's name ("" when unnamed): elements the
    // model builder does not keep (use cases, objects, messages, states ...) are named from here.
    std::unordered_map<std::string, std::string> otherNames;
    // Objects of interaction and object diagrams: unique id -> the name of their class, for
    // anonymous objects (":Class").
    std::unordered_map<std::string, std::string> objectClasses;
};

} // namespace RoseHost::Diagrams
