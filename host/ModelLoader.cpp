#include "ModelLoader.h"

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
    // `hash` is the FNV-1a hash of the bytes.
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

// The parts of the tree the builder walks: ordered (key, node) fields of one object.
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

    void BuildModel(const PetalDocument& doc)
    {
        m_unitChain.push_back(doc.fileName);
        std::optional<PetalNode> design;
        for (PetalIndex r : doc.roots) {
            const PetalNode& n = doc[r];
            if (n.kind != PetalKind::Object)
                continue;
            if (n.text == "Petal") {
                if (auto v = doc.Field(n, K("version")))
                    m_model.petalVersion = ToInt(v->text);
                if (auto c = doc.Field(n, K("charSet")))
                    m_model.charSet = ToInt(c->text);
            } else if (n.text == "Design" && !design) {
                design = n;
            }
        }
        if (!design) {
            unsigned line = 1, column = 1;
            if (!doc.roots.empty()) {
                line = doc[doc.roots.front()].line;
                column = doc[doc.roots.front()].column;
            }
            throw RoseLoadError(doc.fileName, line, column, L"the file holds no model: \"(object Design\" is missing");
        }
        m_model.fileName = doc.fileName;
        m_model.name = FileStem(doc.fileName);
        if (auto q = doc.Field(*design, K("quid")))
            m_model.quid = Unique(q->text);
        m_model.IndexQuid(&m_model);
        if (auto d = doc.Field(*design, K("documentation")))
            m_model.documentation = TextOf(doc, *d);
        if (auto a = doc.Field(*design, K("attributes")))
            ReadProperties(doc, *a, m_model.properties);

        for (size_t i = 0; i < design->keys.size(); ++i) {
            const uint32_t key = design->keys.Id(i);
            const PetalNode& v = doc[design->children[i]];
            if (v.kind != PetalKind::Object)
                continue;
            if (key == K("root_category") && v.text == "Class_Category" && !m_model.rootCategory) {
                m_model.rootCategory = BuildCategory(doc, v, nullptr, &m_model);
                m_model.rootCategory->isRoot = true;
            } else if (key == K("root_usecase_package") && v.text == "Class_Category" && !m_model.useCaseCategory) {
                m_model.useCaseCategory = BuildCategory(doc, v, nullptr, &m_model);
            } else if (key == K("root_subsystem") && v.text == "SubSystem" && !m_model.rootSubsystem) {
                m_model.rootSubsystem = BuildSubsystem(doc, v, nullptr, &m_model);
                m_model.rootSubsystem->isRoot = true;
            } else if (key == K("properties") && v.text == "Properties") {
                if (auto a = doc.Field(v, K("attributes")))
                    ReadPropertySets(doc, *a, m_model.defaults, &m_model.properties);
            }
        }
        m_unitChain.pop_back();
        Resolve();
    }

    void BuildPropertyFile(const PetalDocument& doc, DefaultPropertySets& sets)
    {
        for (PetalIndex r : doc.roots) {
            const PetalNode& n = doc[r];
            if (n.kind == PetalKind::List) {
                ReadPropertySets(doc, n, sets, nullptr);
            } else if (n.kind == PetalKind::Object && n.text == "Attribute") {
                ReadPropertySet(doc, n, sets, nullptr);
            } else if (n.kind == PetalKind::Object && n.text == "Properties") {
                if (auto a = doc.Field(n, K("attributes")))
                    ReadPropertySets(doc, *a, sets, nullptr);
            }
        }
        ResolveEnumerations(sets, nullptr);
    }

