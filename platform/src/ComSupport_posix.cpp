// The compiler COM support classes as comdef.h/comutil.h shape them.
#include "vxplat/CodePage.h"
#include "vxplat/Com.h"
#include "vxplat/Kernel.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

BSTR Duplicate(BSTR s)
{
    if (!s) return nullptr;
    BSTR copy = SysAllocStringLen(s, SysStringLen(s));
    if (!copy) _com_issue_error(E_OUTOFMEMORY);
    return copy;
}

BSTR FromWide(const wchar_t* s)
{
    if (!s) return nullptr;
    BSTR copy = SysAllocString(s);
    if (!copy) _com_issue_error(E_OUTOFMEMORY);
    return copy;
}

}  // namespace

_bstr_t::_bstr_t(const wchar_t* s) : m_str(FromWide(s)) {}

_bstr_t::_bstr_t(const char* s)
{
    if (!s) return;
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
    m_str = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
    if (!m_str) _com_issue_error(E_OUTOFMEMORY);
    MultiByteToWideChar(CP_ACP, 0, s, -1, m_str, n);
}

_bstr_t::_bstr_t(BSTR bstr, bool fCopy) : m_str(fCopy ? Duplicate(bstr) : bstr) {}

_bstr_t::_bstr_t(const _bstr_t& other) : m_str(Duplicate(other.m_str)) {}

_bstr_t::_bstr_t(_bstr_t&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }

_bstr_t& _bstr_t::operator=(const _bstr_t& other)
{
    if (this != &other) {
        BSTR copy = Duplicate(other.m_str);
        SysFreeString(m_str);
        m_str = copy;
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept
{
    if (this != &other) {
        SysFreeString(m_str);
        m_str = other.m_str;
        other.m_str = nullptr;
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(const wchar_t* s)
{
    BSTR copy = FromWide(s);
    SysFreeString(m_str);
    m_str = copy;
    return *this;
}

_bstr_t::~_bstr_t() { SysFreeString(m_str); }

BSTR _bstr_t::copy(bool fCopy) const { return fCopy ? Duplicate(m_str) : m_str; }

BSTR _bstr_t::Detach() noexcept
{
    BSTR s = m_str;
    m_str = nullptr;
    return s;
}

void _bstr_t::Attach(BSTR s) noexcept
{
    SysFreeString(m_str);
    m_str = s;
}

BSTR* _bstr_t::GetAddress() noexcept
{
    SysFreeString(m_str);
    m_str = nullptr;
    return &m_str;
}

_bstr_t& _bstr_t::operator+=(const _bstr_t& s)
{
    UINT a = SysStringLen(m_str), b = SysStringLen(s.m_str);
    BSTR sum = SysAllocStringLen(nullptr, a + b);
    if (!sum) _com_issue_error(E_OUTOFMEMORY);
    if (a) std::wmemcpy(sum, m_str, a);
    if (b) std::wmemcpy(sum + a, s.m_str, b);
    SysFreeString(m_str);
    m_str = sum;
    return *this;
}

bool _bstr_t::operator==(const _bstr_t& s) const noexcept
{
    UINT a = SysStringLen(m_str), b = SysStringLen(s.m_str);
    return a == b && (a == 0 || std::wmemcmp(m_str, s.m_str, a) == 0);
}

// ---------------------------------------------------------------- _com_error

namespace {
constexpr HRESULT kWCodeFirst = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x200);
constexpr HRESULT kWCodeLast = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF + 1, 0) - 1;

struct KnownMessage {
    HRESULT hr;
    const wchar_t* text;
};
// System message texts of the codes the system meets, as Windows words them.
const KnownMessage kKnownMessages[] = {
    {S_OK, L"The operation completed successfully."},
    {E_NOTIMPL, L"Not implemented"},
    {E_NOINTERFACE, L"No such interface supported"},
    {E_POINTER, L"Invalid pointer"},
    {E_ABORT, L"Operation aborted"},
    {E_FAIL, L"Unspecified error"},
    {E_UNEXPECTED, L"Catastrophic failure"},
    {E_ACCESSDENIED, L"Access is denied."},
    {E_HANDLE, L"The handle is invalid."},
    {E_OUTOFMEMORY, L"Not enough memory resources are available to complete this operation."},
    {E_INVALIDARG, L"The parameter is incorrect."},
    {CLASS_E_NOAGGREGATION, L"Class does not support aggregation (or class object is remote)"},
    {CLASS_E_CLASSNOTAVAILABLE, L"ClassFactory cannot supply requested class"},
    {REGDB_E_CLASSNOTREG, L"Class not registered"},
    {DISP_E_UNKNOWNINTERFACE, L"Unknown interface."},
    {DISP_E_MEMBERNOTFOUND, L"Member not found."},
    {DISP_E_PARAMNOTFOUND, L"Parameter not found."},
    {DISP_E_TYPEMISMATCH, L"Type mismatch."},
    {DISP_E_UNKNOWNNAME, L"Unknown name."},
    {DISP_E_NONAMEDARGS, L"No named arguments."},
    {DISP_E_BADVARTYPE, L"Bad variable type."},
    {DISP_E_EXCEPTION, L"Exception occurred."},
    {DISP_E_OVERFLOW, L"Out of present range."},
    {DISP_E_BADINDEX, L"Invalid index."},
    {DISP_E_BADPARAMCOUNT, L"Invalid number of parameters."},
    {DISP_E_PARAMNOTOPTIONAL, L"Parameter not optional."},
};
}  // namespace

_com_error::_com_error(HRESULT hr, IErrorInfo* perrinfo, bool fAddRef) noexcept
    : m_hresult(hr), m_perrinfo(perrinfo)
{
    if (m_perrinfo && fAddRef) m_perrinfo->AddRef();
}

_com_error::_com_error(const _com_error& that) noexcept : m_hresult(that.m_hresult), m_perrinfo(that.m_perrinfo)
{
    if (m_perrinfo) m_perrinfo->AddRef();
}

_com_error::~_com_error() noexcept
{
    if (m_perrinfo) m_perrinfo->Release();
}

_com_error& _com_error::operator=(const _com_error& that) noexcept
{
    if (this != &that) {
        if (that.m_perrinfo) that.m_perrinfo->AddRef();
        if (m_perrinfo) m_perrinfo->Release();
        m_hresult = that.m_hresult;
        m_perrinfo = that.m_perrinfo;
        m_message.clear();
    }
    return *this;
}

WORD _com_error::WCode() const noexcept { return HRESULTToWCode(m_hresult); }

IErrorInfo* _com_error::ErrorInfo() const noexcept
{
    if (m_perrinfo) m_perrinfo->AddRef();
    return m_perrinfo;
}

_bstr_t _com_error::Description() const
{
    BSTR s = nullptr;
    if (m_perrinfo) m_perrinfo->GetDescription(&s);
    return _bstr_t(s, false);
}

DWORD _com_error::HelpContext() const noexcept
{
    DWORD c = 0;
    if (m_perrinfo) m_perrinfo->GetHelpContext(&c);
    return c;
}

_bstr_t _com_error::HelpFile() const
{
    BSTR s = nullptr;
    if (m_perrinfo) m_perrinfo->GetHelpFile(&s);
    return _bstr_t(s, false);
}

_bstr_t _com_error::Source() const
{
    BSTR s = nullptr;
    if (m_perrinfo) m_perrinfo->GetSource(&s);
    return _bstr_t(s, false);
}

GUID _com_error::GUID_() const noexcept
{
    GUID g = GUID_NULL;
    if (m_perrinfo) m_perrinfo->GetGUID(&g);
    return g;
}

const TCHAR* _com_error::ErrorMessage() const noexcept
{
    if (m_message.empty()) {
        try {
            for (const auto& known : kKnownMessages) {
                if (known.hr == m_hresult) {
                    m_message = known.text;
                    return m_message.c_str();
                }
            }
            wchar_t buf[40];
            if (WORD w = WCode())
                std::swprintf(buf, 40, L"IDispatch error #%d", static_cast<int>(w));
            else
                std::swprintf(buf, 40, L"Unknown error 0x%0lX", static_cast<unsigned long>(static_cast<DWORD>(m_hresult)));
            m_message = buf;
        } catch (...) {
            return L"";
        }
    }
    return m_message.c_str();
}

HRESULT _com_error::WCodeToHRESULT(WORD wCode) noexcept
{
    return wCode >= 0xFE00 ? kWCodeLast : kWCodeFirst + wCode;
}

WORD _com_error::HRESULTToWCode(HRESULT hr) noexcept
{
    return (hr >= kWCodeFirst && hr <= kWCodeLast) ? static_cast<WORD>(hr - kWCodeFirst) : 0;
}

void WINAPI _com_issue_error(HRESULT hr) { throw _com_error(hr); }

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid)
{
    IErrorInfo* info = nullptr;
    if (punk) {
        ISupportErrorInfo* support = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) && support) {
            if (support->InterfaceSupportsErrorInfo(riid) == S_OK && GetErrorInfo(0, &info) != S_OK) info = nullptr;
            support->Release();
        }
    }
    throw _com_error(hr, info);  // takes over the reference GetErrorInfo handed out
}
