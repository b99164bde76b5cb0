#include "ModelLoader.h"
#include "PetalReader.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace RoseHost {

namespace {

// The field names the builder looks for: numbered 1, 2, ... in this order in every
// document it reads, so that finding a field compares numbers.
constexpr std::string_view kKeyNames[] = {
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

bool EqualsNoCase(std::string_view a, std::string_view b)
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

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
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

unsigned EffectiveCodePage(unsigned codePage)
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

bool ReadWholeFile(const std::wstring& path, FileText& out)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    const DWORD size = GetFileSize(h, &high);
    if (size == INVALID_FILE_SIZE || high != 0) {
        CloseHandle(h);
        return false;
    }
    out.data = std::make_unique_for_overwrite<char[]>(size);
    out.size = size;
    DWORD done = 0;
    bool ok = true;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(h, out.data.get() + done, size - done, &got, nullptr) || got == 0) {
            ok = false;
            break;
        }
        done += got;
    }
    CloseHandle(h);
    return ok;
}

bool IsAbsolutePath(const std::wstring& p)
{
    if (!p.empty() && (p[0] == L'\\' || p[0] == L'/'))
        return true;
    return p.size() >= 2 && p[1] == L':';
}

std::wstring DirectoryOf(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

std::wstring FileStem(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"\\/");
    std::wstring base = slash == std::wstring::npos ? file : file.substr(slash + 1);
    const size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        base.resize(dot);
    return base;
}

bool IsClassType(std::string_view t)
{
    return t == "Class" || t == "Parameterized_Class" || t == "Instantiated_Class" || t == "Class_Utility" ||
           t == "Parameterized_Class_Utility" || t == "Instantiated_Class_Utility" || t == "Metaclass";
}

int16_t ParseExportControl(std::string_view v, int16_t fallback)
{
    if (EqualsNoCase(v, "Public")) return PublicAccess;
    if (EqualsNoCase(v, "Protected")) return ProtectedAccess;
    if (EqualsNoCase(v, "Private")) return PrivateAccess;
    if (EqualsNoCase(v, "Implementation")) return ImplementationAccess;
    return fallback;
}

int16_t ParseContainment(std::string_view v)
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
        m_slots[at] = {ModelText::FromAscii(s), hash};
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

constexpr size_t kKeyCount = std::size(kKeyNames);
static_assert(kKeyCount < 64, "a field's number is a bit of a mask");

// The first value of a field, kept until its object ends: views of the file (or of the
// reader's arena), and the text of a tuple read as it came.
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

// Builds the model while the reader reads: each object's fields are taken as they come,
// the lists of elements built in place, and the plain fields an element reads at its end
// kept in a frame of its depth.
class Builder {
public:
    Builder(Model& model, const LoadOptions& options)
        : m_model(model), m_options(options), m_codePage(EffectiveCodePage(options.codePage)), m_decode(m_codePage) {}

    PetalDocument Parse(std::string_view text, const std::wstring& fileName) const
    {
        PetalParseOptions po;
        po.maxDepth = m_options.maxDepth;
        po.codePage = m_codePage;
        po.knownNames = kKeyNames;
        return ParsePetal(text, fileName, po);
    }

    PetalReader Reader(std::string_view text, const std::wstring& fileName) const
    {
        return PetalReader(text, fileName, m_codePage, m_options.maxDepth, kKeyNames);
    }

    void BuildModel(PetalReader& r)
    {
        m_r = &r;
        m_main = &r;
        m_unitChain.push_back(r.FileName());
        m_model.fileName = r.FileName();
        m_model.name = FileStem(r.FileName());
        bool haveDesign = false;
        bool first = true;
        unsigned line = 1, column = 1;
        while (r.NextRoot()) {
            const PetalValue v = r.Open(0);
            if (first) {
                line = v.line;
                column = v.column;
                first = false;
            }
            const Scope scope(r);
            if (v.kind == PetalKind::Object && v.text == "Petal") {
                const Frame& f = Fields(v, [](uint32_t, const PetalValue&, Frame&) { return false; });
                if (const FieldValue* version = f.Get(K("version")))
                    m_model.petalVersion = ToInt(version->text);
                if (const FieldValue* charSet = f.Get(K("charSet")))
                    m_model.charSet = ToInt(charSet->text);
            } else if (v.kind == PetalKind::Object && v.text == "Design" && !haveDesign) {
                haveDesign = true;
                BuildDesign(v);
            } else {
                r.Skip(v);
            }
        }
        if (!haveDesign)
            throw RoseLoadError(r.FileName(), line, column, L"the file holds no model: \"(object Design\" is missing");
        if (m_pending)
            throw *m_pending;
        m_unitChain.pop_back();
        m_model.IndexQuids(m_toIndex);
        Resolve();
    }

    void BuildPropertyFile(PetalReader& r, DefaultPropertySets& sets)
    {
        m_r = &r;
        while (r.NextRoot()) {
            const PetalValue v = r.Open(0);
            const Scope scope(r);
            if (v.kind == PetalKind::List)
                ReadPropertySets(v, sets, nullptr);
            else if (v.kind == PetalKind::Object && v.text == "Attribute")
                ReadPropertySet(v, sets, nullptr);
            else if (v.kind == PetalKind::Object && v.text == "Properties")
                ReadPropertiesObject(v, sets, nullptr);
            else
                r.Skip(v);
        }
        ResolveEnumerations(sets, nullptr);
    }

private:
    // The reader's arena back to where it was when an object began.
    struct Scope {
        explicit Scope(PetalReader& r) : reader(r), mark(r.GetMark()) {}
        ~Scope() { reader.Release(mark); }
        PetalReader& reader;
        PetalReader::Mark mark;
    };

