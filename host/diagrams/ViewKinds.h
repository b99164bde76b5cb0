// The one table of view kinds: for every kind of view a model file stores, whether it is
// a line between two other views and how it is drawn. The reader checks views against it
// and the painter draws by it, so the two never disagree about a kind.
#pragma once

#include <string_view>

namespace RoseHost::Diagrams {

enum class Shape {
    Unknown,        // a kind nobody taught us: a dashed box with its kind, and a warning
    Class,          // box with compartments, or the stereotype's icon
    Note,
    Package,
    Subsystem,
    Component,
    Interface,      // the small circle with its name below
    UseCase,
    Lifeline,       // interaction object with its dashed line
    Focus,          // activation bar
    Destruction,
    Object,
    State,
    ActivityState,
    Decision,
    Synchronization,
    StartState,
    EndState,
    Swimlane,
    Processor,
    Device,
    FreeText,       // a text of its own on the diagram
    // Lines
    Line,           // solid, no head (links, connections, roles)
    Association,    // the middle point of an association: drawn by its roles
    Role,           // association end: diamond or arrow at the class end
    Inherit,        // solid, hollow triangle
    InheritTree,    // the stem of a shared inheritance tree
    Realize,        // dashed, hollow triangle
    Dependency,     // dashed, open arrow
    Attach,         // dashed, no head (note anchors)
    Transition,     // solid, open arrow
    Message,        // solid, filled arrow
    SelfMessage,    // a loop back to the same lifeline
    SelfLink,       // a loop on one object box
};

struct ViewKind {
    std::string_view type;  // petal type name
    Shape shape;
    bool line;              // drawn between two other views
    bool sized;             // the modeling tool always stores its size
};

// The kind of a petal view type, or nullptr for a kind not in the table.
const ViewKind* FindViewKind(std::string_view type);

// True when the kind of view is drawn as a line between two other views.
bool IsLineView(std::string_view type);

// True when the table knows the kind (a view of another kind is drawn as a plain
// labelled box, with a warning).
bool IsKnownView(std::string_view type);

// The shape a view of this type is drawn as; StateViews of the start and end kinds
// ("StartState", "EndState" after the type) are the dots.
Shape ShapeOf(std::string_view type, std::string_view kindName);

} // namespace RoseHost::Diagrams
