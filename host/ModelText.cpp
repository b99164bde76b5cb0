#include "ModelText.h"

#include "Utf8.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <ostream>
#include <stdexcept>
#include <type_traits>

namespace RoseHost {

namespace {

template <class Text> bool AllAscii(const Text& s)
{
    for (auto c : s)
        if (static_cast<uint32_t>(c) >= 0x80)
            return false;
    return true;
}

template <class A, class B> int CompareUnits(const A* a, size_t na, const B* b, size_t nb)
{
    const size_t n = std::min(na, nb);
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<std::make_unsigned_t<wchar_t>>(static_cast<wchar_t>(a[i]));
        const auto y = static_cast<std::make_unsigned_t<wchar_t>>(static_cast<wchar_t>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

template <class Unit> size_t HashUnits(const Unit* p, size_t n)
{
    // FNV-1a over the characters' values, so narrow and wide keeping hash alike.
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 0; i < n; ++i) {
        h ^= static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(p[i]));
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
}

} // namespace

ModelText::Rep* ModelText::Allocate(size_t size, bool wide)
{
    if (size > UINT32_MAX)
        throw std::length_error("ModelText: text too long");
    void* p = ::operator new(kHeader + (size + 1) * (wide ? sizeof(wchar_t) : 1));
    Rep* rep = new (p) Rep{};
    rep->refs.store(1, std::memory_order_relaxed);
    rep->size = static_cast<uint32_t>(size);
    rep->wide = wide;
    return rep;
}

ModelText::ModelText(std::wstring_view text)
{
    if (text.empty())
        return;
    const bool wide = !AllAscii(text);
    m_rep = Allocate(text.size(), wide);
    if (wide) {
        wchar_t* out = const_cast<wchar_t*>(WideData());
        std::memcpy(out, text.data(), text.size() * sizeof(wchar_t));
        out[text.size()] = 0;
    } else {
        char* out = const_cast<char*>(NarrowData());
        for (size_t i = 0; i < text.size(); ++i)
            out[i] = static_cast<char>(text[i]);
        out[text.size()] = 0;
    }
}

ModelText ModelText::FromAscii(std::string_view ascii)
{
    ModelText t;
    if (ascii.empty())
        return t;
    t.m_rep = Allocate(ascii.size(), false);
    char* out = const_cast<char*>(t.NarrowData());
    std::memcpy(out, ascii.data(), ascii.size());
    out[ascii.size()] = 0;
    return t;
}

namespace {

// A block of lasting texts: its count is the texts alive in it, plus one while it is the
// block its thread fills.
struct LastingBlock {
    static constexpr size_t kSize = 64 * 1024; // an offset in it fits 16 bits
    static constexpr size_t kLargest = 256;    // longer texts take a heap block of their own
    std::atomic<uint32_t> live{1};

