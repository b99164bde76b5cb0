#include "vxplat/Com.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VARIANT MakeI4(LONG v)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}

VARIANT MakeI2(SHORT v)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I2;
    x.iVal = v;
    return x;
}

VARIANT MakeBool(bool v)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_BOOL;
    x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return x;
}

VARIANT MakeText(const wchar_t* s)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_BSTR;
    x.bstrVal = SysAllocString(s);
    return x;
}

// A by-reference variant of a value that lives as long as the program.
template <VARTYPE Type, class T>
VARIANT MakeRef(T* value)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_BYREF | Type;
    x.byref = value;
    return x;
}

VARIANT MakeEmpty()
{
    VARIANT x;
    VariantInit(&x);
    return x;
}

std::wstring Describe(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I2: return L"I2:" + std::to_wstring(v.iVal);
    case VT_I4: return L"I4:" + std::to_wstring(v.lVal);
    case VT_BOOL: return L"BOOL:" + std::to_wstring(v.boolVal);
    case VT_BSTR: return L"BSTR:" + std::wstring(v.bstrVal ? v.bstrVal : L"<null>");
    case VT_EMPTY: return L"EMPTY";
    default: return L"vt " + std::to_wstring(v.vt);
    }
}

struct Conversion {
    const char* name;
    VARIANT (*make)();
    USHORT flags;
    VARTYPE to;
    HRESULT hr;
    const wchar_t* result;  // Describe() of the result when hr is S_OK
};

TEST(Variant, ChangeTypeOfScalars)
{
    const Conversion cases[] = {
        {"I4 to text", [] { return MakeI4(42); }, 0, VT_BSTR, S_OK, L"BSTR:42"},
        {"negative I2 to text", [] { return MakeI2(-7); }, 0, VT_BSTR, S_OK, L"BSTR:-7"},
        {"text with blanks to I4", [] { return MakeText(L" 123 "); }, 0, VT_I4, S_OK, L"I4:123"},
        {"negative text to I2", [] { return MakeText(L"-300"); }, 0, VT_I2, S_OK, L"I2:-300"},
        {"text with letters to I4", [] { return MakeText(L"12abc"); }, 0, VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"empty text to I4", [] { return MakeText(L""); }, 0, VT_I4, DISP_E_TYPEMISMATCH, nullptr},
        {"too big for I2", [] { return MakeText(L"70000"); }, 0, VT_I2, DISP_E_OVERFLOW, nullptr},
        {"I4 too big for I2", [] { return MakeI4(40000); }, 0, VT_I2, DISP_E_OVERFLOW, nullptr},
        {"half rounds to even (down)", [] { return MakeText(L"2.5"); }, 0, VT_I4, S_OK, L"I4:2"},
        {"half rounds to even (up)", [] { return MakeText(L"3.5"); }, 0, VT_I4, S_OK, L"I4:4"},
        {"hexadecimal text", [] { return MakeText(L"&H1F"); }, 0, VT_I4, S_OK, L"I4:31"},
        {"True to bool", [] { return MakeText(L"True"); }, 0, VT_BOOL, S_OK, L"BOOL:-1"},
        {"false to bool", [] { return MakeText(L"false"); }, 0, VT_BOOL, S_OK, L"BOOL:0"},
        {"number text to bool", [] { return MakeText(L"5"); }, 0, VT_BOOL, S_OK, L"BOOL:-1"},
        {"word to bool", [] { return MakeText(L"maybe"); }, 0, VT_BOOL, DISP_E_TYPEMISMATCH, nullptr},
        {"zero to bool", [] { return MakeI4(0); }, 0, VT_BOOL, S_OK, L"BOOL:0"},
        {"three to bool", [] { return MakeI4(3); }, 0, VT_BOOL, S_OK, L"BOOL:-1"},
        {"true to I4", [] { return MakeBool(true); }, 0, VT_I4, S_OK, L"I4:-1"},
        {"true to text", [] { return MakeBool(true); }, 0, VT_BSTR, S_OK, L"BSTR:-1"},
        {"true to word", [] { return MakeBool(true); }, VARIANT_ALPHABOOL, VT_BSTR, S_OK, L"BSTR:True"},
        {"false to word", [] { return MakeBool(false); }, VARIANT_ALPHABOOL, VT_BSTR, S_OK, L"BSTR:False"},
        {"empty to I4", MakeEmpty, 0, VT_I4, S_OK, L"I4:0"},
        {"empty to I2", MakeEmpty, 0, VT_I2, S_OK, L"I2:0"},
        {"empty to text", MakeEmpty, 0, VT_BSTR, S_OK, L"BSTR:"},
        {"empty to bool", MakeEmpty, 0, VT_BOOL, S_OK, L"BOOL:0"},
        {"same type", [] { return MakeText(L"same"); }, 0, VT_BSTR, S_OK, L"BSTR:same"},
        {"by-reference I4 to text", [] { static LONG n = 7; return MakeRef<VT_I4>(&n); }, 0, VT_BSTR, S_OK, L"BSTR:7"},
        {"by-reference I2", [] { static SHORT n = 5; return MakeRef<VT_I2>(&n); }, 0, VT_I2, S_OK, L"I2:5"},
        {"by-reference text to I2",
         [] {
             static BSTR text = SysAllocString(L"-12");
             return MakeRef<VT_BSTR>(&text);
         },
         0, VT_I2, S_OK, L"I2:-12"},
    };
    for (const auto& c : cases) {
        VARIANT src = c.make();
        VARIANT dst;
        VariantInit(&dst);
        HRESULT hr = VariantChangeType(&dst, &src, c.flags, c.to);
        EXPECT_EQ(hr, c.hr) << c.name;
        if (hr == S_OK && c.result) {
            EXPECT_EQ(Describe(dst), c.result) << c.name;
        }
        if (FAILED(hr)) {
            EXPECT_EQ(dst.vt, VT_EMPTY) << c.name << ": destination untouched";
        }
        VariantClear(&dst);
        VariantClear(&src);
    }
}

}  // namespace