    static int ToInt(std::string_view s)
    {
        long v = 0;
        bool neg = false;
        size_t i = 0;
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            neg = s[i++] == '-';
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            v = v * 10 + (s[i] - '0');
            if (v > 1000000000)
                break;
        }
        return static_cast<int>(neg ? -v : v);
    }

    static bool IsAscii(std::string_view s)
    {
        for (char c : s)
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
        return true;
    }

    // A text of the file as the model keeps it, shared with its earlier copies.
    ModelText W(std::string_view s) const
    {
        if (s.empty())
            return ModelText();
        if (s.size() > kSharedTextSize)
            return IsAscii(s) ? ModelText::FromAscii(s) : ModelText(m_decode(s));
        // One pass, eight bytes at a time: the hash, and whether every byte is ASCII.
        uint64_t h = s.size(), high = 0;
        auto mix = [&](uint64_t x) {
            high |= x;
            h = (h ^ x) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        };
        const char* p = s.data();
        if (s.size() >= 8) {
            // Whole words, the last one overlapping the one before.
            for (size_t n = s.size(); n > 8; n -= 8, p += 8) {
                uint64_t x;
                std::memcpy(&x, p, 8);
                mix(x);
            }
            uint64_t x;
            std::memcpy(&x, s.data() + s.size() - 8, 8);
            mix(x);
        } else {
            uint64_t x = 0;
            for (size_t i = 0; i < s.size(); ++i)
                x |= uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
            mix(x);
        }
        if (high & 0x8080808080808080ull)
            return ModelText(m_decode(s));
        return m_texts.Get(s, static_cast<uint32_t>(h ^ (h >> 32)));
    }
    // A unique id: not worth keeping for sharing.
    ModelText Unique(std::string_view s) const
    {
        return IsAscii(s) ? ModelText::FromAscii(s) : ModelText(m_decode(s));
    }
    static constexpr size_t kSharedTextSize = 48;

    static bool IsTuple(PetalKind k) { return k == PetalKind::Tuple || k == PetalKind::ValueTuple; }
    static bool IsScalarText(PetalKind k)
    {
        return k == PetalKind::String || k == PetalKind::Text || k == PetalKind::Number || k == PetalKind::Identifier;
    }

    static bool IsTrue(PetalKind kind, std::string_view text)
    {
        return kind == PetalKind::Identifier && EqualsNoCase(text, "TRUE");
    }
    static bool IsTrue(const Frame& f, uint32_t key)
    {
        const FieldValue* v = f.Get(key);
        return v && IsTrue(v->kind, v->text);
    }

    Frame& FrameAt(unsigned depth)
    {
        const size_t at = m_frameBase + depth;
        while (m_frames.size() <= at)
            m_frames.push_back(std::make_unique<Frame>());
        return *m_frames[at];
    }

    // Reads an object's fields: `take(key, value, frame)` reads the values it wants as they
    // come and returns true; the first value of every other known name stays in the frame.
    template <class Take> Frame& Fields(const PetalValue& object, Take&& take)
    {
        Frame& f = FrameAt(object.depth);
        f.seen = 0;
        uint32_t key;
        while (m_r->NextField(object, key)) {
            const PetalValue v = m_r->Open(object.depth);
            if (take(key, v, f))
                continue;
            if (key != 0 && f.First(key))
                Store(f.fields[key], v);
            else
                m_r->Skip(v);
        }
        return f;
    }

    void Store(FieldValue& s, const PetalValue& v)
    {
        s.kind = v.kind;
        s.line = v.line;
        s.column = v.column;
        s.text = v.text;
        s.enumPair = false;
        if (IsTuple(v.kind))
            s.tupleText = TupleText(v, &s);
        else
            m_r->Skip(v);
    }

    // The text of a tuple: its one item's, else its items' joined (with blanks between
    // the items of a plain tuple); objects and lists in it count as items but give no text.
    ModelText TupleText(const PetalValue& form, FieldValue* pair)
    {
        size_t count = 0;
        PetalKind kinds[2] = {};
        std::string_view texts[2];
        ModelText first;
        bool haveFirst = false;
        std::wstring wide;
        bool haveWide = false;
        while (m_r->NextItem(form)) {
            const PetalValue item = m_r->Open(form.depth);
            if (count < 2) {
                kinds[count] = item.kind;
                texts[count] = item.text;
            }
            ++count;
            ModelText piece;
            if (IsTuple(item.kind))
                piece = TupleText(item, nullptr);
            else if (IsScalarText(item.kind))
                piece = W(item.text);
            else if (item.kind != PetalKind::Reference) {
                m_r->Skip(item);
                continue;
            }
            if (!haveFirst) {
                first = std::move(piece);
                haveFirst = true;
                continue;
            }
            if (!haveWide) {
                wide = first.str();
                haveWide = true;
            }
            if (!wide.empty() && form.kind == PetalKind::Tuple)
                wide += L' ';
            piece.AppendTo(wide);
        }
        if (pair && count == 2 && kinds[0] == PetalKind::String && kinds[1] == PetalKind::Number) {
            pair->enumPair = true;
            pair->enumSet = texts[0];
            pair->enumNumber = texts[1];
        }
        return haveWide ? ModelText(wide) : first;
    }

    // Text of a scalar, of a "(value Text ...)" / "(value cardinality ...)" form, or of
    // an enumerated "(name number)" pair (its number).
    ModelText TextOf(const FieldValue* v) const
    {
        if (!v)
            return ModelText();
        if (IsScalarText(v->kind))
            return W(v->text);
        if (IsTuple(v->kind))
            return v->tupleText;
        return ModelText();
    }
    ModelText TextOf(const Frame& f, uint32_t key) const { return TextOf(f.Get(key)); }

    // The same of a value being read.
    ModelText TakeText(const PetalValue& v)
    {
        if (IsTuple(v.kind))
            return TupleText(v, nullptr);
        m_r->Skip(v);
        return IsScalarText(v.kind) ? W(v.text) : ModelText();
    }

    static std::string_view FieldBytes(const Frame& f, uint32_t key)
    {
        const FieldValue* v = f.Get(key);
        return v && (v->kind == PetalKind::String || v->kind == PetalKind::Identifier) ? v->text : std::string_view();
    }

    // Reads "(list Attribute_Set (object Attribute tool .. name .. value ..) ...)".
    void ReadProperties(const PetalValue& list, std::vector<ToolProperty>& out)
    {
        if (list.kind != PetalKind::List) {
            m_r->Skip(list);
            return;
        }
        while (m_r->NextItem(list)) {
            const PetalValue a = m_r->Open(list.depth);
            if (a.kind == PetalKind::Object && a.text == "Attribute")
                out.push_back(ReadProperty(a));
            else
                m_r->Skip(a);
        }
    }

    ToolProperty ReadProperty(const PetalValue& a)
    {
        const Scope scope(*m_r);
        ToolProperty p;
        bool list = false;
        const Frame& f = Fields(a, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (key != K("value") || v.kind != PetalKind::List || !frame.First(key))
                return false;
            list = true;
            ReadProperties(v, p.items);
            return true;
        });
        p.tool = TextOf(f, K("tool"));
        p.name = TextOf(f, K("name"));
        if (list)
            p.type = W("List");
        else if (const FieldValue* v = f.Get(K("value")))
            ReadValue(*v, p);
        return p;
    }

    void ReadValue(const FieldValue& v, ToolProperty& p) const
    {
        switch (v.kind) {
        case PetalKind::String:
            p.type = W("String");
            p.value = W(v.text);
            break;
        case PetalKind::Text:
            p.type = W("Text");
            p.value = W(v.text);
            break;
        case PetalKind::Number:
            p.type = W(v.text.find_first_of(".eE") == std::string::npos ? "Integer" : "Float");
            p.value = W(v.text);
            break;
        case PetalKind::Identifier:
            if (EqualsNoCase(v.text, "TRUE") || EqualsNoCase(v.text, "FALSE")) {
                p.type = W("Boolean");
                p.value = W(EqualsNoCase(v.text, "TRUE") ? "TRUE" : "FALSE");
            } else {
                p.type = W("String");
                p.value = W(v.text);
            }
            break;
        case PetalKind::ValueTuple:
            p.type = W(v.text == "Text" ? "Text" : "String");
            p.value = v.tupleText;
            break;
        case PetalKind::Tuple:
            if (v.enumPair) {
                p.type = W("Enumeration");
                p.enumSet = W(v.enumSet);
                p.value = W(v.enumNumber); // the entry's name once the set is known
            } else {
                p.type = W("String");
                p.value = v.tupleText;
            }
            break;
        default:
            break;
        }
    }

    // Splits the "default__<Kind>" sets from plain properties.
    void ReadPropertySets(const PetalValue& list, DefaultPropertySets& sets, std::vector<ToolProperty>* plain)
    {
        if (list.kind != PetalKind::List) {
            m_r->Skip(list);
            return;
        }
        while (m_r->NextItem(list)) {
            const PetalValue a = m_r->Open(list.depth);
            if (a.kind == PetalKind::Object && a.text == "Attribute")
                ReadPropertySet(a, sets, plain);
            else
                m_r->Skip(a);
        }
    }

    void ReadPropertySet(const PetalValue& a, DefaultPropertySets& sets, std::vector<ToolProperty>* plain)
    {
        ToolProperty p = ReadProperty(a);
        static const std::wstring prefix = L"default__";
        if (p.type == L"List" && p.name.StartsWith(prefix)) {
            MergePropertySet(sets[p.tool.str()][p.name.str().substr(prefix.size())], std::move(p.items));
        } else if (plain) {
            plain->push_back(std::move(p));
        }
    }

    // "(object Properties attributes (list Attribute_Set ...))": its first attribute list.
    void ReadPropertiesObject(const PetalValue& object, DefaultPropertySets& sets, std::vector<ToolProperty>* plain)
    {
        const Scope scope(*m_r);
        Fields(object, [&](uint32_t key, const PetalValue& v, Frame& f) {
            if (key != K("attributes") || !f.First(key))
                return false;
            ReadPropertySets(v, sets, plain);
            return true;
        });
    }

    // An element begins: made in file order, named, and its id indexed before its first
    // child's (or at its end); the index is filled in that order once every file is read.
    template <class T, class... Args> T* Begin(const PetalValue& object, Element* owner, Args&&... args)
    {
        FlushIndex();
        T* e = m_model.Create<T>(owner, std::forward<Args>(args)...);
        const std::span<const std::string_view> names = m_r->Names(object);
        // Rose writes "$UNNAMED$<n>" for elements the user left without a name.
        if (!names.empty() && names[0].compare(0, 9, "$UNNAMED$") != 0)
            e->name = W(names[0]);
        e->line = object.line;
        e->textBegin = static_cast<uint32_t>(object.offset);
        if (m_r != m_main) {
            // One shared text per unit file.
            if (m_unitFileName != m_r->FileName()) {
                m_unitFileName = m_r->FileName();
                m_unitFileText = ModelText(m_unitFileName);
            }
            e->unitFile = m_unitFileText;
        }
        m_open.push_back({e, false});
        return e;
    }

    void FlushIndex()
    {
        for (OpenElement& o : m_open)
            if (!o.indexed && !o.element->quid.empty()) {
                m_toIndex.emplace_back(o.element, o.element->quid.Hash());
                o.indexed = true;
            }
    }

    void End(Element* e)
    {
        e->textEnd = static_cast<uint32_t>(m_r->LastClose());
        if (!m_open.back().indexed && !e->quid.empty())
            m_toIndex.emplace_back(e, e->quid.Hash());
        m_open.pop_back();
    }

    // Name, quid, documentation, stereotype and tool properties: the first id that is not
    // empty, the last documentation and stereotype, every list of properties.
    bool Common(Element& e, uint32_t key, const PetalValue& v)
    {
        switch (key) {
        case K("quid"):
            if (!e.quid.empty())
                m_r->Skip(v);
            else if (IsTuple(v.kind))
                e.quid = TupleText(v, nullptr);
            else {
                m_r->Skip(v);
                e.quid = Unique(v.text);
            }
            return true;
        case K("documentation"):
            e.documentation = TakeText(v);
            return true;
        case K("stereotype"):
            m_r->Skip(v);
            if (v.kind == PetalKind::String)
                e.stereotype = W(v.text);
            return true;
        case K("attributes"):
            ReadProperties(v, e.properties);
            return true;
        default:
            return false;
        }
    }

    // Calls f(object) for every object of `type` in a list; skips anything else.
    template <class F> void ForEachObject(const PetalValue& list, std::string_view type, F&& f)
    {
        if (list.kind != PetalKind::List) {
            m_r->Skip(list);
            return;
        }
        while (m_r->NextItem(list)) {
            const PetalValue item = m_r->Open(list.depth);
            if (item.kind == PetalKind::Object && item.text == type)
                f(item);
            else
                m_r->Skip(item);
        }
    }

    void BuildDesign(const PetalValue& design)
    {
        m_open.push_back({&m_model, false});
        std::vector<ToolProperty> plain; // properties of the Properties object that are no default set
        Fields(design, [&](uint32_t key, const PetalValue& v, Frame& f) {
            if (key == K("quid") && f.First(key)) {
                m_r->Skip(v);
                m_model.quid = Unique(v.text);
            } else if (key == K("documentation") && f.First(key)) {
                m_model.documentation = TakeText(v);
            } else if (key == K("attributes") && f.First(key)) {
                ReadProperties(v, m_model.properties);
            } else if (v.kind != PetalKind::Object) {
                return false;
            } else if (key == K("root_category") && v.text == "Class_Category" && !m_model.rootCategory) {
                m_model.rootCategory = BuildCategory(v, nullptr, &m_model);
                if (m_model.rootCategory)
                    m_model.rootCategory->isRoot = true;
            } else if (key == K("root_usecase_package") && v.text == "Class_Category" && !m_model.useCaseCategory) {
                m_model.useCaseCategory = BuildCategory(v, nullptr, &m_model);
            } else if (key == K("root_subsystem") && v.text == "SubSystem" && !m_model.rootSubsystem) {
                m_model.rootSubsystem = BuildSubsystem(v, nullptr, &m_model);
                if (m_model.rootSubsystem)
                    m_model.rootSubsystem->isRoot = true;
            } else if (key == K("properties") && v.text == "Properties") {
                ReadPropertiesObject(v, m_model.defaults, &plain);
            } else {
                return false;
            }
            return true;
        });
        End(&m_model);
        m_model.properties.insert(m_model.properties.end(), std::make_move_iterator(plain.begin()),
                                  std::make_move_iterator(plain.end()));
    }

    bool IsUnloadedUnit(const Frame& f) const
    {
        const FieldValue* loaded = f.Get(K("is_loaded"));
        return m_options.loadUnits && IsTrue(f, K("is_unit")) && loaded && loaded->kind == PetalKind::Identifier &&
               EqualsNoCase(loaded->text, "FALSE");
    }

    // A package that stands for a controlled unit not loaded: the element made for it goes
    // again (it has no children) and the unit's own file is read in its place.
    template <class T> T* FromUnit(std::vector<T*>& all, const PetalValue& object, const Frame& f,
                                   T* (Builder::*build)(const PetalValue&, T*, Element*), T* parent, Element* owner)
    {
        m_open.pop_back();
        m_model.elements.pop_back();
        all.pop_back();
        const std::span<const std::string_view> names = m_r->Names(object);
        const ModelText stubName = names.empty() ? ModelText() : W(names[0]);
        const ModelText fileName = TextOf(f, K("file_name"));
        T* unit = nullptr;
        if (m_pending)
            return nullptr; // the load fails already: no more unit files are read
        const size_t open = m_open.size();
        try {
            unit = LoadUnit(object, f, stubName, [&](const PetalValue& root) { return (this->*build)(root, parent, owner); });
        } catch (const RoseLoadError& e) {
            m_pending = std::make_unique<RoseLoadError>(e);
            m_open.resize(open); // the unit's elements left open where it failed
            return nullptr;
        }
        if (unit->name.empty())
            unit->name = stubName;
        unit->fileName = fileName;
        return unit;
    }

    // Reads a unit file and builds its object of the stub's type. A unit's errors are the
    // errors of the file that names it once that file is read to its end: an error of the
    // text itself comes first, as it would if the file were read before it was built.
    template <class Build> auto LoadUnit(const PetalValue& stub, const Frame& f, const ModelText& stubName, Build&& build)
    {
        const FieldValue* fn = f.Get(K("file_name"));
        if (!fn || fn->kind != PetalKind::String)
            throw RoseLoadError(m_r->FileName(), stub.line, stub.column,
                                L"the unit \"" + stubName.str() + L"\" is not loaded and names no file");
        std::wstring path = ExpandVirtualPath(W(fn->text), m_options.pathMap, m_r->FileName(), fn->line, fn->column);
        if (!IsAbsolutePath(path))
            path = DirectoryOf(m_r->FileName()) + path;
        for (const std::wstring& open : m_unitChain)
            if (EqualsNoCase(open, path))
                throw RoseLoadError(m_r->FileName(), fn->line, fn->column, L"the unit file \"" + path + L"\" includes itself");
        if (m_unitChain.size() > 64)
            throw RoseLoadError(m_r->FileName(), fn->line, fn->column, L"unit files nested too deeply");
        FileText text;
        if (!ReadWholeFile(path, text))
            throw RoseLoadError(m_r->FileName(), fn->line, fn->column, L"cannot read the unit file \"" + path + L"\"");
        if (m_options.onDocument)
            m_options.onDocument(Parse(text, path));
        const std::string_view type = stub.text;
        PetalReader reader = Reader(text, path);
        // The file that names the unit is read on when the unit is done.
        struct Outer {
            Builder& b;
            PetalReader* reader;
            size_t frameBase;
            std::unique_ptr<RoseLoadError> pending;
            ~Outer()
            {
                b.m_r = reader;
                b.m_frameBase = frameBase;
                b.m_pending = std::move(pending);
                b.m_unitChain.pop_back();
            }
        } outer{*this, m_r, m_frameBase, std::move(m_pending)};
        m_frameBase += stub.depth;
        m_r = &reader;
        m_unitChain.push_back(path);
        decltype(build(stub)) root = nullptr;
        while (reader.NextRoot()) {
            const PetalValue v = reader.Open(0);
            const Scope scope(reader);
            if (!root && v.kind == PetalKind::Object && v.text == type)
                root = build(v);
            else
                reader.Skip(v);
        }
        if (!root && !m_pending)
            throw RoseLoadError(path, 1, 1, L"the unit file holds no \"(object " + std::wstring(type.begin(), type.end()) + L"\"");
        if (m_pending) {
            const RoseLoadError error = *m_pending;
            throw error;
        }
        return root;
    }

    // Something else in a package (a use case, a note ...): only its id is kept, to tell
    // what a reference to it names.
    void OtherKind(const PetalValue& object)
    {
        const Scope scope(*m_r);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) {
            if (key == K("quid"))
                return false;
            m_r->Skip(v);
            return true;
        });
        if (std::wstring quid = TextOf(f, K("quid")); !quid.empty())
            m_otherKinds.emplace(quid, W(object.text));
    }

    Category* BuildCategory(const PetalValue& object, Category* parent, Element* owner)
    {
        const Scope scope(*m_r);
        Category* c = Begin<Category>(object, owner);
        c->parent = parent;
        m_model.allCategories.push_back(c);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (Common(*c, key, v))
                return true;
            if (key != K("logical_models") || !frame.First(key))
                return false;
            if (v.kind != PetalKind::List || IsUnloadedUnit(frame)) {
                m_r->Skip(v);
                return true;
            }
            while (m_r->NextItem(v)) {
                const PetalValue item = m_r->Open(v.depth);
                if (item.kind != PetalKind::Object)
                    m_r->Skip(item);
                else if (item.text == "Class_Category") {
                    if (Category* sub = BuildCategory(item, c, c))
                        c->categories.push_back(sub);
                } else if (IsClassType(item.text))
                    c->classes.push_back(BuildClass(item, c, nullptr));
                else if (item.text == "Association")
                    c->associations.push_back(BuildAssociation(item, c));
                else
                    OtherKind(item);
            }
            return true;
        });
        if (IsUnloadedUnit(f) && m_model.elements.back().get() == c)
            return FromUnit(m_model.allCategories, object, f, &Builder::BuildCategory, parent, owner);
        c->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
        c->global = IsTrue(f, K("global"));
        c->fileName = TextOf(f, K("file_name"));
        End(c);
        return c;
    }

    // The relations a class lists: its field, their object type and kind, and its list.
    struct RelationList {
        uint32_t key;
        std::string_view type;
        ElementKind kind;
        std::vector<Relation*> Class::*member;
    };
    static constexpr RelationList kRelationLists[] = {
        {K("superclasses"), "Inheritance_Relationship", ElementKind::InheritRelation, &Class::superclasses},
        {K("used_nodes"), "Uses_Relationship", ElementKind::ClassDependency, &Class::dependencies},
        {K("realized_interfaces"), "Realize_Relationship", ElementKind::RealizeRelation, &Class::realizations},
        {K("fields"), "Has_Relationship", ElementKind::HasRelationship, &Class::hasRelations},
    };

    Class* BuildClass(const PetalValue& object, Category* cat, Class* outer)
    {
        const Scope scope(*m_r);
        Class* c = Begin<Class>(object, outer ? static_cast<Element*>(outer) : static_cast<Element*>(cat));
        c->objectType = W(object.text);
        c->parentCategory = cat;
        c->parentClass = outer;
        m_model.allClasses.push_back(c);
        ModelText pendingModuleName;
        bool pendingModule = false;
        Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) {
            // "module" names a component; the "quidu" right after it is its id.
            const bool afterModule = std::exchange(pendingModule, false);
            if (Common(*c, key, v))
                return true;
            switch (key) {
            case K("exportControl"):
                m_r->Skip(v);
                c->exportControl = ParseExportControl(v.text, c->exportControl);
                break;
            case K("abstract"):
                m_r->Skip(v);
                c->isAbstract = IsTrue(v.kind, v.text);
                break;
            case K("language"):
                c->language = TakeText(v);
                break;
            case K("class_attributes"):
                ForEachObject(v, "ClassAttribute", [&](const PetalValue& a) { c->attributes.push_back(BuildAttribute(a, c)); });
                break;
            case K("operations"):
                ForEachObject(v, "Operation", [&](const PetalValue& o) { c->operations.push_back(BuildOperation(o, c)); });
                break;
            case K("parameters"):
                ForEachObject(v, "Parameter", [&](const PetalValue& p) { c->parameters.push_back(BuildParameter(p, c, c->parameters.size())); });
                break;
            case K("superclasses"):
            case K("used_nodes"):
            case K("realized_interfaces"):
            case K("fields"):
                for (const RelationList& list : kRelationLists)
                    if (list.key == key)
                        ForEachObject(v, list.type, [&](const PetalValue& r) {
                            (c->*list.member).push_back(BuildRelation(r, list.kind, c));
                        });
                break;
            case K("nestedClasses"):
                if (v.kind != PetalKind::List) {
                    m_r->Skip(v);
                    break;
                }
                while (m_r->NextItem(v)) {
                    const PetalValue nested = m_r->Open(v.depth);
                    if (nested.kind == PetalKind::Object && IsClassType(nested.text))
                        c->nestedClasses.push_back(BuildClass(nested, cat, c));
                    else
                        m_r->Skip(nested);
                }
                break;
            case K("module"):
                pendingModuleName = TakeText(v);
                pendingModule = true;
                break;
            case K("quidu"):
                if (afterModule)
                    m_classModules.push_back({c, TakeText(v), pendingModuleName});
                else
                    m_r->Skip(v);
                break;
            default:
                m_r->Skip(v);
                break;
            }
            return true;
        });
        End(c);
        return c;
    }

    Attribute* BuildAttribute(const PetalValue& object, Class* cls)
    {
        const Scope scope(*m_r);
        Attribute* a = Begin<Attribute>(object, cls);
        a->parentClass = cls;
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*a, key, v); });
        a->type = TextOf(f, K("type"));
        a->initValue = TextOf(f, K("initv"));
        a->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PrivateAccess);
        a->isStatic = IsTrue(f, K("static"));
        a->isDerived = IsTrue(f, K("derived"));
        a->containment = ParseContainment(FieldBytes(f, K("Containment")));
        End(a);
        return a;
    }

    Operation* BuildOperation(const PetalValue& object, Class* cls)
    {
        const Scope scope(*m_r);
        Operation* o = Begin<Operation>(object, cls);
        o->parentClass = cls;
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (Common(*o, key, v))
                return true;
            if (key != K("parameters") || !frame.First(key))
                return false;
            ForEachObject(v, "Parameter", [&](const PetalValue& p) { o->parameters.push_back(BuildParameter(p, o, o->parameters.size())); });
            return true;
        });
        o->returnType = TextOf(f, K("result"));
        std::string_view ec = FieldBytes(f, K("opExportControl"));
        if (ec.empty())
            ec = FieldBytes(f, K("exportControl"));
        o->exportControl = ParseExportControl(ec, PublicAccess);
        o->concurrency = TextOf(f, K("concurrency"));
        o->isAbstract = IsTrue(f, K("abstract"));
        o->isStatic = IsTrue(f, K("static"));
        End(o);
        return o;
    }

    Parameter* BuildParameter(const PetalValue& object, Element* owner, size_t index)
    {
        const Scope scope(*m_r);
        Parameter* p = Begin<Parameter>(object, owner);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*p, key, v); });
        p->type = TextOf(f, K("type"));
        p->initValue = TextOf(f, K("initv"));
        p->isConst = IsTrue(f, K("const"));
        // Parameters have no id in the file: derive one from the owner's and the position.
        if (p->quid.empty()) {
            const std::string_view owned = owner->quid.Ascii();
            if (!owned.empty() || owner->quid.empty())
                p->quid = ModelText::FromAscii(std::string(owned) + "-P" + std::to_string(index + 1));
            else
                p->quid = owner->quid + L"-P" + std::to_wstring(index + 1);
        }
        End(p);
        return p;
    }

    Relation* BuildRelation(const PetalValue& object, ElementKind kind, Element* client)
    {
        const Scope scope(*m_r);
        Relation* r = Begin<Relation>(object, client, kind);
        r->client = client;
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*r, key, v); });
        r->supplierName = TextOf(f, K("supplier"));
        r->supplierQuid = TextOf(f, K("quidu"));
        r->clientCardinality = TextOf(f, K("client_cardinality"));
        r->supplierCardinality = TextOf(f, K("supplier_cardinality"));
        r->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
        r->containment = ParseContainment(FieldBytes(f, K("Containment")));
        r->isStatic = IsTrue(f, K("static"));
        r->isFriend = IsTrue(f, K("friend")) || IsTrue(f, K("is_friend"));
        r->supplierIsSpec = IsTrue(f, K("supplier_is_spec"));
        End(r);
        m_relations.push_back(r);
        m_relationPlaces.push_back({m_r->FileName(), object.line});
        return r;
    }

    Association* BuildAssociation(const PetalValue& object, Category* cat)
    {
        const Scope scope(*m_r);
        Association* a = Begin<Association>(object, cat);
        a->parentCategory = cat;
        m_model.allAssociations.push_back(a);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (Common(*a, key, v))
                return true;
            if (key != K("roles") || !frame.First(key))
                return false;
            ForEachObject(v, "Role", [&](const PetalValue& rn) {
                Role* r = BuildRole(rn, a);
                if (!a->role1)
                    a->role1 = r;
                else if (!a->role2)
                    a->role2 = r;
            });
            return true;
        });
        a->isDerived = IsTrue(f, K("derived"));
        End(a);
        return a;
    }

    Role* BuildRole(const PetalValue& object, Association* assoc)
    {
        const Scope scope(*m_r);
        Role* r = Begin<Role>(object, assoc);
        r->association = assoc;
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame&) { return Common(*r, key, v); });
        // The role name the user gave is the label; the object's own name is internal.
        if (const FieldValue* label = f.Get(K("label")); label && label->kind == PetalKind::String)
            r->name = W(label->text);
        r->supplierName = TextOf(f, K("supplier"));
        r->supplierQuid = TextOf(f, K("quidu"));
        r->cardinality = TextOf(f, K("client_cardinality"));
        if (r->cardinality.empty())
            r->cardinality = TextOf(f, K("supplier_cardinality"));
        r->constraints = TextOf(f, K("Constraints"));
        if (r->constraints.empty())
            r->constraints = TextOf(f, K("constraints"));
        r->isNavigable = IsTrue(f, K("is_navigable"));
        r->isAggregate = IsTrue(f, K("is_aggregate"));
        r->isStatic = IsTrue(f, K("static"));
        r->isFriend = IsTrue(f, K("friend")) || IsTrue(f, K("is_friend"));
        r->exportControl = ParseExportControl(FieldBytes(f, K("exportControl")), PublicAccess);
        r->containment = ParseContainment(FieldBytes(f, K("Containment")));
        End(r);
        m_roles.push_back(r);
        m_rolePlaces.push_back({m_r->FileName(), object.line});
        return r;
    }

    Subsystem* BuildSubsystem(const PetalValue& object, Subsystem* parent, Element* owner)
    {
        const Scope scope(*m_r);
        Subsystem* s = Begin<Subsystem>(object, owner);
        s->parent = parent;
        m_model.allSubsystems.push_back(s);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (Common(*s, key, v))
                return true;
            if (key != K("physical_models") || !frame.First(key))
                return false;
            if (v.kind != PetalKind::List || IsUnloadedUnit(frame)) {
                m_r->Skip(v);
                return true;
            }
            while (m_r->NextItem(v)) {
                const PetalValue item = m_r->Open(v.depth);
                if (item.kind == PetalKind::Object && item.text == "SubSystem") {
                    if (Subsystem* sub = BuildSubsystem(item, s, s))
                        s->subsystems.push_back(sub);
                } else if (item.kind == PetalKind::Object && item.text == "module") {
                    s->modules.push_back(BuildModule(item, s));
                } else {
                    m_r->Skip(item);
                }
            }
            return true;
        });
        if (IsUnloadedUnit(f) && m_model.elements.back().get() == s)
            return FromUnit(m_model.allSubsystems, object, f, &Builder::BuildSubsystem, parent, owner);
        s->path = TextOf(f, K("path"));
        s->fileName = TextOf(f, K("file_name"));
        End(s);
        return s;
    }

    Module* BuildModule(const PetalValue& object, Subsystem* parent)
    {
        const Scope scope(*m_r);
        Module* m = Begin<Module>(object, parent);
        m->parentSubsystem = parent;
        m_model.allModules.push_back(m);
        const std::span<const std::string_view> names = m_r->Names(object);
        if (names.size() > 1)
            m->type = W(names[1]);
        if (names.size() > 2)
            m->part = W(names[2]);
        const Frame& f = Fields(object, [&](uint32_t key, const PetalValue& v, Frame& frame) {
            if (Common(*m, key, v))
                return true;
            if (key != K("visible_modules") || !frame.First(key))
                return false;
            if (v.kind != PetalKind::List) {
                m_r->Skip(v);
                return true;
            }
            while (m_r->NextItem(v)) {
                const PetalValue d = m_r->Open(v.depth);
                if (d.kind == PetalKind::Object &&
                    (d.text == "Dependency_Relationship" || d.text == "Module_Visibility_Relationship"))
                    m->dependencies.push_back(BuildRelation(d, ElementKind::ModuleVisibilityRelationship, m));
                else
                    m_r->Skip(d);
            }
            return true;
        });
        m->language = TextOf(f, K("language"));
        m->path = TextOf(f, K("path"));
        End(m);
        return m;
    }

    // Links by unique id, once every element is known.
    void Resolve()
    {
        std::unordered_map<std::wstring, Class*> byName;
        auto classByName = [&](const std::wstring& name) -> Class* {
            if (byName.empty()) {
                for (Class* c : m_model.allClasses) {
                    std::wstring full = c->name;
                    for (const Element* o = c->owner; o && o->kind != ElementKind::Model; o = o->owner)
                        full = o->name + L"::" + full;
                    byName.emplace(std::move(full), c);
                }
            }
            auto it = byName.find(name);
            return it == byName.end() ? nullptr : it->second;
        };

        for (size_t i = 0; i < m_relations.size(); ++i) {
            Relation* r = m_relations[i];
            Element* s = r->supplierQuid.empty() ? nullptr : m_model.FindByQuid(r->supplierQuid);
            if (r->kind != ElementKind::ModuleVisibilityRelationship) {
                if (s && s->kind != ElementKind::Class)
                    s = nullptr;
                if (!s && !r->supplierName.empty())
                    s = classByName(r->supplierName);
                if (!s && !r->supplierName.empty())
                    s = External(r->supplierName, r->supplierQuid, r->kind, r->client, m_relationPlaces[i]);
            }
            r->supplier = s;
        }
        for (size_t i = 0; i < m_roles.size(); ++i) {
            Role* r = m_roles[i];
            Element* s = r->supplierQuid.empty() ? nullptr : m_model.FindByQuid(r->supplierQuid);
            Class* c = s && s->kind == ElementKind::Class ? static_cast<Class*>(s) : nullptr;
            if (!c && !r->supplierName.empty())
                c = classByName(r->supplierName);
            if (!c && !r->supplierName.empty())
                c = External(r->supplierName, r->supplierQuid, ElementKind::Role, r->association, m_rolePlaces[i]);
            r->cls = c;
            if (c)
                c->roles.push_back(r);
        }
        std::set<std::pair<const Class*, const Module*>> assigned;
        for (const ClassModule& cm : m_classModules) {
            Element* e = m_model.FindByQuid(cm.moduleQuid);
            if (!e || e->kind != ElementKind::Module)
                continue;
            Module* m = static_cast<Module*>(e);
            if (assigned.insert({cm.cls, m}).second) {
                cm.cls->assignedModules.push_back(m);
                m->assignedClasses.push_back(cm.cls);
            }
        }
        ResolveEnumerations(m_model.defaults, &m_model);
    }

    // "(\"SetName\" 801)" values: the name of the set's entry with that number.
    static void ResolveEnumerations(DefaultPropertySets& sets, Model* model)
    {
        // tool -> set name -> entry value -> entry name (the first entry of a value wins)
        std::unordered_map<std::wstring, std::unordered_map<std::wstring, std::unordered_map<std::wstring, std::wstring>>> enums;
        for (auto& [tool, kinds] : sets)
            for (auto& [kind, props] : kinds)
                for (const ToolProperty& p : props)
                    if (p.type == L"List") {
                        auto& entries = enums[tool][p.name];
                        for (const ToolProperty& entry : p.items)
                            entries.emplace(entry.value, entry.name);
                    }
        if (enums.empty())
            return;
        auto fix = [&](ToolProperty& p) {
            if (p.type != L"Enumeration" || p.enumSet.empty())
                return;
            auto t = enums.find(p.tool);
            if (t == enums.end())
                return;
            auto s = t->second.find(p.enumSet);
            if (s == t->second.end())
                return;
            auto e = s->second.find(p.value);
            if (e != s->second.end())
                p.value = e->second;
        };
        for (auto& [tool, kinds] : sets)
            for (auto& [kind, props] : kinds)
                for (ToolProperty& p : props)
                    fix(p);
        if (model)
            for (auto& e : model->elements)
                for (ToolProperty& p : e->properties)
                    fix(p);
    }

    struct ClassModule {
        Class* cls;
        ModelText moduleQuid;
        ModelText moduleName;
    };

    Model& m_model;
    const LoadOptions& m_options;
    unsigned m_codePage;
    Decoder m_decode;
    // Short ASCII texts met so far, keyed by the bytes of their own block: type names,
    // property names and values, member names repeat thousands of times in a model.
    mutable SharedTexts m_texts;
    std::vector<std::wstring> m_unitChain;
    std::wstring m_unitFileName; // the unit file of the last element read from one, and its text
    ModelText m_unitFileText;
    struct Place {
        std::wstring file;
        unsigned line;
    };

    // The external class standing for a supplier the model does not hold: one per name as
    // written, so that every reference to the same name meets the same object.
    Class* External(const std::wstring& written, const std::wstring& quid, ElementKind kind, const Element* client,
                    const Place& place)
    {
        auto other = m_otherKinds.find(quid);
        m_model.unresolved.push_back(
            {written, kind, client, place.file, place.line, other == m_otherKinds.end() ? std::wstring() : other->second});
        Class*& c = m_external[written];
        if (!c) {
            c = m_model.Create<Class>(&m_model);
            size_t sep = written.rfind(L"::");
            c->name = sep == std::wstring::npos ? written : written.substr(sep + 2);
            // A stable id of its own: ids are compared when relations are walked.
            c->quid = L"external::" + written;
            c->objectType = L"Class";
            m_model.externalClasses.push_back(c);
        }
        return c;
    }

    std::vector<Relation*> m_relations;
    std::vector<Place> m_relationPlaces;  // parallel to m_relations
    std::vector<Role*> m_roles;
    std::vector<Place> m_rolePlaces;
    std::map<std::wstring, Class*> m_external;
    std::unordered_map<std::wstring, std::wstring> m_otherKinds; // quid -> object type of elements not loaded
    std::vector<ClassModule> m_classModules;

    PetalReader* m_r = nullptr;                 // the file being read
    PetalReader* m_main = nullptr;              // the model file
    std::vector<std::unique_ptr<Frame>> m_frames; // by depth; a unit's depths follow its stub's
    size_t m_frameBase = 0;
    struct OpenElement {
        Element* element;
        bool indexed;
    };
    std::vector<OpenElement> m_open;            // the elements being read, outermost first
    std::vector<std::pair<Element*, size_t>> m_toIndex; // by quid (and its hash), once the files are read
    std::unique_ptr<RoseLoadError> m_pending;   // the first unit that failed in the file being read
};

