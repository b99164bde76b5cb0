// The stand-in host's automation face: the objects through which an add-in sees the
// in-memory model (IRoseApplication and its kin of RoseHost.idl), reached by IDispatch.
//
// AutomationHost is what the command-line host and the tests hold: it makes application
// (and element) objects over one model and lets the caller set what only the host's user
// would decide (the selection, the list of add-ins), read what the add-in did (its
// context-menu items, its log lines) and make a chosen host member fail.
//
// The objects share the host's state and the model by reference counting, so an object
// that the add-in keeps stays valid after the AutomationHost is gone. Objects are made
// afresh for every request (two calls give two objects for the same element).
#pragma once

#include "RoseModel.h"
#include "vxplat/Com.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace RoseHost {

namespace Automation {
struct HostState;
}

// A context-menu item that an add-in registered with AddContextMenuItem.
struct ContextMenuItemRecord {
    std::wstring addIn;        // Name of the add-in entry it was added through
    SHORT itemType = 0;        // the host's context-menu type
    std::wstring caption;      // fullCaption
    std::wstring internalName; // what OnSelectedContextMenuItem is called with
};

// Receives each line given to IRoseApplication.WriteErrorLog, without a line end.
using LogSink = std::function<void(const std::wstring& line)>;

class AutomationHost {
public:
    explicit AutomationHost(std::shared_ptr<Model> model);
    ~AutomationHost();
    AutomationHost(const AutomationHost&) = delete;
    AutomationHost& operator=(const AutomationHost&) = delete;

    Model& GetModel() const;

    // A new IRoseApplication object; the caller owns its one reference.
    IDispatch* CreateApplication() const;
    // A new object for a model element, answering the element's interface (IRoseClass
    // for a class, ...); the caller owns its one reference.
    IDispatch* CreateElementObject(Element& element) const;

    // What IRoseModel.GetSelectedClasses / GetSelectedModules answer, in this order.
    void SetSelection(std::vector<Class*> classes, std::vector<Module*> modules);

    // The host's add-in entries, in list order ("Delphi" and "C#" unless changed).
    void SetAddIns(std::vector<std::wstring> names);
    std::vector<std::wstring> AddIns() const;

    // Context-menu items added so far, in the order they were added.
    std::vector<ContextMenuItemRecord> ContextMenuItems() const;
    void ClearContextMenuItems();

    // The last component (ElementKind::Module) or class handed to the add-in, or nullptr.
    const Element* LastHanded(ElementKind kind) const;

    // Where WriteErrorLog lines go; an empty sink restores the default, standard output.
    void SetLogSink(LogSink sink);

    // Makes the next `times` calls of a member fail with `hr` and error information
    // (`description`, or "<Interface>.<Member> failed" when empty); `times` < 0 fails
    // every call. `member` is a member name ("GetSelectedClasses") or qualified with an
    // interface of the object ("IRoseClass.GetAssignedLanguage", "IRoseItem.Name");
    // letter case does not matter. Argument errors are still reported first.
    void SetFailure(const std::wstring& member, HRESULT hr, int times = 1, const std::wstring& description = L"");
    void ClearFailures();

private:
    std::shared_ptr<Automation::HostState> m_state;
};

} // namespace RoseHost
