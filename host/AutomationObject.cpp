#include "AutomationObject.h"

#include "AutomationState.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <new>
#include <stdexcept>
#include <string>

namespace RoseHost::Automation {

namespace {

std::atomic<long> g_liveObjects{0};
std::atomic<unsigned long long> g_invokes{0};

// With VEXLO_COUNT_INVOKES set, the number of Invoke calls goes to standard error when
// the process ends; set to "members", it is broken down by interface member as well.
struct InvokeReport {
    bool enabled = false;
    bool byMember = false;
    std::map<std::wstring, unsigned long long> members;
    InvokeReport()
    {
        const char* mode = std::getenv("VEXLO_COUNT_INVOKES");
        enabled = mode != nullptr;
        byMember = mode && std::string(mode) == "members";
    }
    ~InvokeReport()
    {
        if (!enabled)
            return;
        for (const auto& [name, count] : members)
            std::fprintf(stderr, "host: %8llu %ls\n", count, name.c_str());
        std::fprintf(stderr, "host: %llu Invoke calls\n", g_invokes.load());
    }
};

// Made when the program starts, so that a call asks no guard whether it exists yet.
InvokeReport g_report;

bool EqualNoCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
            return false;
    return *a == *b;
}

const wchar_t* KindName(WORD kind)
{
    switch (kind) {
    case DISPATCH_PROPERTYGET:
        return L" (get)";
    case DISPATCH_PROPERTYPUT:
        return L" (put)";
    default:
        return L"";
    }
}

std::wstring Widen(const char* text)
{
    std::wstring out;
    for (; *text; ++text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

// Releases what the converted arguments own when the call ends, however it ends. An
// argument that already has its declared type is lent by the caller, not copied.
struct ArgumentList {
    VARIANT args[4];
    bool lent[4] = {};
    unsigned count;
    explicit ArgumentList(unsigned n) : count(n)
    {
        for (unsigned i = 0; i < count; ++i)
            args[i].vt = VT_EMPTY; // all VariantInit does that matters; no call per argument
    }
    ~ArgumentList()
    {
        for (unsigned i = 0; i < count; ++i)
            if (!lent[i])
                VariantClear(&args[i]);
    }
};

} // namespace

// ------------------------------------------------------------------------------ Call

std::wstring Call::Str(unsigned index) const
{
    BSTR s = m_args[index].bstrVal;
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

std::wstring_view Call::StrView(unsigned index) const
{
    BSTR s = m_args[index].bstrVal;
    return s ? std::wstring_view(s, SysStringLen(s)) : std::wstring_view();
}

SHORT Call::I2(unsigned index) const { return m_args[index].iVal; }

bool Call::Bool(unsigned index) const { return m_args[index].boolVal != VARIANT_FALSE; }

// A handler answers once, into an empty result: only a second answer frees the first.
void Call::ClearResult()
{
    if (m_result->vt != VT_EMPTY)
        VariantClear(m_result);
}

HRESULT Call::Return(const std::wstring& text)
{
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s)
        return E_OUTOFMEMORY;
    ClearResult();
    m_result->vt = VT_BSTR;
    m_result->bstrVal = s;
    return S_OK;
}

HRESULT Call::Return(const ModelText& text)
{
    // The model's texts go straight into the BSTR, without a wide copy first.
    BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (!s)
        return E_OUTOFMEMORY;
    text.CopyTo(s);
    ClearResult();
    m_result->vt = VT_BSTR;
    m_result->bstrVal = s;
    return S_OK;
}

HRESULT Call::Return(SHORT value)
{
    ClearResult();
    m_result->vt = VT_I2;
    m_result->iVal = value;
    return S_OK;
}

HRESULT Call::ReturnBool(bool value)
{
    ClearResult();
    m_result->vt = VT_BOOL;
    m_result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Call::ReturnObject(IDispatch* object)
{
    ClearResult();
    m_result->vt = VT_DISPATCH;
    m_result->pdispVal = object;
    return S_OK;
}

HRESULT Call::Fail(HRESULT hr, const std::wstring& description)
{
    m_failure = description;
    return hr;
}

// --------------------------------------------------------------------- DispatchTable

DispatchTable::DispatchTable(const Meta::Interface& iface) : m_iface(&iface)
{
    std::vector<const Meta::Interface*> chain;
    for (const Meta::Interface* i = &iface; i; i = i->base)
        chain.insert(chain.begin(), i);
    for (const Meta::Interface* i : chain) {
        for (unsigned n = 0; n < i->count; ++n) {
            const Meta::Member& m = i->members[n];
            bool replaced = false;
            for (Entry& e : m_entries) {
                if (e.member->id == m.id && e.member->kind == m.kind) {
                    e.member = &m; // a derived interface restates the member
                    replaced = true;
                }
            }
            if (!replaced)
                m_entries.push_back({&m, nullptr});
        }
    }
    if (m_entries.empty())
        return;
    DISPID last = m_entries.front().member->id;
    m_firstId = last;
    for (const Entry& e : m_entries) {
        m_firstId = std::min(m_firstId, e.member->id);
        last = std::max(last, e.member->id);
    }
    if (static_cast<long long>(last) - m_firstId > 0xFFFF)
        throw std::logic_error("dispatch table: member ids too far apart");
    m_byId.assign(static_cast<size_t>(last - m_firstId) + 1, {0, 0, 0});
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_byId[static_cast<size_t>(m_entries[i].member->id - m_firstId)][SlotOf(m_entries[i].member->kind)] =
            static_cast<uint32_t>(i + 1);
}

void DispatchTable::BindHandler(DISPID id, WORD kind, Handler handler)
{
    for (Entry& e : m_entries) {
        if (e.member->id == id && e.member->kind == kind) {
            e.handler = handler;
            return;
        }
    }
    throw std::logic_error("dispatch table: member not declared by the interface");
}

bool DispatchTable::Answers(REFIID iid) const
{
    for (const Meta::Interface* i = m_iface; i; i = i->base)
        if (IsEqualGUID(iid, *i->iid))
            return true;
    return false;
}

DISPID DispatchTable::IdOfName(const wchar_t* name) const
{
    for (const Entry& e : m_entries)
        if (EqualNoCase(e.member->name, name))
            return e.member->id;
    return DISPID_UNKNOWN;
}

std::vector<std::wstring> DispatchTable::Unbound() const
{
    std::vector<std::wstring> missing;
    for (const Entry& e : m_entries)
        if (!e.handler)
            missing.push_back(std::wstring(e.member->name) + KindName(e.member->kind));
    return missing;
}

// ----------------------------------------------------------------------------- Object

Object::Object(std::shared_ptr<HostState> state) : m_state(std::move(state)) { ++g_liveObjects; }

Object::~Object() { --g_liveObjects; }

long Object::LiveCount() { return g_liveObjects.load(); }

unsigned long long Object::InvokeCount() { return g_invokes.load(); }

STDMETHODIMP Object::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    // A caller asks for the object's own interface far most often: that is tried first.
    const DispatchTable& table = Table();
    if (IsEqualGUID(riid, *table.Interface().iid) || IsEqualGUID(riid, IID_IDispatch) ||
        IsEqualGUID(riid, IID_IUnknown) || table.Answers(riid)) {
        *ppv = static_cast<IDispatch*>(this);
    } else if (IsEqualGUID(riid, IID_ISupportErrorInfo)) {
        *ppv = static_cast<ISupportErrorInfo*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ++m_refs;
    return S_OK;
}

// Apartment-threaded like the real host: every call arrives on one thread.
STDMETHODIMP_(ULONG) Object::AddRef() { return ++m_refs; }

STDMETHODIMP_(ULONG) Object::Release()
{
    ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP Object::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP Object::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP Object::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!IsEqualGUID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    ids[0] = names[0] ? Table().IdOfName(names[0]) : DISPID_UNKNOWN;
    if (ids[0] == DISPID_UNKNOWN)
        hr = DISP_E_UNKNOWNNAME;
    // No member takes named arguments, so no parameter name is known.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

STDMETHODIMP Object::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO*, UINT* argErr)
{
    ++g_invokes;
    if (!IsEqualGUID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    const DispatchTable& table = Table();
    const DispatchTable::Entry* entry = table.Find(id, flags);
    if (!entry || !entry->handler)
        return DISP_E_MEMBERNOTFOUND;
    const Meta::Member& member = *entry->member;
    if (g_report.byMember)
        ++g_report.members[std::wstring(table.Interface().name) + L"." + member.name + KindName(member.kind)];

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params)
        params = &none;
    if (params->cNamedArgs > 0) {
        bool putValue = member.kind == DISPATCH_PROPERTYPUT && params->cNamedArgs == 1 &&
                        params->rgdispidNamedArgs && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (!putValue)
            return DISP_E_NONAMEDARGS;
    }
    if (params->cArgs != member.argc)
        return DISP_E_BADPARAMCOUNT;
    if (member.argc > 0 && !params->rgvarg)
        return E_INVALIDARG;

    // rgvarg holds the arguments last one first.
    ArgumentList args(member.argc);
    for (unsigned i = 0; i < member.argc; ++i) {
        const UINT position = member.argc - 1 - i;
        const VARIANT& given = params->rgvarg[position];
        if (given.vt == member.args[i] && member.args[i] != VT_VARIANT) {
            // Handlers only read their arguments: the caller's value is used as it is.
            args.args[i] = given;
            args.lent[i] = true;
            continue;
        }
        if (given.vt == VT_I4 && member.args[i] == VT_I2 && given.lVal >= -32768 && given.lVal <= 32767) {
            // An index given as a long, as script and most callers pass numbers: the
            // conversion's answer without its copies.
            args.args[i].vt = VT_I2;
            args.args[i].iVal = static_cast<SHORT>(given.lVal);
            args.lent[i] = true;
            continue;
        }
        VARIANT plain;
        VariantInit(&plain);
        HRESULT hr = VariantCopyInd(&plain, &params->rgvarg[position]);
        if (SUCCEEDED(hr)) {
            if (member.args[i] == VT_VARIANT) {
                args.args[i] = plain;
                VariantInit(&plain);
            } else {
                hr = VariantChangeType(&args.args[i], &plain, 0, member.args[i]);
            }
        }
        VariantClear(&plain);
        if (FAILED(hr)) {
            if (argErr)
                *argErr = position;
            return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
        }
    }

    const Meta::Interface& iface = table.Interface();
    if (m_state && !m_state->failures.empty()) {
        HRESULT injected = S_OK;
        std::wstring description;
        if (m_state->TakeFailure(iface, member, injected, description)) {
            SetCallError(*iface.iid, description);
            return injected;
        }
    }

    VARIANT out;
    out.vt = VT_EMPTY; // VariantInit, without the call
    out.wReserved1 = out.wReserved2 = out.wReserved3 = 0;
    Call call(member, args.args, &out);
    HRESULT hr;
    ++m_refs; // a handler may drop the last outside reference; stay alive until done
    try {
        hr = entry->handler(*this, call);
    } catch (const std::bad_alloc&) {
        hr = call.Fail(E_OUTOFMEMORY, L"Out of memory");
    } catch (const std::exception& e) {
        hr = call.Fail(E_FAIL, Widen(e.what()));
    }
    if (--m_refs == 0)
        delete this; // what follows needs only the call and the static tables
    if (SUCCEEDED(hr) && out.vt != member.result) {
        // A handler answered a type its declaration does not promise.
        hr = call.Fail(E_UNEXPECTED, std::wstring(member.name) + L" answered the wrong type");
    }
    if (FAILED(hr)) {
        VariantClear(&out);
        std::wstring text = call.FailureDescription();
        if (text.empty())
            text = std::wstring(iface.name) + L"." + member.name + L" failed";
        SetCallError(*iface.iid, text);
        return hr;
    }
    if (result)
        *result = out;
    else
        VariantClear(&out);
    return S_OK;
}

STDMETHODIMP Object::InterfaceSupportsErrorInfo(REFIID riid)
{
    return (IsEqualGUID(riid, IID_IDispatch) || Table().Answers(riid)) ? S_OK : S_FALSE;
}

void SetCallError(REFIID iid, const std::wstring& description)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create)
        return;
    create->SetGUID(iid);
    std::wstring source = L"Rose";
    create->SetSource(source.data());
    std::wstring text = description;
    create->SetDescription(text.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

} // namespace RoseHost::Automation
