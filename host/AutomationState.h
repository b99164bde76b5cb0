// State shared by the stand-in host's automation objects, and the factories through which
// one object makes another. Internal to the host library.
#pragma once

#include "Automation.h"
#include "AutomationObject.h"

namespace RoseHost::Automation {

struct HostState {
    struct Failure {
        std::wstring member; // "Member" or "Interface.Member"
        HRESULT hr;
        int remaining;       // < 0: every call
        std::wstring description;
    };

    std::shared_ptr<Model> model;
    std::vector<std::wstring> addIns{L"Delphi", L"C#"};
    std::vector<ContextMenuItemRecord> menuItems;
    LogSink logSink;
    std::vector<Failure> failures;
    // The last component and class handed to the add-in, to say where a failure happened.
    const Element* lastModule = nullptr;
    const Element* lastClass = nullptr;

    void Log(const std::wstring& line) const;
    // When a failure is set for this member of an object with interface `iface`, uses it
    // up and returns true with its result and description.
    bool TakeFailure(const Meta::Interface& iface, const Meta::Member& member, HRESULT& hr,
                     std::wstring& description);
};

using StatePtr = std::shared_ptr<HostState>;

// Each returns a new object with one reference for the caller (nullptr for no element).
IDispatch* NewApplication(const StatePtr& state);
IDispatch* NewElement(const StatePtr& state, Element* element);
IDispatch* NewRichType(const StatePtr& state, std::wstring name, SHORT value);
IDispatch* NewProperty(const StatePtr& state, Element* element, const ToolProperty& property);
IDispatch* NewPropertyCollection(const StatePtr& state, Element* element, std::vector<ToolProperty> properties);
IDispatch* NewElementCollection(const StatePtr& state, const Meta::Interface& iface, std::vector<Element*> elements);
// A collection of `count` objects that `maker` makes by 0-based index when asked.
IDispatch* NewList(const StatePtr& state, const Meta::Interface& iface, size_t count,
                   std::function<IDispatch*(size_t)> maker);

template <class T>
IDispatch* NewCollection(const StatePtr& state, const Meta::Interface& iface, const std::vector<T*>& elements)
{
    return NewElementCollection(state, iface, std::vector<Element*>(elements.begin(), elements.end()));
}

} // namespace RoseHost::Automation
