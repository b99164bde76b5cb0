// VARIANT life cycle and the coercions oleaut32 performs for the scalar types the
// system passes (integers, booleans, strings, interfaces, errors, by-reference forms).
#include "vxplat/Com.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <limits>

namespace {

bool IsKnownScalar(VARTYPE t)
{
    switch (t) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN: case VT_I1: case VT_UI1: case VT_UI2:
    case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool IsValidType(VARTYPE vt)
{
    if (vt & (VT_ARRAY | VT_VECTOR | VT_RESERVED)) return false;
    VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_BYREF) return base == VT_VARIANT || (base != VT_EMPTY && base != VT_NULL && IsKnownScalar(base));
    return IsKnownScalar(base);
}

// Reads the value a by-reference variant points at into a plain one, without
// taking new references (the caller copies).
bool Dereference(const VARIANT* src, VARIANT& out)
{
    VARTYPE base = src->vt & VT_TYPEMASK;
    out.vt = base;
    out.llVal = 0;
    if (!src->byref) return false;
    switch (base) {
    case VT_I1: out.cVal = *src->pcVal; break;
    case VT_UI1: out.bVal = *src->pbVal; break;
    case VT_I2: out.iVal = *src->piVal; break;
    case VT_UI2: out.uiVal = *src->puiVal; break;
    case VT_I4: out.lVal = *src->plVal; break;
    case VT_UI4: out.ulVal = *src->pulVal; break;
    case VT_INT: out.intVal = *src->pintVal; break;
    case VT_UINT: out.uintVal = *src->puintVal; break;
    case VT_I8: out.llVal = *src->pllVal; break;
    case VT_UI8: out.ullVal = *src->pullVal; break;
    case VT_R4: out.fltVal = *src->pfltVal; break;
    case VT_R8: out.dblVal = *src->pdblVal; break;
    case VT_DATE: out.date = *src->pdate; break;
    case VT_BOOL: out.boolVal = *src->pboolVal; break;
    case VT_ERROR: out.scode = *src->pscode; break;
    case VT_BSTR: out.bstrVal = *src->pbstrVal; break;
    case VT_DISPATCH: out.pdispVal = *src->ppdispVal; break;
    case VT_UNKNOWN: out.punkVal = *src->ppunkVal; break;
    case VT_VARIANT: {
        const VARIANT* inner = src->pvarVal;
        if (inner->vt & VT_BYREF) return Dereference(inner, out);
        out = *inner;
        break;
    }
    default: return false;
    }
    return true;
}

// Copies a non-by-reference value, taking its own string copy or reference.
HRESULT CopyValue(VARIANT* dest, const VARIANT* src)
{
    VARIANT v = *src;
    if (v.vt == VT_BSTR && v.bstrVal) {
        v.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!v.bstrVal) return E_OUTOFMEMORY;
    } else if ((v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) && v.punkVal) {
        v.punkVal->AddRef();
    }
    *dest = v;
    return S_OK;
}

// A number read from a variant: integers stay exact, everything else is a double.
struct Number {
    bool isInteger = true;
    LONGLONG i = 0;
    double d = 0;
    double AsDouble() const { return isInteger ? static_cast<double>(i) : d; }
};