// Why a file cannot be read, in the words of the error the system gave.
std::wstring WhyUnreadable(const std::wstring& fileName)
{
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return L"is a folder";
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return L"no such file";
    case ERROR_ACCESS_DENIED: return L"cannot read the file: access is denied";
    default: return L"cannot read the file (system error " + std::to_wstring(error) + L")";
    }
}

FileText ReadModelFile(const std::wstring& fileName)
{
    FileText text;
    if (!ReadWholeFile(fileName, text))
        throw RoseLoadError(fileName, 0, 0, WhyUnreadable(fileName));
    return text;
}

} // namespace

std::wstring ExpandVirtualPath(const std::wstring& name, const std::map<std::wstring, std::wstring>& pathMap,
                               const std::wstring& file, unsigned line, unsigned column)
{
    if (name.empty() || name[0] != L'$')
        return name;
    const size_t end = name.find_first_of(L"\\/");
    const std::wstring symbol = name.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    const std::wstring rest = end == std::wstring::npos ? std::wstring() : name.substr(end);
    for (const auto& [key, folder] : pathMap) {
        std::wstring_view k = key;
        if (!k.empty() && k[0] == L'$')
            k.remove_prefix(1);
        if (EqualsNoCase(k, symbol)) {
            std::wstring dir = folder;
            while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/') && !rest.empty())
                dir.pop_back();
            return dir + rest;
        }
    }
    throw RoseLoadError(file, line, column, L"the virtual path symbol \"$" + symbol + L"\" is not in the path map");
}

// With a reader of the documents (diagrams) attached, each file is parsed into a document
// for it first, then read again for the model.
std::unique_ptr<Model> LoadRoseModelFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    if (options.onDocument)
        options.onDocument(builder.Parse(text, fileName));
    PetalReader reader = builder.Reader(text, fileName);
    builder.BuildModel(reader);
    return model;
}

std::unique_ptr<Model> LoadRoseModel(const std::wstring& fileName, const LoadOptions& options)
{
    const FileText text = ReadModelFile(fileName);
    return LoadRoseModelFromText(text, fileName, options);
}

DefaultPropertySets LoadPropertyFileFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    Model scratch;
    Builder builder(scratch, options);
    PetalReader reader = builder.Reader(text, fileName);
    DefaultPropertySets sets;
    builder.BuildPropertyFile(reader, sets);
    return sets;
}

DefaultPropertySets LoadPropertyFile(const std::wstring& fileName, const LoadOptions& options)
{
    const FileText text = ReadModelFile(fileName);
    return LoadPropertyFileFromText(text, fileName, options);
}

void MergePropertyFile(Model& model, const std::wstring& fileName, const LoadOptions& options)
{
    model.MergeDefaults(LoadPropertyFile(fileName, options));
}

} // namespace RoseHost
