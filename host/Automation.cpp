// The stand-in host itself (AutomationHost), its shared state, and the objects above the
// model: application, add-in manager, add-ins and context-menu items.
#include "Automation.h"

#include "AutomationState.h"
#include "Utf8.h"

#include <cstdio>
#include <cwctype>
#include <stdexcept>

namespace RoseHost {

namespace Automation {

namespace D = RoseHost::Disp;

namespace {

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

const wchar_t* const kNoSuchAddIn = L"The add-in is no longer in the host's list";

class ContextMenuItemObject : public Object {
public:
    ContextMenuItemObject(const StatePtr& state, size_t index) : Object(state), m_index(index) {}

protected:
    const DispatchTable& Table() const override
    {
        using M = ContextMenuItemObject;
        static const DispatchTable table =
            DispatchTable(Meta::IRoseContextMenuItem)
                .Get<M>(D::ContextMenuItem::Caption, [](M& o, Call& c) { return c.Return(o.Record().caption); })
                .Get<M>(D::ContextMenuItem::InternalName,
                        [](M& o, Call& c) { return c.Return(o.Record().internalName); })
                .Get<M>(D::ContextMenuItem::ItemType, [](M& o, Call& c) { return c.Return(o.Record().itemType); });
        return table;
    }

private:
    const ContextMenuItemRecord& Record() const { return State().menuItems.at(m_index); }

    size_t m_index; // records are only appended (or all cleared)
};

class AddInObject : public Object {
public:
    AddInObject(const StatePtr& state, size_t index) : Object(state), m_index(index) {}

protected:
    const DispatchTable& Table() const override
    {
        using M = AddInObject;
        static const DispatchTable table =
            DispatchTable(Meta::IRoseAddIn)
                .Get<M>(D::AddIn::Name,
                        [](M& o, Call& c) { return o.Exists() ? c.Return(o.Name()) : c.Fail(E_FAIL, kNoSuchAddIn); })
                .Put<M>(D::AddIn::Name,
                        [](M& o, Call& c) {
                            if (!o.Exists())
                                return c.Fail(E_FAIL, kNoSuchAddIn);
                            o.Name() = c.Str(0);
                            return S_OK;
                        })
                .Method<M>(D::AddIn::AddContextMenuItem,
                           [](M& o, Call& c) {
                               if (!o.Exists())
                                   return c.Fail(E_FAIL, kNoSuchAddIn);
                               auto& items = o.State().menuItems;
                               items.push_back({o.Name(), c.I2(0), c.Str(1), c.Str(2)});
                               return c.ReturnObject(new ContextMenuItemObject(o.SharedState(), items.size() - 1));
                           })
                .Method<M>(D::AddIn::GetContextMenuItems, [](M& o, Call& c) {
                    if (!o.Exists())
                        return c.Fail(E_FAIL, kNoSuchAddIn);
                    std::vector<size_t> mine;
                    const auto& items = o.State().menuItems;
                    for (size_t i = 0; i < items.size(); ++i)
                        if (items[i].addIn == o.Name() && items[i].itemType == c.I2(0))
                            mine.push_back(i);
                    StatePtr state = o.SharedState();
                    return c.ReturnObject(NewList(state, Meta::IRoseContextMenuItemCollection, mine.size(),
                                                  [state, mine](size_t i) -> IDispatch* {
                                                      return new ContextMenuItemObject(state, mine[i]);
                                                  }));
                });
        return table;
    }

private:
    bool Exists() const { return m_index < State().addIns.size(); }
    std::wstring& Name() const { return State().addIns[m_index]; }