private:
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
        // One pass: the hash, and whether every byte is ASCII.
        uint32_t h = 2166136261u;
        unsigned char high = 0;
        for (char c : s) {
            high |= static_cast<unsigned char>(c);
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        }
        if (high & 0x80)
            return ModelText(m_decode(s));
        return m_texts.Get(s, h);
    }
    // A unique id: not worth keeping for sharing.
    ModelText Unique(std::string_view s) const
    {
        return IsAscii(s) ? ModelText::FromAscii(s) : ModelText(m_decode(s));
    }
    static constexpr size_t kSharedTextSize = 48;

    static bool IsTrue(const PetalNode& n)
    {
        return n.kind == PetalKind::Identifier && EqualsNoCase(n.text, "TRUE");
    }
    static bool IsTrue(const PetalField& f) { return f && IsTrue(*f); }

    // Text of a scalar, of a "(value Text ...)" / "(value cardinality ...)" form, or of
    // an enumerated "(name number)" pair (its number).
    ModelText TextOf(const PetalDocument& doc, const PetalNode& n) const
    {
        switch (n.kind) {
        case PetalKind::String:
        case PetalKind::Text:
        case PetalKind::Number:
        case PetalKind::Identifier:
            return W(n.text);
        case PetalKind::ValueTuple:
        case PetalKind::Tuple: {
            if (n.children.size() == 1 && doc[n.children[0]].kind != PetalKind::Object &&
                doc[n.children[0]].kind != PetalKind::List)
                return TextOf(doc, doc[n.children[0]]);
            return ModelText(WideTextOf(doc, n));
        }
        default:
            return ModelText();
        }
    }

    std::wstring WideTextOf(const PetalDocument& doc, const PetalNode& n) const
    {
        if (n.kind != PetalKind::ValueTuple && n.kind != PetalKind::Tuple)
            return TextOf(doc, n);
        std::wstring out;
        for (PetalIndex c : n.children) {
            const PetalNode& item = doc[c];
            if (item.kind == PetalKind::Object || item.kind == PetalKind::List)
                continue;
            if (!out.empty() && n.kind == PetalKind::Tuple)
                out += L' ';
            out += WideTextOf(doc, item);
        }
        return out;
    }

    ModelText FieldText(const PetalDocument& doc, const PetalNode& obj, uint32_t key) const
    {
        const PetalField f = doc.Field(obj, key);
        return f ? TextOf(doc, *f) : ModelText();
    }

    // Reads "(list Attribute_Set (object Attribute tool .. name .. value ..) ...)".
    void ReadProperties(const PetalDocument& doc, const PetalNode& list, std::vector<ToolProperty>& out) const
    {
        if (list.kind != PetalKind::List)
            return;
        out.reserve(out.size() + list.children.size());
        for (PetalIndex c : list.children) {
            const PetalNode& a = doc[c];
            if (a.kind != PetalKind::Object || a.text != "Attribute")
                continue;
            ToolProperty p;
            p.tool = FieldText(doc, a, K("tool"));
            p.name = FieldText(doc, a, K("name"));
            if (auto v = doc.Field(a, K("value")))
                ReadValue(doc, *v, p);
            out.push_back(std::move(p));
        }
    }

    void ReadValue(const PetalDocument& doc, const PetalNode& v, ToolProperty& p) const
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
            p.value = TextOf(doc, v);
            break;
        case PetalKind::Tuple:
            if (v.children.size() == 2 && doc[v.children[0]].kind == PetalKind::String &&
                doc[v.children[1]].kind == PetalKind::Number) {
                p.type = W("Enumeration");
                p.enumSet = W(doc[v.children[0]].text);
                p.value = W(doc[v.children[1]].text); // the entry's name once the set is known
            } else {
                p.type = W("String");
                p.value = TextOf(doc, v);
            }
            break;
        case PetalKind::List:
            p.type = W("List");
            ReadProperties(doc, v, p.items);
            break;
        default:
            break;
        }
    }

    // Splits the "default__<Kind>" sets from plain properties.
    void ReadPropertySets(const PetalDocument& doc, const PetalNode& list, DefaultPropertySets& sets,
                          std::vector<ToolProperty>* plain) const
    {
        if (list.kind != PetalKind::List)
            return;
        for (PetalIndex c : list.children) {
            const PetalNode& a = doc[c];
            if (a.kind == PetalKind::Object && a.text == "Attribute")
                ReadPropertySet(doc, a, sets, plain);
        }
    }

    void ReadPropertySet(const PetalDocument& doc, const PetalNode& a, DefaultPropertySets& sets,
                         std::vector<ToolProperty>* plain) const
    {
        ToolProperty p;
        p.tool = FieldText(doc, a, K("tool"));
        p.name = FieldText(doc, a, K("name"));
        if (auto v = doc.Field(a, K("value")))
            ReadValue(doc, *v, p);
        static const std::wstring prefix = L"default__";
        if (p.type == L"List" && p.name.StartsWith(prefix)) {
            MergePropertySet(sets[p.tool.str()][p.name.str().substr(prefix.size())], std::move(p.items));
        } else if (plain) {
            plain->push_back(std::move(p));
        }
    }

    // Name, quid, documentation, stereotype and tool properties.
    void ReadCommon(const PetalDocument& doc, const PetalNode& n, Element& e)
    {
        // Rose writes "$UNNAMED$<n>" for elements the user left without a name.
        if (!n.names.empty() && n.names[0].compare(0, 9, "$UNNAMED$") != 0)
            e.name = W(n.names[0]);
        e.line = n.line;
        if (doc.fileName != m_model.fileName) {
            // One shared text per unit file.
            if (m_unitFileName != doc.fileName) {
                m_unitFileName = doc.fileName;
                m_unitFileText = ModelText(doc.fileName);
            }
            e.unitFile = m_unitFileText;
        }
        for (size_t i = 0; i < n.keys.size(); ++i) {
            const uint32_t key = n.keys.Id(i);
            // Most fields are someone else's: their node is not looked at.
            if (key != K("quid") && key != K("documentation") && key != K("stereotype") && key != K("attributes"))
                continue;
            const PetalNode v = doc[n.children[i]];
            if (key == K("quid") && e.quid.empty())
                e.quid = v.kind == PetalKind::Tuple || v.kind == PetalKind::ValueTuple ? TextOf(doc, v) : Unique(v.text);
            else if (key == K("documentation"))
                e.documentation = TextOf(doc, v);
            else if (key == K("stereotype") && v.kind == PetalKind::String)
                e.stereotype = W(v.text);
            else if (key == K("attributes"))
                ReadProperties(doc, v, e.properties);
        }
        m_model.IndexQuid(&e);
    }

    // A controlled unit that the file names but does not hold: read its own file.
    struct Unit {
        std::unique_ptr<PetalDocument> doc;
        std::optional<PetalNode> root;
    };

    Unit LoadUnit(const PetalDocument& doc, const PetalNode& stub)
    {
        const PetalField fn = doc.Field(stub, K("file_name"));
        if (!fn || fn->kind != PetalKind::String)
            throw RoseLoadError(doc.fileName, stub.line, stub.column, L"the unit \"" + (stub.names.empty() ? std::wstring() : W(stub.names[0]).str()) +
                                                                          L"\" is not loaded and names no file");
        std::wstring path = ExpandVirtualPath(W(fn->text), m_options.pathMap, doc.fileName, fn->line, fn->column);
        if (!IsAbsolutePath(path))
            path = DirectoryOf(doc.fileName) + path;
        for (const std::wstring& open : m_unitChain)
            if (EqualsNoCase(open, path))
                throw RoseLoadError(doc.fileName, fn->line, fn->column, L"the unit file \"" + path + L"\" includes itself");
        if (m_unitChain.size() > 64)
            throw RoseLoadError(doc.fileName, fn->line, fn->column, L"unit files nested too deeply");
        FileText text;
        if (!ReadWholeFile(path, text))
            throw RoseLoadError(doc.fileName, fn->line, fn->column, L"cannot read the unit file \"" + path + L"\"");
        Unit unit;
        unit.doc = std::make_unique<PetalDocument>(Parse(text, path));
        if (m_options.onDocument)
            m_options.onDocument(*unit.doc);
        for (PetalIndex r : unit.doc->roots) {
            const PetalNode& n = (*unit.doc)[r];
            if (n.kind == PetalKind::Object && n.text == stub.text) {
                unit.root = n;
                break;
            }
        }
        if (!unit.root)
            throw RoseLoadError(path, 1, 1, L"the unit file holds no \"(object " + std::wstring(stub.text.begin(), stub.text.end()) + L"\"");
        return unit;
    }

    bool IsUnloadedUnit(const PetalDocument& doc, const PetalNode& n) const
    {
        const PetalField loaded = doc.Field(n, K("is_loaded"));
        return m_options.loadUnits && IsTrue(doc.Field(n, K("is_unit"))) && loaded &&
               loaded->kind == PetalKind::Identifier && EqualsNoCase(loaded->text, "FALSE");
    }

    Category* BuildCategory(const PetalDocument& doc, const PetalNode& node, Category* parent, Element* owner)
    {
        if (IsUnloadedUnit(doc, node)) {
            Unit unit = LoadUnit(doc, node);
            m_unitChain.push_back(unit.doc->fileName);
            Category* c = BuildCategory(*unit.doc, *unit.root, parent, owner);
            m_unitChain.pop_back();
            if (c->name.empty() && !node.names.empty())
                c->name = W(node.names[0]);
            c->fileName = FieldText(doc, node, K("file_name"));
            return c;
        }
        Category* c = m_model.Create<Category>(owner);
        c->parent = parent;
        ReadCommon(doc, node, *c);
        m_model.allCategories.push_back(c);
        c->exportControl = ParseExportControl(FieldBytes(doc, node, K("exportControl")), PublicAccess);
        c->global = IsTrue(doc.Field(node, K("global")));
        c->fileName = FieldText(doc, node, K("file_name"));
        if (auto models = doc.Field(node, K("logical_models")); models && models->kind == PetalKind::List) {
            for (PetalIndex i : models->children) {
                const PetalNode& item = doc[i];
                if (item.kind != PetalKind::Object)
                    continue;
                if (item.text == "Class_Category")
                    c->categories.push_back(BuildCategory(doc, item, c, c));
                else if (IsClassType(item.text))
                    c->classes.push_back(BuildClass(doc, item, c, nullptr));
                else if (item.text == "Association")
                    c->associations.push_back(BuildAssociation(doc, item, c));
                else if (std::wstring quid = FieldText(doc, item, K("quid")); !quid.empty())
                    m_otherKinds.emplace(quid, W(item.text)); // a use case, a note ...: not a class
            }
        }
        return c;
    }

    static std::string_view FieldBytes(const PetalDocument& doc, const PetalNode& n, uint32_t key)
    {
        const PetalField f = doc.Field(n, key);
        return f && (f->kind == PetalKind::String || f->kind == PetalKind::Identifier) ? std::string_view(f->text)
                                                                                       : std::string_view();
    }

    Class* BuildClass(const PetalDocument& doc, const PetalNode& node, Category* cat, Class* outer)
    {
        Class* c = m_model.Create<Class>(outer ? static_cast<Element*>(outer) : static_cast<Element*>(cat));
        c->objectType = W(node.text);
        c->parentCategory = cat;
        c->parentClass = outer;
        ReadCommon(doc, node, *c);
        m_model.allClasses.push_back(c);
        ModelText pendingModuleName;
        bool pendingModule = false;
        for (size_t i = 0; i < node.keys.size(); ++i) {
            const uint32_t key = node.keys.Id(i);
            const PetalNode& v = doc[node.children[i]];
            if (key == K("exportControl")) {
                c->exportControl = ParseExportControl(v.text, c->exportControl);
            } else if (key == K("abstract")) {
                c->isAbstract = IsTrue(v);
            } else if (key == K("language")) {
                c->language = TextOf(doc, v);
            } else if (key == K("class_attributes")) {
                ForEachObject(doc, v, "ClassAttribute", c->attributes, [&](const PetalNode& a) { c->attributes.push_back(BuildAttribute(doc, a, c)); });
            } else if (key == K("operations")) {
                ForEachObject(doc, v, "Operation", c->operations, [&](const PetalNode& o) { c->operations.push_back(BuildOperation(doc, o, c)); });
            } else if (key == K("parameters")) {
                ForEachObject(doc, v, "Parameter", c->parameters, [&](const PetalNode& p) { c->parameters.push_back(BuildParameter(doc, p, c, c->parameters.size())); });
            } else if (key == K("superclasses")) {
                ForEachObject(doc, v, "Inheritance_Relationship", c->superclasses, [&](const PetalNode& r) {
                    c->superclasses.push_back(BuildRelation(doc, r, ElementKind::InheritRelation, c));
                });
            } else if (key == K("used_nodes")) {
                ForEachObject(doc, v, "Uses_Relationship", c->dependencies, [&](const PetalNode& r) {
                    c->dependencies.push_back(BuildRelation(doc, r, ElementKind::ClassDependency, c));
                });
            } else if (key == K("realized_interfaces")) {
                ForEachObject(doc, v, "Realize_Relationship", c->realizations, [&](const PetalNode& r) {
                    c->realizations.push_back(BuildRelation(doc, r, ElementKind::RealizeRelation, c));
                });
            } else if (key == K("fields")) {
                ForEachObject(doc, v, "Has_Relationship", c->hasRelations, [&](const PetalNode& r) {
                    c->hasRelations.push_back(BuildRelation(doc, r, ElementKind::HasRelationship, c));
                });
            } else if (key == K("nestedClasses") && v.kind == PetalKind::List) {
                for (PetalIndex n : v.children)
                    if (const PetalNode nested = doc[n]; nested.kind == PetalKind::Object && IsClassType(nested.text))
                        c->nestedClasses.push_back(BuildClass(doc, nested, cat, c));
            } else if (key == K("module")) {
                // "module" names a component; the "quidu" right after it is its id.
                pendingModuleName = TextOf(doc, v);
                pendingModule = true;
                continue;
            } else if (key == K("quidu") && pendingModule) {
                m_classModules.push_back({c, TextOf(doc, v), pendingModuleName});
            }
            pendingModule = false;
        }
        return c;
    }

    // `out`, where `f` puts what it builds, is grown once to the list's size: a class's
    // members would otherwise be moved several times as they are added.
    template <class T, class F>
    void ForEachObject(const PetalDocument& doc, const PetalNode& list, std::string_view type, std::vector<T*>& out, F&& f)
    {
        if (list.kind == PetalKind::List)
            out.reserve(out.size() + list.children.size());
        ForEachObject(doc, list, type, std::forward<F>(f));
    }

    template <class F>
    void ForEachObject(const PetalDocument& doc, const PetalNode& list, std::string_view type, F&& f)
    {
        if (list.kind != PetalKind::List)
            return;
        for (PetalIndex i : list.children) {
            const PetalNode item = doc[i];
            if (item.kind == PetalKind::Object && item.text == type)
                f(item);
        }
    }

    Attribute* BuildAttribute(const PetalDocument& doc, const PetalNode& node, Class* cls)
    {
        Attribute* a = m_model.Create<Attribute>(cls);
        a->parentClass = cls;
        ReadCommon(doc, node, *a);
        a->type = FieldText(doc, node, K("type"));
        a->initValue = FieldText(doc, node, K("initv"));
        a->exportControl = ParseExportControl(FieldBytes(doc, node, K("exportControl")), PrivateAccess);
        a->isStatic = IsTrue(doc.Field(node, K("static")));
        a->isDerived = IsTrue(doc.Field(node, K("derived")));
        a->containment = ParseContainment(FieldBytes(doc, node, K("Containment")));
        return a;
    }

    Operation* BuildOperation(const PetalDocument& doc, const PetalNode& node, Class* cls)
    {
        Operation* o = m_model.Create<Operation>(cls);
        o->parentClass = cls;
        ReadCommon(doc, node, *o);
        o->returnType = FieldText(doc, node, K("result"));
        std::string_view ec = FieldBytes(doc, node, K("opExportControl"));
        if (ec.empty())
            ec = FieldBytes(doc, node, K("exportControl"));
        o->exportControl = ParseExportControl(ec, PublicAccess);
        o->concurrency = FieldText(doc, node, K("concurrency"));
        o->isAbstract = IsTrue(doc.Field(node, K("abstract")));
        o->isStatic = IsTrue(doc.Field(node, K("static")));
        if (auto params = doc.Field(node, K("parameters")))
            ForEachObject(doc, *params, "Parameter", o->parameters, [&](const PetalNode& p) { o->parameters.push_back(BuildParameter(doc, p, o, o->parameters.size())); });
        return o;
    }

    Parameter* BuildParameter(const PetalDocument& doc, const PetalNode& node, Element* owner, size_t index)
    {
        Parameter* p = m_model.Create<Parameter>(owner);
        ReadCommon(doc, node, *p);
        p->type = FieldText(doc, node, K("type"));
        p->initValue = FieldText(doc, node, K("initv"));
        p->isConst = IsTrue(doc.Field(node, K("const")));
        // Parameters have no id in the file: derive one from the owner's and the position.
        if (p->quid.empty()) {
            const std::string_view owned = owner->quid.Ascii();
            if (!owned.empty() || owner->quid.empty())
                p->quid = ModelText::FromAscii(std::string(owned) + "-P" + std::to_string(index + 1));
            else
                p->quid = owner->quid + L"-P" + std::to_wstring(index + 1);
            m_model.IndexQuid(p);
        }
        return p;
    }

    Relation* BuildRelation(const PetalDocument& doc, const PetalNode& node, ElementKind kind, Element* client)
    {
        Relation* r = m_model.Create<Relation>(client, kind);
        r->client = client;
        ReadCommon(doc, node, *r);
        r->supplierName = FieldText(doc, node, K("supplier"));
        r->supplierQuid = FieldText(doc, node, K("quidu"));
        r->clientCardinality = FieldText(doc, node, K("client_cardinality"));
        r->supplierCardinality = FieldText(doc, node, K("supplier_cardinality"));
        r->exportControl = ParseExportControl(FieldBytes(doc, node, K("exportControl")), PublicAccess);
        r->containment = ParseContainment(FieldBytes(doc, node, K("Containment")));
        r->isStatic = IsTrue(doc.Field(node, K("static")));
        r->isFriend = IsTrue(doc.Field(node, K("friend"))) || IsTrue(doc.Field(node, K("is_friend")));
        r->supplierIsSpec = IsTrue(doc.Field(node, K("supplier_is_spec")));
        m_relations.push_back(r);
        m_relationPlaces.push_back({doc.fileName, node.line});
        return r;
    }

    Association* BuildAssociation(const PetalDocument& doc, const PetalNode& node, Category* cat)
    {
        Association* a = m_model.Create<Association>(cat);
        a->parentCategory = cat;
        ReadCommon(doc, node, *a);
        m_model.allAssociations.push_back(a);
        a->isDerived = IsTrue(doc.Field(node, K("derived")));
        if (auto roles = doc.Field(node, K("roles"))) {
            ForEachObject(doc, *roles, "Role", [&](const PetalNode& rn) {
                Role* r = BuildRole(doc, rn, a);
                if (!a->role1)
                    a->role1 = r;
                else if (!a->role2)
                    a->role2 = r;
            });
        }
        return a;
    }

    Role* BuildRole(const PetalDocument& doc, const PetalNode& node, Association* assoc)
    {
        Role* r = m_model.Create<Role>(assoc);
        r->association = assoc;
        ReadCommon(doc, node, *r);
        // The role name the user gave is the label; the object's own name is internal.
        if (auto label = doc.Field(node, K("label")); label && label->kind == PetalKind::String)
            r->name = W(label->text);
        r->supplierName = FieldText(doc, node, K("supplier"));
        r->supplierQuid = FieldText(doc, node, K("quidu"));
        r->cardinality = FieldText(doc, node, K("client_cardinality"));
        if (r->cardinality.empty())
            r->cardinality = FieldText(doc, node, K("supplier_cardinality"));
        r->constraints = FieldText(doc, node, K("Constraints"));
        if (r->constraints.empty())
            r->constraints = FieldText(doc, node, K("constraints"));
        r->isNavigable = IsTrue(doc.Field(node, K("is_navigable")));
        r->isAggregate = IsTrue(doc.Field(node, K("is_aggregate")));
        r->isStatic = IsTrue(doc.Field(node, K("static")));
        r->isFriend = IsTrue(doc.Field(node, K("friend"))) || IsTrue(doc.Field(node, K("is_friend")));
        r->exportControl = ParseExportControl(FieldBytes(doc, node, K("exportControl")), PublicAccess);
        r->containment = ParseContainment(FieldBytes(doc, node, K("Containment")));
        m_roles.push_back(r);
        m_rolePlaces.push_back({doc.fileName, node.line});
        return r;
    }

    Subsystem* BuildSubsystem(const PetalDocument& doc, const PetalNode& node, Subsystem* parent, Element* owner)
    {
        if (IsUnloadedUnit(doc, node)) {
            Unit unit = LoadUnit(doc, node);
            m_unitChain.push_back(unit.doc->fileName);
            Subsystem* s = BuildSubsystem(*unit.doc, *unit.root, parent, owner);
            m_unitChain.pop_back();
            if (s->name.empty() && !node.names.empty())
                s->name = W(node.names[0]);
            s->fileName = FieldText(doc, node, K("file_name"));
            return s;
        }
        Subsystem* s = m_model.Create<Subsystem>(owner);
        s->parent = parent;
        ReadCommon(doc, node, *s);
        m_model.allSubsystems.push_back(s);
        s->path = FieldText(doc, node, K("path"));
        s->fileName = FieldText(doc, node, K("file_name"));
        if (auto models = doc.Field(node, K("physical_models")); models && models->kind == PetalKind::List) {
            for (PetalIndex i : models->children) {
                const PetalNode& item = doc[i];
                if (item.kind != PetalKind::Object)
                    continue;
                if (item.text == "SubSystem")
                    s->subsystems.push_back(BuildSubsystem(doc, item, s, s));
                else if (item.text == "module")
                    s->modules.push_back(BuildModule(doc, item, s));
            }
        }
        return s;
    }

    Module* BuildModule(const PetalDocument& doc, const PetalNode& node, Subsystem* parent)
    {
        Module* m = m_model.Create<Module>(parent);
        m->parentSubsystem = parent;
        ReadCommon(doc, node, *m);
        m_model.allModules.push_back(m);
        if (node.names.size() > 1)
            m->type = W(node.names[1]);
        if (node.names.size() > 2)
            m->part = W(node.names[2]);
        m->language = FieldText(doc, node, K("language"));
        m->path = FieldText(doc, node, K("path"));
        if (auto deps = doc.Field(node, K("visible_modules")); deps && deps->kind == PetalKind::List) {
            for (PetalIndex i : deps->children) {
                const PetalNode& d = doc[i];
                if (d.kind == PetalKind::Object &&
                    (d.text == "Dependency_Relationship" || d.text == "Module_Visibility_Relationship"))
                    m->dependencies.push_back(BuildRelation(doc, d, ElementKind::ModuleVisibilityRelationship, m));
            }
        }
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

std::unique_ptr<Model> LoadRoseModelFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    const PetalDocument doc = builder.Parse(text, fileName);
    if (options.onDocument)
        options.onDocument(doc);
    builder.BuildModel(doc);
    return model;
}

std::unique_ptr<Model> LoadRoseModel(const std::wstring& fileName, const LoadOptions& options)
{
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    PetalDocument doc;
    {
        // The document keeps its own copy of every text: the file goes before the model grows.
        const FileText text = ReadModelFile(fileName);
        doc = builder.Parse(text, fileName);
    }
    if (options.onDocument)
        options.onDocument(doc);
    builder.BuildModel(doc);
    return model;
}

DefaultPropertySets LoadPropertyFileFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    Model scratch;
    Builder builder(scratch, options);
    const PetalDocument doc = builder.Parse(text, fileName);
    DefaultPropertySets sets;
    builder.BuildPropertyFile(doc, sets);
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
