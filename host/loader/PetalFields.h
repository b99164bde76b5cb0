// The petal fields the loader reads: the names it looks for (numbered, so that finding a
// field compares numbers), the first value of each kept per object, the shared short
// texts, the decoding of the file's 8-bit text; shared by the loader's files.
#pragma once

#include "ModelLoader.h"
#include "PetalReader.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace RoseHost::Loading {


// The field names the builder looks for: numbered 1, 2, ... in this order in every
// document it reads, so that finding a field compares numbers.
inline constexpr std::string_view kKeyNames[] = {
    "Constraints",
    "Containment",
    "abstract",
    "attributes",
    "charSet",
    "class_attributes",
    "client_cardinality",
    "concurrency",
    "const",
    "constraints",
    "derived",
    "documentation",
    "exportControl",
    "fields",
    "file_name",
    "friend",
    "global",
    "initv",
    "is_aggregate",
    "is_friend",
    "is_loaded",
    "is_navigable",
    "is_unit",
    "label",
    "language",
    "logical_models",
    "module",
    "name",
    "nestedClasses",
    "opExportControl",
    "operations",
    "parameters",
    "path",
    "physical_models",
    "properties",
    "quid",
    "quidu",
    "realized_interfaces",
    "result",
    "roles",
    "root_category",
    "root_subsystem",
    "root_usecase_package",
    "static",
    "stereotype",
    "superclasses",
    "supplier",
    "supplier_cardinality",
    "supplier_is_spec",
    "tool",
    "type",
    "used_nodes",
    "value",
    "version",
    "visible_modules",
};

consteval uint32_t K(std::string_view name)
{
    for (size_t i = 0; i < std::size(kKeyNames); ++i)
        if (kKeyNames[i] == name)
            return static_cast<uint32_t>(i + 1);
    throw "not in kKeyNames";
}

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y)
            return false;
    }
    return true;
}

inline unsigned EffectiveCodePage(unsigned codePage)
{
    return codePage == CP_ACP ? GetACP() : codePage;
}

// The file's 8-bit text to wide text in the chosen code page.
class Decoder {
public:
    explicit Decoder(unsigned codePage) : m_codePage(codePage) {}

    std::wstring operator()(std::string_view s) const
    {
        bool ascii = true;
        for (char c : s) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        if (ascii)
            return std::wstring(s.begin(), s.end());
        const int n = MultiByteToWideChar(m_codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
        if (n <= 0) {
            // A code page the platform cannot convert: keep the bytes as Latin-1.
            std::wstring w;
            w.reserve(s.size());
            for (char c : s)
                w += static_cast<wchar_t>(static_cast<unsigned char>(c));
            return w;
        }
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(m_codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
        return w;
    }

private:
    unsigned m_codePage;
};

// A file's bytes, read without clearing the buffer first (a model file is megabytes).
// From the heap on purpose: freeing a block this large raises the heap's own threshold for
// taking pages straight from the system, so the many large buffers of a generation after
// it are reused instead of being mapped and faulted in afresh each time.
struct FileText {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    operator std::string_view() const { return std::string_view(data.get(), size); }
};

// A file's whole bytes; false when it cannot be read (GetLastError says why).
bool ReadWholeFile(const std::wstring& path, FileText& out);
bool IsAbsolutePath(const std::wstring& p);
std::wstring DirectoryOf(const std::wstring& file);
std::wstring FileStem(const std::wstring& file);

inline bool IsClassType(std::string_view t)
{
    return t == "Class" || t == "Parameterized_Class" || t == "Instantiated_Class" || t == "Class_Utility" ||
           t == "Parameterized_Class_Utility" || t == "Instantiated_Class_Utility" || t == "Metaclass";
}

inline int16_t ParseExportControl(std::string_view v, int16_t fallback)
{
    if (EqualsNoCase(v, "Public")) return PublicAccess;
    if (EqualsNoCase(v, "Protected")) return ProtectedAccess;
    if (EqualsNoCase(v, "Private")) return PrivateAccess;
    if (EqualsNoCase(v, "Implementation")) return ImplementationAccess;
    return fallback;
}

inline int16_t ParseContainment(std::string_view v)
{
    if (EqualsNoCase(v, "By Value")) return ContainmentByValue;
    if (EqualsNoCase(v, "By Reference")) return ContainmentByReference;
    return ContainmentUnspecified;
}

// Short ASCII texts met so far, each kept once: open addressing, at most half full.
class SharedTexts {
public:
    // `hash` is a hash of the bytes.
    ModelText Get(std::string_view s, uint32_t hash)
    {
        if (2 * (m_count + 1) > m_slots.size())
            Grow();
        const size_t mask = m_slots.size() - 1;
        size_t at = hash & mask;
        for (; !m_slots[at].text.empty(); at = (at + 1) & mask) {
            const Slot& slot = m_slots[at];
            if (slot.hash == hash && SameText(slot.text.Ascii(), s))
                return slot.text;
        }
        m_slots[at] = {ModelText::Lasting(s), hash};
        ++m_count;
        return m_slots[at].text;
    }

private:
    struct Slot {
        ModelText text;
        uint32_t hash = 0;
    };
    void Grow()
    {
        std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(std::max<size_t>(1024, m_slots.size() * 2)));
        const size_t mask = m_slots.size() - 1;
        for (Slot& slot : old) {
            if (slot.text.empty())
                continue;
            size_t at = slot.hash & mask;
            while (!m_slots[at].text.empty())
                at = (at + 1) & mask;
            m_slots[at] = std::move(slot);
        }
    }
    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

inline constexpr size_t kKeyCount = std::size(kKeyNames);
static_assert(kKeyCount < 64, "a field's number is a bit of a mask");

// The first value of a field, kept until its object ends: views of the reader's arena
// (the file's text behind may be gone by then), and the text of a tuple read as it came.
struct FieldValue {
    PetalKind kind = PetalKind::Identifier;
    unsigned line = 0;
    unsigned column = 0;
    std::string_view text;
    ModelText tupleText;
    bool enumPair = false; // ("SetName" 801)
    std::string_view enumSet;
    std::string_view enumNumber;
};

// The fields of the object being read at one depth: the first of each known name.
struct Frame {
    uint64_t seen = 0;
    FieldValue fields[kKeyCount + 1];

    const FieldValue* Get(uint32_t key) const { return (seen >> key & 1) ? &fields[key] : nullptr; }
    // True the first time a name is met in this object.
    bool First(uint32_t key)
    {
        if (seen >> key & 1)
            return false;
        seen |= uint64_t(1) << key;
        return true;
    }
};

} // namespace RoseHost::Loading
