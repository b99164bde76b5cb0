#include "vxplat/Com.h"
#include "vxplat/Kernel.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------- BSTR

TEST(Bstr, LengthsEmbeddedNullsAndReallocation)
{
    const OLECHAR text[] = {L'a', L'\0', L'b'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 3u * sizeof(OLECHAR));
    EXPECT_EQ(s[2], L'b');
    EXPECT_EQ(s[3], L'\0');
    SysFreeString(s);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);  // harmless

    s = SysAllocStringLen(nullptr, 5);  // writable text of the requested length
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s[5], L'\0');
    for (int i = 0; i < 5; ++i) s[i] = L'x';
    EXPECT_STREQ(s, L"xxxxx");
    ASSERT_TRUE(SysReAllocString(&s, L"second text"));
    EXPECT_EQ(SysStringLen(s), 11u);
    // Part of another string, not of the old one: the documented API does not promise
    // a source inside the string it replaces (oleaut32 reallocates the old block before
    // it copies, and 32-bit Windows and wine move it), and no caller of ours does that.
    const OLECHAR longer[] = L"other text";
    ASSERT_TRUE(SysReAllocStringLen(&s, longer + 6, 4));
    EXPECT_STREQ(s, L"text");
    EXPECT_EQ(SysStringLen(s), 4u);
    SysFreeString(s);

    s = SysAllocStringByteLen("abcd", 4);
    EXPECT_EQ(SysStringByteLen(s), 4u);
    EXPECT_EQ(SysStringLen(s), 4u / sizeof(OLECHAR));
    SysFreeString(s);
}

TEST(Bstr, FreedBlocksServeLaterStringsOfEveryLength)
{
    // Lengths on both sides of the kept blocks' size steps and beyond them: a string
    // made in a block another string gave back holds its own length and terminator.
    auto textOf = [](UINT len, int round) { return std::wstring(len, static_cast<wchar_t>(L'a' + (len + round) % 26)); };
    for (int round = 0; round < 3; ++round) {
        std::vector<std::pair<UINT, BSTR>> made;
        for (UINT len = 0; len < 160; len += 3) {
            BSTR s = SysAllocStringLen(textOf(len, round).data(), len);
            ASSERT_NE(s, nullptr);
            made.emplace_back(len, s);
        }
        for (auto [len, s] : made) {
            ASSERT_EQ(SysStringLen(s), len);
            EXPECT_EQ(std::wstring(s, len), textOf(len, round));
            EXPECT_EQ(s[len], L'\0');
            SysFreeString(s);
        }
    }
}

// ---------------------------------------------------------------- GUID

struct KnownIid {
    const IID* iid;
    const wchar_t* text;
};

TEST(Guid, StandardInterfacesHaveTheirWindowsIdentities)
{
    const KnownIid cases[] = {
        {&IID_IUnknown, L"{00000000-0000-0000-C000-000000000046}"},
        {&IID_IDispatch, L"{00020400-0000-0000-C000-000000000046}"},
        {&IID_IClassFactory, L"{00000001-0000-0000-C000-000000000046}"},
        {&IID_ISupportErrorInfo, L"{DF0B3D60-548F-101B-8E65-08002B2BD119}"},
        {&IID_IErrorInfo, L"{1CF2B120-547D-101B-8E65-08002B2BD119}"},
        {&IID_ICreateErrorInfo, L"{22F03340-547D-101B-8E65-08002B2BD119}"},
        {&IID_IConnectionPoint, L"{B196B286-BAB4-101A-B69C-00AA00341D07}"},
        {&IID_IConnectionPointContainer, L"{B196B284-BAB4-101A-B69C-00AA00341D07}"},
        {&IID_IEnumConnectionPoints, L"{B196B285-BAB4-101A-B69C-00AA00341D07}"},
        {&IID_IEnumConnections, L"{B196B287-BAB4-101A-B69C-00AA00341D07}"},
        {&IID_ITypeInfo, L"{00020401-0000-0000-C000-000000000046}"},
    };
    for (const auto& c : cases) {
        OLECHAR buf[64];
        EXPECT_EQ(StringFromGUID2(*c.iid, buf, 64), 39);
        EXPECT_STREQ(buf, c.text);
    }
}