HRESULT ParseNumber(const wchar_t* s, Number& n)
{
    if (!s) return DISP_E_TYPEMISMATCH;
    while (std::iswspace(*s)) ++s;
    bool negative = false;
    if (*s == L'+' || *s == L'-') {
        negative = *s == L'-';
        ++s;
    }
    if (*s == L'&' && (s[1] == L'H' || s[1] == L'h' || s[1] == L'O' || s[1] == L'o')) {
        int base = (s[1] == L'H' || s[1] == L'h') ? 16 : 8;
        s += 2;
        unsigned long long v = 0;
        int digits = 0;
        for (;; ++s, ++digits) {
            int d;
            if (*s >= L'0' && *s <= L'9') d = *s - L'0';
            else if (base == 16 && *s >= L'a' && *s <= L'f') d = *s - L'a' + 10;
            else if (base == 16 && *s >= L'A' && *s <= L'F') d = *s - L'A' + 10;
            else break;
            if (d >= base) return DISP_E_TYPEMISMATCH;
            v = v * base + d;
            if (v > 0xFFFFFFFFFFFFull) return DISP_E_OVERFLOW;
        }
        while (std::iswspace(*s)) ++s;
        if (!digits || *s) return DISP_E_TYPEMISMATCH;
        // Hexadecimal and octal literals are 32-bit two's complement, as in Basic.
        LONGLONG value = v <= 0xFFFFFFFFull ? static_cast<LONGLONG>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                                            : static_cast<LONGLONG>(v);
        n.isInteger = true;
        n.i = negative ? -value : value;
        return S_OK;
    }
    std::wstring text;
    bool sawDigit = false, sawPoint = false;
    for (; *s; ++s) {
        if (*s >= L'0' && *s <= L'9') {
            text += *s;
            sawDigit = true;
        } else if (*s == L',' && sawDigit && !sawPoint) {
            continue;  // thousands separator of the English locale
        } else if (*s == L'.' && !sawPoint) {
            text += *s;
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return DISP_E_TYPEMISMATCH;
    bool exponent = false;
    if (*s == L'e' || *s == L'E') {
        const wchar_t* e = s + 1;
        std::wstring exp = L"e";
        if (*e == L'+' || *e == L'-') exp += *e++;
        if (*e < L'0' || *e > L'9') return DISP_E_TYPEMISMATCH;
        while (*e >= L'0' && *e <= L'9') exp += *e++;
        text += exp;
        s = e;
        exponent = true;
    }
    while (std::iswspace(*s)) ++s;
    if (*s) return DISP_E_TYPEMISMATCH;
    if (!sawPoint && !exponent && text.size() <= 18) {
        n.isInteger = true;
        n.i = std::wcstoll(text.c_str(), nullptr, 10);
        if (negative) n.i = -n.i;
    } else {
        n.isInteger = false;
        n.d = std::wcstod(text.c_str(), nullptr);
        if (negative) n.d = -n.d;
    }
    return S_OK;
}

bool EqualsNoCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(*a) != std::towlower(*b)) return false;
    return *a == *b;
}

HRESULT ChangeType(VARIANT* out, const VARIANT* src, USHORT flags, VARTYPE vt);

// The value property of an automation object, fetched for a coercion.
HRESULT ValueProperty(IDispatch* disp, VARIANT& value)
{
    if (!disp) return DISP_E_TYPEMISMATCH;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(&value);
    HRESULT hr = disp->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                              nullptr, nullptr);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    return S_OK;
}

HRESULT ToNumber(const VARIANT* src, USHORT flags, Number& n)
{
    switch (src->vt) {
    case VT_EMPTY: n.i = 0; return S_OK;
    case VT_I1: n.i = src->cVal; return S_OK;
    case VT_UI1: n.i = src->bVal; return S_OK;
    case VT_I2: n.i = src->iVal; return S_OK;
    case VT_UI2: n.i = src->uiVal; return S_OK;
    case VT_I4: n.i = src->lVal; return S_OK;
    case VT_UI4: n.i = src->ulVal; return S_OK;
    case VT_INT: n.i = src->intVal; return S_OK;
    case VT_UINT: n.i = src->uintVal; return S_OK;
    case VT_I8: n.i = src->llVal; return S_OK;
    case VT_UI8:
        if (src->ullVal > static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max())) {
            n.isInteger = false;
            n.d = static_cast<double>(src->ullVal);
        } else {
            n.i = static_cast<LONGLONG>(src->ullVal);
        }
        return S_OK;
    case VT_BOOL: n.i = src->boolVal ? -1 : 0; return S_OK;
    case VT_R4: n.isInteger = false; n.d = src->fltVal; return S_OK;
    case VT_R8: n.isInteger = false; n.d = src->dblVal; return S_OK;
    case VT_DATE: n.isInteger = false; n.d = src->date; return S_OK;
    case VT_BSTR: return ParseNumber(src->bstrVal ? src->bstrVal : L"", n);
    case VT_DISPATCH: {
        if (flags & VARIANT_NOVALUEPROP) return DISP_E_TYPEMISMATCH;
        VARIANT value;
        HRESULT hr = ValueProperty(src->pdispVal, value);
        if (FAILED(hr)) return hr;
        hr = value.vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : ToNumber(&value, flags, n);
        VariantClear(&value);
        return hr;
    }
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Rounds to an integer as oleaut32 does: halves go to the even neighbour.
bool ToInteger(const Number& n, LONGLONG lo, LONGLONG hi, LONGLONG& out)
{
    if (n.isInteger) {
        if (n.i < lo || n.i > hi) return false;
        out = n.i;
        return true;
    }
    if (std::isnan(n.d)) return false;
    double r = std::nearbyint(n.d);  // default rounding mode: to nearest, ties to even
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) return false;
    out = static_cast<LONGLONG>(r);
    return true;
}

