// The loader's builder: makes the model while the one-pass reader reads. Its work is
// spread over the files of this folder: PetalFields.cpp (field values, common element
// fields), PropertySets.cpp (tool properties and property files), Building.cpp (the
// elements and the controlled units), Linking.cpp (references by id and name).
#pragma once

#include "PetalFields.h"

#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace RoseHost::Loading {

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
    // A file's text read for the model alone: its pages go as it is read.
    void OwnText(PetalReader& reader) const
    {
        if (!m_options.onDocument)
            reader.DropTextBehind();
    }

    void BuildModel(PetalReader& r);
    void BuildPropertyFile(PetalReader& r, DefaultPropertySets& sets);
    // "(\"SetName\" 801)" values: the name of the set's entry with that number.
    static void ResolveEnumerations(DefaultPropertySets& sets, Model* model);

private:
    // The reader's arena back to where it was when an object began.
    struct Scope {
        explicit Scope(PetalReader& r) : reader(r), mark(r.GetMark()) {}
        ~Scope() { reader.Release(mark); }
        PetalReader& reader;
        PetalReader::Mark mark;
    };

    static int ToInt(std::string_view s);
    static bool IsAscii(std::string_view s)
    {
        for (char c : s)
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
        return true;
    }

    // A text of the file as the model keeps it, shared with its earlier copies.
    ModelText W(std::string_view s) const;
    // A unique id: not worth keeping for sharing.
    ModelText Unique(std::string_view s) const
    {
        return IsAscii(s) ? ModelText::Lasting(s) : ModelText(m_decode(s));
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
        s.text = m_r->Hold(v.text); // read at the object's end, after its children
        s.enumPair = false;
        if (IsTuple(v.kind))
            s.tupleText = TupleText(v, &s);
        else
            m_r->Skip(v);
    }

    // The text of a tuple: its one item's, else its items' joined (with blanks between
    // the items of a plain tuple); objects and lists in it count as items but give no text.
    ModelText TupleText(const PetalValue& form, FieldValue* pair);
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
    void ReadProperties(const PetalValue& list, std::vector<ToolProperty>& out);
    ToolProperty ReadProperty(const PetalValue& a);
    void ReadValue(const FieldValue& v, ToolProperty& p) const;
    // Splits the "default__<Kind>" sets from plain properties.
    void ReadPropertySets(const PetalValue& list, DefaultPropertySets& sets, std::vector<ToolProperty>* plain);
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
    bool Common(Element& e, uint32_t key, const PetalValue& v);
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

    void BuildDesign(const PetalValue& design);
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
        OwnText(reader);
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

    Category* BuildCategory(const PetalValue& object, Category* parent, Element* owner);
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

    Class* BuildClass(const PetalValue& object, Category* cat, Class* outer);
    Attribute* BuildAttribute(const PetalValue& object, Class* cls);
    Operation* BuildOperation(const PetalValue& object, Class* cls);
    Parameter* BuildParameter(const PetalValue& object, Element* owner, size_t index);
    Relation* BuildRelation(const PetalValue& object, ElementKind kind, Element* client);
    Association* BuildAssociation(const PetalValue& object, Category* cat);
    Role* BuildRole(const PetalValue& object, Association* assoc);
    Subsystem* BuildSubsystem(const PetalValue& object, Subsystem* parent, Element* owner);
    Module* BuildModule(const PetalValue& object, Subsystem* parent);
    // Links by unique id, once every element is known.
    void Resolve();
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
                    const Place& place);
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

// Called for nearly every text of a file: kept where the callers can inline it.
inline ModelText Builder::W(std::string_view s) const
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

} // namespace RoseHost::Loading