    char* Bytes() { return reinterpret_cast<char*>(this); }
    void Drop() noexcept
    {
        if (live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            this->~LastingBlock();
            ::operator delete(this);
        }
    }
};

struct LastingFill {
    LastingBlock* block = nullptr;
    size_t used = 0;
    ~LastingFill()
    {
        if (block)
            block->Drop();
    }
};

thread_local LastingFill t_lasting;

} // namespace

ModelText ModelText::Lasting(std::string_view ascii)
{
    const size_t bytes = (kHeader + ascii.size() + 1 + alignof(Rep) - 1) / alignof(Rep) * alignof(Rep);
    if (ascii.empty() || bytes > LastingBlock::kLargest)
        return FromAscii(ascii);
    LastingFill& fill = t_lasting;
    if (!fill.block || fill.used + bytes > LastingBlock::kSize) {
        LastingBlock* fresh = new (::operator new(LastingBlock::kSize)) LastingBlock;
        if (fill.block)
            fill.block->Drop();
        fill.block = fresh;
        fill.used = (sizeof(LastingBlock) + alignof(Rep) - 1) / alignof(Rep) * alignof(Rep);
    }
    ModelText t;
    t.m_rep = new (fill.block->Bytes() + fill.used) Rep{};
    t.m_rep->refs.store(1, std::memory_order_relaxed);
    t.m_rep->size = static_cast<uint32_t>(ascii.size());
    t.m_rep->lasting = true;
    t.m_rep->offset = static_cast<uint16_t>(fill.used);
    fill.block->live.fetch_add(1, std::memory_order_relaxed);
    fill.used += bytes;
    char* out = const_cast<char*>(t.NarrowData());
    std::memcpy(out, ascii.data(), ascii.size());
    out[ascii.size()] = 0;
    return t;
}

void ModelText::Free(Rep* rep) noexcept
{
    if (rep->lasting) {
        LastingBlock* block = reinterpret_cast<LastingBlock*>(reinterpret_cast<char*>(rep) - rep->offset);
        rep->~Rep();
        block->Drop();
        return;
    }
    rep->~Rep();
    ::operator delete(rep);
}

void ModelText::Release() noexcept
{
    if (m_rep && m_rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        Free(m_rep);
    m_rep = nullptr;
}

std::wstring ModelText::str() const
{
    std::wstring out;
    AppendTo(out);
    return out;
}

void ModelText::CopyTo(wchar_t* out) const noexcept
{
    if (!m_rep)
        return;
    if (m_rep->wide) {
        std::memcpy(out, WideData(), m_rep->size * sizeof(wchar_t));
    } else {
        const char* in = NarrowData();
        for (uint32_t i = 0; i < m_rep->size; ++i)
            out[i] = static_cast<wchar_t>(in[i]);
    }
}

void ModelText::AppendTo(std::wstring& out) const
{
    if (!m_rep)
        return;
    const size_t at = out.size();
    out.resize(at + m_rep->size);
    CopyTo(out.data() + at);
}

bool ModelText::SameChars(std::wstring_view other) const noexcept
{
    if (!m_rep)
        return true;
    if (m_rep->wide)
        return std::wmemcmp(WideData(), other.data(), other.size()) == 0;
    const char* in = NarrowData();
    for (size_t i = 0; i < other.size(); ++i)
        if (static_cast<wchar_t>(in[i]) != other[i])
            return false;
    return true;
}

bool ModelText::Equals(const ModelText& other) const noexcept
{
    if (m_rep == other.m_rep)
        return true;
    if (size() != other.size() || !m_rep || !other.m_rep)
        return false;
    // One text has one keeping (wide only when not ASCII), so the bytes decide.
    if (m_rep->wide != other.m_rep->wide)
        return false;
    return std::memcmp(NarrowData(), other.NarrowData(), m_rep->size * (m_rep->wide ? sizeof(wchar_t) : 1)) == 0;
}

int ModelText::Compare(std::wstring_view other) const noexcept
{
    if (!m_rep)
        return other.empty() ? 0 : -1;
    return m_rep->wide ? CompareUnits(WideData(), m_rep->size, other.data(), other.size())
                       : CompareUnits(NarrowData(), m_rep->size, other.data(), other.size());
}

bool ModelText::StartsWith(std::wstring_view prefix) const noexcept
{
    if (prefix.size() > size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if ((*this)[i] != prefix[i])
            return false;
    return true;
}

size_t ModelText::Hash() const noexcept
{
    if (!m_rep)
        return HashUnits(static_cast<const char*>(nullptr), 0);
    return m_rep->wide ? HashUnits(WideData(), m_rep->size) : HashUnits(NarrowData(), m_rep->size);
}

size_t ModelText::Hash(std::wstring_view text) noexcept
{
    return HashUnits(text.data(), text.size());
}

std::wstring operator+(const ModelText& a, const ModelText& b)
{
    std::wstring out;
    out.reserve(a.size() + b.size());
    a.AppendTo(out);
    b.AppendTo(out);
    return out;
}

std::wstring operator+(const ModelText& a, std::wstring_view b)
{
    std::wstring out;
    out.reserve(a.size() + b.size());
    a.AppendTo(out);
    out += b;
    return out;
}

std::wstring operator+(const ModelText& a, const std::wstring& b) { return a + std::wstring_view(b); }
std::wstring operator+(const ModelText& a, const wchar_t* b) { return a + std::wstring_view(b); }
std::wstring operator+(const ModelText& a, wchar_t b) { return a + std::wstring_view(&b, 1); }

std::wstring operator+(std::wstring_view a, const ModelText& b)
{
    std::wstring out;
    out.reserve(a.size() + b.size());
    out += a;
    b.AppendTo(out);
    return out;
}

std::wstring operator+(const std::wstring& a, const ModelText& b) { return std::wstring_view(a) + b; }

std::wstring operator+(std::wstring&& a, const ModelText& b)
{
    b.AppendTo(a);
    return std::move(a);
}

std::wstring operator+(const wchar_t* a, const ModelText& b) { return std::wstring_view(a) + b; }
std::wstring operator+(wchar_t a, const ModelText& b) { return std::wstring_view(&a, 1) + b; }

std::ostream& operator<<(std::ostream& out, const ModelText& text)
{
    return out << ToUtf8(text.str());
}

std::wostream& operator<<(std::wostream& out, const ModelText& text)
{
    return out << text.str();
}

} // namespace RoseHost
