#include "ViewKinds.h"

#include <array>

namespace RoseHost::Diagrams {

namespace {

constexpr std::array kKinds = {
    ViewKind{"ClassView", Shape::Class, false, false},
    ViewKind{"NoteView", Shape::Note, false, true},
    ViewKind{"CategoryView", Shape::Package, false, true},
    ViewKind{"SubSysView", Shape::Subsystem, false, true},
    ViewKind{"ModView", Shape::Component, false, true},
    ViewKind{"InterfaceView", Shape::Interface, false, false},
    ViewKind{"UseCaseView", Shape::UseCase, false, false},
    ViewKind{"InterObjView", Shape::Lifeline, false, false},
    ViewKind{"Focus_Of_Control", Shape::Focus, false, false},
    ViewKind{"Destruction_Marker", Shape::Destruction, false, false},
    ViewKind{"ObjectView", Shape::Object, false, false},
    ViewKind{"StateView", Shape::State, false, false},
    ViewKind{"ActivityStateView", Shape::ActivityState, false, false},
    ViewKind{"DecisionView", Shape::Decision, false, false},
    ViewKind{"SynchronizationView", Shape::Synchronization, false, false},
    ViewKind{"StartStateView", Shape::StartState, false, false},
    ViewKind{"EndStateView", Shape::EndState, false, false},
    ViewKind{"Swimlane", Shape::Swimlane, false, false},
    ViewKind{"ProcessorView", Shape::Processor, false, true},
    ViewKind{"DeviceView", Shape::Device, false, true},
    ViewKind{"Label", Shape::FreeText, false, false},
    ViewKind{"AssociationViewNew", Shape::Association, true, false},
    ViewKind{"RoleView", Shape::Role, true, false},
    ViewKind{"InheritView", Shape::Inherit, true, false},
    ViewKind{"InheritTreeView", Shape::InheritTree, true, false},
    ViewKind{"RealizeView", Shape::Realize, true, false},
    ViewKind{"UsesView", Shape::Dependency, true, false},
    ViewKind{"DependencyView", Shape::Dependency, true, false},
    ViewKind{"ModVisView", Shape::Dependency, true, false},
    ViewKind{"ImportView", Shape::Dependency, true, false},
    ViewKind{"IncludeView", Shape::Dependency, true, false},
    ViewKind{"ExtendView", Shape::Dependency, true, false},
    ViewKind{"AttachView", Shape::Attach, true, false},
    ViewKind{"TransView", Shape::Transition, true, false},
    ViewKind{"SelfTransView", Shape::Transition, true, false},
    ViewKind{"MessView", Shape::Transition, true, false},
    ViewKind{"LinkView", Shape::Line, true, false},
    ViewKind{"ConnectionView", Shape::Line, true, false},
    ViewKind{"InterMessView", Shape::Message, true, false},
    ViewKind{"SelfMessView", Shape::SelfMessage, true, false},
    ViewKind{"LinkSelfView", Shape::SelfLink, true, false},
    ViewKind{"SelfLinkView", Shape::SelfLink, true, false},
};

} // namespace

const ViewKind* FindViewKind(std::string_view type)
{
    for (const ViewKind& k : kKinds)
        if (k.type == type)
            return &k;
    return nullptr;
}

bool IsLineView(std::string_view type)
{
    const ViewKind* k = FindViewKind(type);
    return k && k->line;
}

bool IsKnownView(std::string_view type) { return FindViewKind(type) != nullptr; }

Shape ShapeOf(std::string_view type, std::string_view kindName)
{
    const ViewKind* k = FindViewKind(type);
    if (!k)
        return Shape::Unknown;
    if (k->shape == Shape::State && kindName == "StartState")
        return Shape::StartState;
    if (k->shape == Shape::State && kindName == "EndState")
        return Shape::EndState;
    return k->shape;
}

} // namespace RoseHost::Diagrams