    size_t m_index;
};

class AddInManagerObject : public Object {
public:
    explicit AddInManagerObject(const StatePtr& state) : Object(state) {}

protected:
    const DispatchTable& Table() const override
    {
        using M = AddInManagerObject;
        static const DispatchTable table =
            DispatchTable(Meta::IRoseAddInManager).Get<M>(D::AddInManager::AddIns, [](M& o, Call& c) {
                StatePtr state = o.SharedState();
                return c.ReturnObject(NewList(state, Meta::IRoseAddInCollection, state->addIns.size(),
                                              [state](size_t i) -> IDispatch* { return new AddInObject(state, i); }));
            });
        return table;
    }
};

class ApplicationObject : public Object {
public:
    explicit ApplicationObject(const StatePtr& state) : Object(state) {}

protected:
    const DispatchTable& Table() const override
    {
        using M = ApplicationObject;
        static const DispatchTable table =
            DispatchTable(Meta::IRoseApplication)
                .Get<M>(D::Application::CurrentModel,
                        [](M& o, Call& c) { return c.ReturnObject(NewElement(o.SharedState(), o.State().model.get())); })
                .Get<M>(D::Application::AddInManager,
                        [](M& o, Call& c) { return c.ReturnObject(new AddInManagerObject(o.SharedState())); })
                .Method<M>(D::Application::WriteErrorLog, [](M& o, Call& c) {
                    o.State().Log(c.Str(0));
                    return S_OK;
                });
        return table;
    }
};

} // namespace

void HostState::Log(const std::wstring& line) const
{
    if (logSink) {
        logSink(line);
        return;
    }
    std::string bytes = ToUtf8(line, Utf8Repair::None);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

bool HostState::TakeFailure(const Meta::Interface& iface, const Meta::Member& member, HRESULT& hr,
                            std::wstring& description)
{
    for (auto it = failures.begin(); it != failures.end(); ++it) {
        const std::wstring& key = it->member;
        size_t dot = key.find(L'.');
        bool matches = false;
        if (dot == std::wstring::npos) {
            matches = EqualNoCase(key, member.name);
        } else if (EqualNoCase(key.substr(dot + 1), member.name)) {
            for (const Meta::Interface* i = &iface; i && !matches; i = i->base)
                matches = EqualNoCase(key.substr(0, dot), i->name);
        }
        if (!matches)
            continue;
        hr = it->hr;
        description = it->description.empty() ? std::wstring(iface.name) + L"." + member.name + L" failed"
                                              : it->description;
        if (it->remaining > 0 && --it->remaining == 0)
            failures.erase(it);
        return true;
    }
    return false;
}

IDispatch* NewApplication(const StatePtr& state) { return new ApplicationObject(state); }

} // namespace Automation

// ----------------------------------------------------------------------- AutomationHost

AutomationHost::AutomationHost(std::shared_ptr<Model> model) : m_state(std::make_shared<Automation::HostState>())
{
    if (!model)
        throw std::invalid_argument("AutomationHost needs a model");
    m_state->model = std::move(model);
}

AutomationHost::~AutomationHost() = default;

Model& AutomationHost::GetModel() const { return *m_state->model; }

IDispatch* AutomationHost::CreateApplication() const { return Automation::NewApplication(m_state); }

IDispatch* AutomationHost::CreateElementObject(Element& element) const
{
    return Automation::NewElement(m_state, &element);
}

void AutomationHost::SetSelection(std::vector<Class*> classes, std::vector<Module*> modules)
{
    m_state->model->selectedClasses = std::move(classes);
    m_state->model->selectedModules = std::move(modules);
}

void AutomationHost::SetAddIns(std::vector<std::wstring> names) { m_state->addIns = std::move(names); }

std::vector<std::wstring> AutomationHost::AddIns() const { return m_state->addIns; }

std::vector<ContextMenuItemRecord> AutomationHost::ContextMenuItems() const { return m_state->menuItems; }

void AutomationHost::ClearContextMenuItems() { m_state->menuItems.clear(); }

const Element* AutomationHost::LastHanded(ElementKind kind) const
{
    return kind == ElementKind::Module ? m_state->lastModule : kind == ElementKind::Class ? m_state->lastClass : nullptr;
}

void AutomationHost::SetLogSink(LogSink sink) { m_state->logSink = std::move(sink); }

void AutomationHost::SetFailure(const std::wstring& member, HRESULT hr, int times, const std::wstring& description)
{
    if (times == 0)
        return;
    m_state->failures.push_back({member, hr, times, description});
}

void AutomationHost::ClearFailures() { m_state->failures.clear(); }

} // namespace RoseHost
