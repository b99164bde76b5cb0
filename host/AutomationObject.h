// The common base of the stand-in host's automation objects: IUnknown, IDispatch and
// ISupportErrorInfo over a dispatch table that binds each member of the host's interface
// definition (RoseHostIds.h) to a handler.
//
// Invoke behaves as Automation's own type-library dispatch does: names are found without
// regard to case, arguments are converted to the declared types (VariantChangeType,
// by-reference arguments dereferenced), named arguments are refused except the value of
// a property put, a wrong number of arguments answers DISP_E_BADPARAMCOUNT and an argument
// that cannot be converted DISP_E_TYPEMISMATCH with its position in puArgErr. A failing
// member returns its own HRESULT (not DISP_E_EXCEPTION) and leaves IErrorInfo describing
// the failure, so a caller sees the host's code directly.
#pragma once

#include "ModelText.h"
#include "RoseHostIds.h"
#include "vxplat/Com.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace RoseHost::Automation {

struct HostState;
class Object;

// One call in progress: its member, the arguments converted to their declared types (in
// declaration order) and the result to fill.
class Call {
public:
    Call(const Meta::Member& member, const VARIANT* args, VARIANT* result)
        : m_member(member), m_args(args), m_result(result)
    {
    }

    const Meta::Member& Member() const { return m_member; }

    std::wstring Str(unsigned index) const;
    // The argument's text itself, valid for the call.
    std::wstring_view StrView(unsigned index) const;
    SHORT I2(unsigned index) const;
    bool Bool(unsigned index) const;

    HRESULT Return(const std::wstring& text);
    HRESULT Return(const ModelText& text);
    HRESULT Return(const wchar_t* text) { return Return(std::wstring(text)); }
    HRESULT Return(SHORT value);
    HRESULT ReturnBool(bool value);
    // Takes over the one reference of `object`, which may be null (no object).
    HRESULT ReturnObject(IDispatch* object);

    // Fails the call with `hr`; the description becomes the caller's error information.
    HRESULT Fail(HRESULT hr, const std::wstring& description);
    const std::wstring& FailureDescription() const { return m_failure; }

private:
    void ClearResult();

    const Meta::Member& m_member;
    const VARIANT* m_args;
    VARIANT* m_result;
    std::wstring m_failure;
};

// A member's handler: a plain function, so a call reaches it with one indirect jump.
using Handler = HRESULT (*)(Object&, Call&);

// The members of one interface (with those it inherits) and their handlers. Built once per
// object class; binding a member the interface does not declare is a programming error.
class DispatchTable {
public:
    struct Entry {
        const Meta::Member* member;
        Handler handler;
    };

    explicit DispatchTable(const Meta::Interface& iface);

    template <class Self, class Fn>
    DispatchTable& Get(DISPID id, Fn fn) { return Bind<Self>(id, DISPATCH_PROPERTYGET, fn); }
    template <class Self, class Fn>
    DispatchTable& Put(DISPID id, Fn fn) { return Bind<Self>(id, DISPATCH_PROPERTYPUT, fn); }
    template <class Self, class Fn>
    DispatchTable& Method(DISPID id, Fn fn) { return Bind<Self>(id, DISPATCH_METHOD, fn); }

    const Meta::Interface& Interface() const { return *m_iface; }
    // True for the IID of the interface or of any interface it derives from.
    bool Answers(REFIID iid) const;
    // The entry that a call with these DISPATCH_ flags reaches, or nullptr. Inline: every
    // call asks it.
    const Entry* Find(DISPID id, WORD flags) const
    {
        if (id < m_firstId || static_cast<size_t>(id - m_firstId) >= m_byId.size())
            return nullptr;
        const std::array<uint32_t, 3>& slots = m_byId[static_cast<size_t>(id - m_firstId)];
        auto entry = [&](WORD kind) { return slots[SlotOf(kind)] ? &m_entries[slots[SlotOf(kind)] - 1] : nullptr; };
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            return (flags & DISPATCH_PROPERTYPUT) ? entry(DISPATCH_PROPERTYPUT) : nullptr;
        if ((flags & DISPATCH_PROPERTYGET) && slots[SlotOf(DISPATCH_PROPERTYGET)])
            return entry(DISPATCH_PROPERTYGET);
        if (flags & DISPATCH_METHOD)
            return entry(DISPATCH_METHOD);
        return nullptr;
    }
    // DISPID of a member name (any letter case), or DISPID_UNKNOWN.
    DISPID IdOfName(const wchar_t* name) const;
    // Members still without a handler ("Name (get)", ...); empty when complete.
    std::vector<std::wstring> Unbound() const;

private:
    // The place of a member kind among an id's three members in the index by id.
    static size_t SlotOf(WORD kind) { return kind == DISPATCH_PROPERTYGET ? 0 : kind == DISPATCH_PROPERTYPUT ? 1 : 2; }

    // Handlers keep no state (lambdas without captures), so each binding is a function
    // of its own that makes the lambda afresh.
    template <class Self, class Fn>
    static HRESULT Thunk(Object& o, Call& c)
    {
        return Fn{}(static_cast<Self&>(o), c);
    }
    template <class Self, class Fn>
    DispatchTable& Bind(DISPID id, WORD kind, Fn)
    {
        static_assert(std::is_empty_v<Fn> && std::is_default_constructible_v<Fn>, "a handler captures nothing");
        BindHandler(id, kind, &Thunk<Self, Fn>);
        return *this;
    }
    void BindHandler(DISPID id, WORD kind, Handler handler);

    const Meta::Interface* m_iface;
    std::vector<Entry> m_entries;
    // Find's index, straight by member id: for each id from m_firstId on, the entry + 1
    // of its get, put and method member (0: none).
    DISPID m_firstId = 0;
    std::vector<std::array<uint32_t, 3>> m_byId;
};

class Object : public IDispatch, public ISupportErrorInfo {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepInfo, UINT* argErr) override;
    // ISupportErrorInfo
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

    // Automation objects alive in the process (every class); tests use it to find leaks.
    static long LiveCount();
    // Invoke calls made on any object so far (a measure of how often an add-in asks).
    static unsigned long long InvokeCount();

    HostState& State() const { return *m_state; }
    const std::shared_ptr<HostState>& SharedState() const { return m_state; }

protected:
    // Starts with the one reference that the creator hands out.
    explicit Object(std::shared_ptr<HostState> state);
    virtual ~Object();

    virtual const DispatchTable& Table() const = 0;


private:
    std::shared_ptr<HostState> m_state;
    ULONG m_refs = 1;
};

// Publishes error information for the calling thread, as a failing member does.
void SetCallError(REFIID iid, const std::wstring& description);

} // namespace RoseHost::Automation
