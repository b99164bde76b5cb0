// GUIDs in their registry text form and the identities of the standard interfaces.
#include "vxplat/Com.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

extern "C" {
const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_ITypeInfo = {0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_ITypeLib = {0x00020402, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_ISupportErrorInfo = {0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_IErrorInfo = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_ICreateErrorInfo = {0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_IConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IEnumConnectionPoints = {0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IConnectionPoint = {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IEnumConnections = {0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
}

namespace {

constexpr int kGuidChars = 38;  // "{8-4-4-4-12}" without the terminator

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool ReadHex(const wchar_t* s, int digits, uint32_t& out)
{
    out = 0;
    for (int i = 0; i < digits; ++i) {
        int v = HexValue(s[i]);
        if (v < 0) return false;
        out = (out << 4) | static_cast<uint32_t>(v);
    }
    return true;
}

bool ParseGuid(const wchar_t* s, GUID& g)
{
    if (!s || std::wcslen(s) != kGuidChars || s[0] != L'{' || s[9] != L'-' || s[14] != L'-' || s[19] != L'-' ||
        s[24] != L'-' || s[37] != L'}')
        return false;
    uint32_t v;
    if (!ReadHex(s + 1, 8, v)) return false;
    g.Data1 = v;
    if (!ReadHex(s + 10, 4, v)) return false;
    g.Data2 = static_cast<uint16_t>(v);
    if (!ReadHex(s + 15, 4, v)) return false;
    g.Data3 = static_cast<uint16_t>(v);
    const int offsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(s + offsets[i], 2, v)) return false;
        g.Data4[i] = static_cast<uint8_t>(v);
    }
    return true;
}

}  // namespace

int WINAPI StringFromGUID2(REFGUID g, LPOLESTR out, int cchMax)
{
    if (!out || cchMax < kGuidChars + 1) return 0;
    wchar_t buf[kGuidChars + 1];
    std::swprintf(buf, kGuidChars + 1, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    std::wmemcpy(out, buf, kGuidChars + 1);
    return kGuidChars + 1;
}

HRESULT WINAPI CLSIDFromString(LPCOLESTR s, LPCLSID clsid)
{
    if (!clsid) return E_INVALIDARG;
    if (!s || !*s) {
        *clsid = GUID_NULL;
        return S_OK;
    }
    GUID g;
    if (!ParseGuid(s, g)) {
        // ProgIDs are not looked up here: the system never passes one.
        return CO_E_CLASSSTRING;
    }
    *clsid = g;
    return S_OK;
}

HRESULT WINAPI IIDFromString(LPCOLESTR s, LPIID iid)
{
    if (!iid) return E_INVALIDARG;
    if (!s) {
        *iid = GUID_NULL;
        return S_OK;
    }
    GUID g;
    if (!ParseGuid(s, g)) {
        // The outer shape wrong is a bad argument; bad characters inside a bad IID string.
        bool shaped = std::wcslen(s) == kGuidChars && s[0] == L'{' && s[kGuidChars - 1] == L'}';
        return shaped ? CO_E_IIDSTRING : E_INVALIDARG;
    }
    *iid = g;
    return S_OK;
}

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

void WINAPI CoTaskMemFree(LPVOID pv) { std::free(pv); }

HRESULT WINAPI StringFromCLSID(REFCLSID clsid, LPOLESTR* out)
{
    if (!out) return E_INVALIDARG;
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidChars + 1) * sizeof(OLECHAR)));
    if (!*out) return E_OUTOFMEMORY;
    StringFromGUID2(clsid, *out, kGuidChars + 1);
    return S_OK;
}

HRESULT WINAPI StringFromIID(REFIID iid, LPOLESTR* out) { return StringFromCLSID(iid, out); }
