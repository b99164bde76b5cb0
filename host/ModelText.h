// A text of the in-memory model: immutable, shared, one pointer wide.
//
// A loaded model holds about 100,000 elements with several texts each (name, unique id,
// types, tool properties); as wide strings they were most of its memory. A ModelText is
// a pointer to one counted block: ASCII text is kept one byte per character, anything
// else as wide characters, and the empty text is no block at all. Copies share the block,
// so the loader keeps one block per distinct type name, property name or value. It reads
// as the wide text it stands for: it converts to std::wstring, compares and concatenates
// with wide strings, and hands its characters to a BSTR without a detour.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

namespace RoseHost {

class ModelText {
public:
    ModelText() = default;
    ModelText(std::wstring_view text);
    ModelText(const std::wstring& text) : ModelText(std::wstring_view(text)) {}
    ModelText(const wchar_t* text) : ModelText(std::wstring_view(text)) {}
    // Bytes that are all below 0x80, kept as they are.
    static ModelText FromAscii(std::string_view ascii);
    // The same for a text that lives about as long as the model, such as a unique id: kept
    // in a large block shared with others made on this thread (a heap block of its own
    // costs a short text half its size again). The block goes when its last text does.
    static ModelText Lasting(std::string_view ascii);

    ModelText(const ModelText& other) noexcept : m_rep(other.m_rep)
    {
        if (m_rep)
            m_rep->refs.fetch_add(1, std::memory_order_relaxed);
    }
    ModelText(ModelText&& other) noexcept : m_rep(std::exchange(other.m_rep, nullptr)) {}
    ModelText& operator=(const ModelText& other) noexcept
    {
        ModelText copy(other);
        std::swap(m_rep, copy.m_rep);
        return *this;
    }
    ModelText& operator=(ModelText&& other) noexcept
    {
        std::swap(m_rep, other.m_rep);
        return *this;
    }
    ModelText& operator=(const std::wstring& text) { return *this = ModelText(text); }
    ModelText& operator=(const wchar_t* text) { return *this = ModelText(text); }
    ~ModelText() { Release(); }

    bool empty() const noexcept { return m_rep == nullptr; }
    size_t size() const noexcept { return m_rep ? m_rep->size : 0; }
    wchar_t operator[](size_t i) const noexcept
    {
        return m_rep->wide ? WideData()[i] : static_cast<wchar_t>(NarrowData()[i]);
    }

    // The bytes of an ASCII text (empty for one kept wide).
    std::string_view Ascii() const noexcept
    {
        return m_rep && !m_rep->wide ? std::string_view(NarrowData(), m_rep->size) : std::string_view();
    }

    std::wstring str() const;
    operator std::wstring() const { return str(); }
    // Writes the size() characters to `out`.
    void CopyTo(wchar_t* out) const noexcept;
    void AppendTo(std::wstring& out) const;

    // Texts of another length are told apart here, without a call: most compares stop there.
    bool Equals(std::wstring_view other) const noexcept { return size() == other.size() && SameChars(other); }
    bool Equals(const ModelText& other) const noexcept;
    // <0, 0, >0 as std::wstring::compare.
    int Compare(std::wstring_view other) const noexcept;
    bool StartsWith(std::wstring_view prefix) const noexcept;
    // The same hash for the same text, whichever way it is kept.
    size_t Hash() const noexcept;
    static size_t Hash(std::wstring_view text) noexcept;

private:
    struct Rep {
        std::atomic<uint32_t> refs;
        uint32_t size;
        bool wide;
        bool lasting;       // in a shared block (Lasting), at `offset` bytes from its start
        uint16_t offset;
    };
    static constexpr size_t kHeader = (sizeof(Rep) + alignof(wchar_t) - 1) / alignof(wchar_t) * alignof(wchar_t);

    static Rep* Allocate(size_t size, bool wide);
    static void Free(Rep* rep) noexcept;
    // The characters of a text of other.size() characters are other's.
    bool SameChars(std::wstring_view other) const noexcept;
    const char* NarrowData() const noexcept { return reinterpret_cast<const char*>(m_rep) + kHeader; }
    const wchar_t* WideData() const noexcept
    {
        return reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(m_rep) + kHeader);
    }
    void Release() noexcept;

    Rep* m_rep = nullptr;
};

inline bool operator==(const ModelText& a, const ModelText& b) noexcept { return a.Equals(b); }
inline bool operator==(const ModelText& a, std::wstring_view b) noexcept { return a.Equals(b); }
inline bool operator==(const ModelText& a, const std::wstring& b) noexcept { return a.Equals(std::wstring_view(b)); }
inline bool operator==(const ModelText& a, const wchar_t* b) noexcept { return a.Equals(std::wstring_view(b)); }
inline bool operator<(const ModelText& a, const ModelText& b) { return a.str() < b.str(); }

std::wstring operator+(const ModelText& a, const ModelText& b);
std::wstring operator+(const ModelText& a, std::wstring_view b);
std::wstring operator+(const ModelText& a, const std::wstring& b);
std::wstring operator+(const ModelText& a, const wchar_t* b);
std::wstring operator+(const ModelText& a, wchar_t b);
std::wstring operator+(std::wstring_view a, const ModelText& b);
std::wstring operator+(const std::wstring& a, const ModelText& b);
std::wstring operator+(std::wstring&& a, const ModelText& b);
std::wstring operator+(const wchar_t* a, const ModelText& b);
std::wstring operator+(wchar_t a, const ModelText& b);
inline std::wstring& operator+=(std::wstring& a, const ModelText& b)
{
    b.AppendTo(a);
    return a;
}

// UTF-8 to byte streams, as it is to wide ones.
std::ostream& operator<<(std::ostream& out, const ModelText& text);
std::wostream& operator<<(std::wostream& out, const ModelText& text);

} // namespace RoseHost