TEST(Guid, TextRoundTripAndMalformedText)
{
    const GUID g = {0x12AB34CD, 0x5E6F, 0x7A8B, {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}};
    OLECHAR buf[39];
    ASSERT_EQ(StringFromGUID2(g, buf, 39), 39);
    EXPECT_STREQ(buf, L"{12AB34CD-5E6F-7A8B-9C0D-1E2F3A4B5C6D}");
    EXPECT_EQ(StringFromGUID2(g, buf, 38), 0);  // no room for the terminator
    CLSID back;
    ASSERT_EQ(CLSIDFromString(L"{12ab34cd-5e6f-7a8b-9c0d-1e2f3a4b5c6d}", &back), S_OK);
    EXPECT_TRUE(IsEqualGUID(back, g));
    IID iid;
    ASSERT_EQ(IIDFromString(buf, &iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, g));

    struct Bad {
        const wchar_t* text;
        HRESULT asIid;
    };
    const Bad cases[] = {
        {L"{12AB34CD-5E6F-7A8B-9C0D-1E2F3A4B5C6}", E_INVALIDARG},
        {L"12AB34CD-5E6F-7A8B-9C0D-1E2F3A4B5C6D", E_INVALIDARG},
        {L"{12AB34CD-5E6F-7A8B-9C0D-1E2F3A4B5C6G}", CO_E_IIDSTRING},
        {L"{12AB34CD+5E6F-7A8B-9C0D-1E2F3A4B5C6D}", CO_E_IIDSTRING},
    };
    for (const auto& c : cases) {
        CLSID clsid;
        EXPECT_EQ(CLSIDFromString(c.text, &clsid), CO_E_CLASSSTRING) << c.text;
        IID iid;
        EXPECT_EQ(IIDFromString(c.text, &iid), c.asIid) << c.text;
    }
}

// ---------------------------------------------------------------- error information

IErrorInfo* MakeErrorInfo(const wchar_t* description, const wchar_t* source)
{
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    create->SetSource(const_cast<LPOLESTR>(source));
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

TEST(ErrorInfo, GetHandsTheObjectOverAndEachThreadHasItsOwnSlot)
{
    IErrorInfo* info = MakeErrorInfo(L"It failed", L"Vexlo");
    ASSERT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release();
    HRESULT otherThread = E_FAIL;
    std::thread([&] {
        IErrorInfo* got = nullptr;
        otherThread = GetErrorInfo(0, &got);
        if (got) got->Release();
    }).join();
    EXPECT_EQ(otherThread, S_FALSE);

    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    ASSERT_NE(got, nullptr);
    BSTR description = nullptr, source = nullptr;
    got->GetDescription(&description);
    got->GetSource(&source);
    EXPECT_STREQ(description, L"It failed");
    EXPECT_STREQ(source, L"Vexlo");
    SysFreeString(description);
    SysFreeString(source);
    got->Release();
    IErrorInfo* again = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE) << "taken out of the slot";
    EXPECT_EQ(again, nullptr);

    info = MakeErrorInfo(L"x", L"y");
    SetErrorInfo(0, info);
    info->Release();
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE) << "setting null clears the slot";
}

// ---------------------------------------------------------------- _com_error

TEST(ComError, CarriesTheErrorInformation)
{
    try {
        _com_issue_error(E_OUTOFMEMORY);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_OUTOFMEMORY);
        EXPECT_EQ(e.ErrorInfo(), nullptr);
        ASSERT_NE(e.ErrorMessage(), nullptr);
        EXPECT_GT(std::wcslen(e.ErrorMessage()), 0u);
    }
    IErrorInfo* info = MakeErrorInfo(L"Host call failed", L"Rose");
    {
        _com_error e(DISP_E_EXCEPTION, info, true);
        EXPECT_STREQ(static_cast<const wchar_t*>(e.Description()), L"Host call failed");
        EXPECT_STREQ(static_cast<const wchar_t*>(e.Source()), L"Rose");
        _com_error copy(e);
        EXPECT_EQ(copy.Error(), DISP_E_EXCEPTION);
        IErrorInfo* again = copy.ErrorInfo();
        EXPECT_EQ(again, info);
        again->Release();
    }
    // All references taken above were given back: only ours remains.
    EXPECT_EQ(info->AddRef(), 2u);
    info->Release();
    info->Release();
}

// An object that offers error information for one interface.
class ErrorSource : public ISupportErrorInfo {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISupportErrorInfo) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == IID_IDispatch ? S_OK : S_FALSE;
    }
    ULONG refs = 1;
};

TEST(ComError, IssueErrorExTakesTheThreadErrorWhenSupported)
{
    ErrorSource source;
    IErrorInfo* info = MakeErrorInfo(L"from the object", L"");
    SetErrorInfo(0, info);
    info->Release();
    try {
        _com_issue_errorex(E_FAIL, &source, IID_IDispatch);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_FAIL);
        EXPECT_STREQ(static_cast<const wchar_t*>(e.Description()), L"from the object");
    }
    EXPECT_EQ(source.refs, 1u);

    info = MakeErrorInfo(L"left alone", L"");
    SetErrorInfo(0, info);
    info->Release();
    try {
        _com_issue_errorex(E_FAIL, &source, IID_IUnknown);  // not an interface with error info
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.ErrorInfo(), nullptr);
    }
    IErrorInfo* got = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &got), S_OK);  // still in the slot
    if (got) got->Release();
}

}  // namespace