HRESULT ToText(const VARIANT* src, USHORT flags, BSTR& out)
{
    wchar_t buf[64];
    switch (src->vt) {
    case VT_EMPTY: out = SysAllocStringLen(L"", 0); break;
    case VT_BSTR:
        out = src->bstrVal ? SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal)) : SysAllocStringLen(L"", 0);
        break;
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            out = SysAllocString(src->boolVal ? L"True" : L"False");
        else
            out = SysAllocString(src->boolVal ? L"-1" : L"0");
        break;
    case VT_R4:
    case VT_R8:
    case VT_DATE: {
        double d = src->vt == VT_R4 ? static_cast<double>(src->fltVal) : src->dblVal;
        std::swprintf(buf, 64, src->vt == VT_R4 ? L"%.7G" : L"%.15G", d);
        out = SysAllocString(buf);
        break;
    }
    case VT_DISPATCH: {
        if (flags & VARIANT_NOVALUEPROP) return DISP_E_TYPEMISMATCH;
        VARIANT value;
        HRESULT hr = ValueProperty(src->pdispVal, value);
        if (FAILED(hr)) return hr;
        hr = value.vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : ToText(&value, flags, out);
        VariantClear(&value);
        return hr;
    }
    case VT_NULL:
    case VT_UNKNOWN:
    case VT_ERROR: return DISP_E_TYPEMISMATCH;
    default: {
        Number n;
        HRESULT hr = ToNumber(src, flags, n);
        if (FAILED(hr)) return hr;
        if (src->vt == VT_UI8)
            std::swprintf(buf, 64, L"%llu", static_cast<unsigned long long>(src->ullVal));
        else
            std::swprintf(buf, 64, L"%lld", static_cast<long long>(n.i));
        out = SysAllocString(buf);
        break;
    }
    }
    return out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ToInterface(const VARIANT* src, VARTYPE vt, VARIANT* out)
{
    IUnknown* unk = nullptr;
    if (src->vt == VT_DISPATCH)
        unk = src->pdispVal;
    else if (src->vt == VT_UNKNOWN)
        unk = src->punkVal;
    else if (src->vt != VT_EMPTY)
        return DISP_E_TYPEMISMATCH;
    out->vt = vt;
    out->punkVal = nullptr;
    if (!unk) return S_OK;
    if (src->vt == vt) {
        unk->AddRef();
        out->punkVal = unk;
        return S_OK;
    }
    void* p = nullptr;
    HRESULT hr = unk->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
    if (FAILED(hr)) {
        out->vt = VT_EMPTY;
        return hr;
    }
    out->punkVal = static_cast<IUnknown*>(p);
    return S_OK;
}

HRESULT ChangeType(VARIANT* out, const VARIANT* src, USHORT flags, VARTYPE vt)
{
    if (src->vt == vt) return CopyValue(out, src);
    out->llVal = 0;
    switch (vt) {
    case VT_EMPTY:
        out->vt = VT_EMPTY;
        return S_OK;
    case VT_NULL:
        if (src->vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
        out->vt = VT_NULL;
        return S_OK;
    case VT_BSTR: {
        BSTR s = nullptr;
        HRESULT hr = ToText(src, flags, s);
        if (FAILED(hr)) return hr;
        out->vt = VT_BSTR;
        out->bstrVal = s;
        return S_OK;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: return ToInterface(src, vt, out);
    case VT_ERROR: return DISP_E_TYPEMISMATCH;
    case VT_BOOL: {
        if (src->vt == VT_BSTR && src->bstrVal) {
            const wchar_t* s = src->bstrVal;
            if (EqualsNoCase(s, L"True") || EqualsNoCase(s, L"#TRUE#")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (EqualsNoCase(s, L"False") || EqualsNoCase(s, L"#FALSE#")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        Number n;
        HRESULT hr = ToNumber(src, flags, n);
        if (FAILED(hr)) return hr;
        out->vt = VT_BOOL;
        out->boolVal = (n.isInteger ? n.i != 0 : n.d != 0) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_R4:
    case VT_R8: {
        Number n;
        HRESULT hr = ToNumber(src, flags, n);
        if (FAILED(hr)) return hr;
        double d = n.AsDouble();
        out->vt = vt;
        if (vt == VT_R4) {
            if (std::fabs(d) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
            out->fltVal = static_cast<float>(d);
        } else {
            out->dblVal = d;
        }
        return S_OK;
    }
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_I8: case VT_UI8: {
        Number n;
        HRESULT hr = ToNumber(src, flags, n);
        if (FAILED(hr)) return hr;
        LONGLONG lo, hi;
        switch (vt) {
        case VT_I1: lo = -128; hi = 127; break;
        case VT_UI1: lo = 0; hi = 255; break;
        case VT_I2: lo = -32768; hi = 32767; break;
        case VT_UI2: lo = 0; hi = 65535; break;
        case VT_I4: case VT_INT: lo = std::numeric_limits<int32_t>::min(); hi = std::numeric_limits<int32_t>::max(); break;
        case VT_UI4: case VT_UINT: lo = 0; hi = 0xFFFFFFFFll; break;
        case VT_I8: lo = std::numeric_limits<LONGLONG>::min(); hi = std::numeric_limits<LONGLONG>::max(); break;
        default: lo = 0; hi = std::numeric_limits<LONGLONG>::max(); break;
        }
        LONGLONG v;
        if (!ToInteger(n, lo, hi, v)) return DISP_E_OVERFLOW;
        out->vt = vt;
        switch (vt) {
        case VT_I1: out->cVal = static_cast<CHAR>(v); break;
        case VT_UI1: out->bVal = static_cast<BYTE>(v); break;
        case VT_I2: out->iVal = static_cast<SHORT>(v); break;
        case VT_UI2: out->uiVal = static_cast<USHORT>(v); break;
        case VT_I4: out->lVal = static_cast<LONG>(v); break;
        case VT_INT: out->intVal = static_cast<INT>(v); break;
        case VT_UI4: out->ulVal = static_cast<ULONG>(v); break;
        case VT_UINT: out->uintVal = static_cast<UINT>(v); break;
        case VT_I8: out->llVal = v; break;
        default: out->ullVal = static_cast<ULONGLONG>(v); break;
        }
        return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
    }
}

}  // namespace

void WINAPI VariantInit(VARIANTARG* v)
{
    if (!v) return;
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
}

HRESULT WINAPI VariantClear(VARIANTARG* v)
{
    if (!v) return E_INVALIDARG;
    if (!IsValidType(v->vt)) return DISP_E_BADVARTYPE;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
            v->punkVal->Release();
    }
    v->vt = VT_EMPTY;
    return S_OK;
}

HRESULT WINAPI VariantCopy(VARIANTARG* dest, const VARIANTARG* src)
{
    if (!dest || !src) return E_INVALIDARG;
    if (!IsValidType(src->vt)) return DISP_E_BADVARTYPE;
    if (dest == src) return S_OK;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) return hr;
    if (src->vt & VT_BYREF) {
        *dest = *src;  // the reference itself is copied, not what it points at
        return S_OK;
    }
    return CopyValue(dest, src);
}

HRESULT WINAPI VariantCopyInd(VARIANT* dest, const VARIANTARG* src)
{
    if (!dest || !src) return E_INVALIDARG;
    if (!IsValidType(src->vt)) return DISP_E_BADVARTYPE;
    if (!(src->vt & VT_BYREF)) return VariantCopy(dest, src);
    VARIANT plain;
    if (!Dereference(src, plain)) return E_INVALIDARG;
    VARIANT copy;
    HRESULT hr = CopyValue(&copy, &plain);
    if (FAILED(hr)) return hr;
    if (dest != src) VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT WINAPI VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt)
{
    if (!dest || !src) return E_INVALIDARG;
    if (!IsValidType(src->vt)) return DISP_E_BADVARTYPE;
    if ((vt & ~VT_TYPEMASK) || !IsKnownScalar(vt)) return DISP_E_BADVARTYPE;
    VARIANT plain;
    if (src->vt & VT_BYREF) {
        if (!Dereference(src, plain)) return E_INVALIDARG;
    } else {
        plain = *src;
    }
    VARIANT result;
    result.vt = VT_EMPTY;
    result.wReserved1 = result.wReserved2 = result.wReserved3 = 0;
    HRESULT hr = ChangeType(&result, &plain, flags, vt);
    if (FAILED(hr)) return hr;
    // Only now may the destination go: it can be the source itself.
    HRESULT cleared = VariantClear(dest);
    if (FAILED(cleared)) {
        VariantClear(&result);
        return cleared;
    }
    *dest = result;
    return S_OK;
}
