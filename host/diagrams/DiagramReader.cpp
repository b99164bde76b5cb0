#include "DiagramReader.h"

#include "RoseModel.h"
#include "Utf8.h"

#include "vxplat/CodePage.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <algorithm>
#include <set>

namespace RoseHost::Diagrams {

namespace {

const std::set<std::string, std::less<>> kDiagramTypes = {
    "ClassDiagram", "UseCaseDiagram", "Module_Diagram", "InteractionDiagram", "ObjectDiagram",
    "State_Diagram", "ActivityDiagram", "Process_Diagram",
};

int ToInt(std::string_view s, int fallback = 0)
{
    int v = fallback;
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    (void)p;
    return ec == std::errc() ? v : fallback;
}

bool NumberField(const PetalDocument& doc, const PetalNode& obj, std::string_view key, int& out)
{
    const PetalField f = doc.Field(obj, key);
    if (!f || f->kind != PetalKind::Number)
        return false;
    out = ToInt(f->text, out);
    return true;
}

std::optional<Point> PointOf(const PetalDocument& doc, const PetalNode& n)
{
    if ((n.kind != PetalKind::Tuple && n.kind != PetalKind::ValueTuple) || n.children.size() != 2)
        return std::nullopt;
    const PetalNode x = doc[n.children[0]];
    const PetalNode y = doc[n.children[1]];
    if (x.kind != PetalKind::Number || y.kind != PetalKind::Number)
        return std::nullopt;
    return Point{ToInt(x.text), ToInt(y.text)};
}

std::string Lines(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

} // namespace

bool View::Flag(const std::string& name, bool fallback) const
{
    auto it = flags.find(name);
    return it == flags.end() ? fallback : it->second == "TRUE";
}

DiagramReader::DiagramReader(unsigned codePage) : m_codePage(codePage) {}

void DiagramReader::Attach(LoadOptions& options)
{
    m_codePage = options.codePage;
    options.onDocument = [this](const PetalDocument& doc) { Read(doc); };
}

std::string DiagramReader::Text(std::string_view s) const
{
    bool ascii = true;
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return std::string(s);
    const unsigned codePage = m_codePage == CP_ACP ? GetACP() : m_codePage;
    const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w;
    if (n <= 0) {
        for (char c : s)
            w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    } else {
        w.assign(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    }
    return ToUtf8(w);
}

void DiagramReader::Read(const PetalDocument& doc)
{
    m_containers.clear();
    for (PetalIndex r : doc.roots)
        Walk(doc, doc[r], 0);
}

void DiagramReader::Walk(const PetalDocument& doc, const PetalNode& node, unsigned depth)
{
    if (node.kind == PetalKind::Object) {
        if (kDiagramTypes.count(node.text)) {
            ReadDiagram(doc, node);
            return;
        }
        std::string quid;
        if (const PetalField q = doc.Field(node, "quid"); q && q->kind == PetalKind::String)
            quid = std::string(q->text);
        const bool named = !node.names.empty() && node.names[0].compare(0, 9, "$UNNAMED$") != 0;
        if (!quid.empty())
            m_set.otherNames.emplace(quid, named ? Text(node.names[0]) : std::string());
        if (const PetalField cls = doc.Field(node, "class");
            !quid.empty() && node.text == "Object" && cls && cls->kind == PetalKind::String) {
            const std::string path = Text(cls->text);
            const size_t sep = path.rfind("::");
            m_set.objectClasses.emplace(quid, sep == std::string::npos ? path : path.substr(sep + 2));
        }
        const bool container = named && node.text != "Attribute" && doc.Field(node, "quid");
        if (container)
            m_containers.emplace_back(Text(node.names[0]), quid);
        for (PetalIndex c : node.children)
            Walk(doc, doc[c], depth + 1);
        if (container)
            m_containers.pop_back();
    } else if (node.kind == PetalKind::List || node.kind == PetalKind::Tuple || node.kind == PetalKind::ValueTuple) {
        for (PetalIndex c : node.children)
            Walk(doc, doc[c], depth + 1);
    }
}

void DiagramReader::ReadDiagram(const PetalDocument& doc, const PetalNode& node)
{
    Diagram d;
    d.type = std::string(node.text);
    d.name = node.names.empty() ? std::string() : Text(node.names[0]);
    d.file = ToUtf8(doc.fileName);
    d.line = node.line;
    d.containers = m_containers;
    if (const PetalField t = doc.Field(node, "title"); t && t->kind == PetalKind::String)
        d.title = Text(t->text);
    if (const PetalField q = doc.Field(node, "quid"); q && q->kind == PetalKind::String)
        d.quid = std::string(q->text);
    NumberField(doc, node, "max_width", d.pageWidth);
    NumberField(doc, node, "max_height", d.pageHeight);
    d.pageWidth = std::clamp(d.pageWidth, 1000, 1000000);
    d.pageHeight = std::clamp(d.pageHeight, 1000, 1000000);
    std::unordered_map<std::string, int> tags;
    std::vector<std::pair<int, std::pair<int, std::string>>> refs; // view, (which end, tag)
    if (const PetalField items = doc.Field(node, "items"); items && items->kind == PetalKind::List)
        for (PetalIndex i : items->children)
            if (const PetalNode item = doc[i]; item.kind == PetalKind::Object)
                ReadView(doc, item, d, -1, tags, refs, 0);

    for (const auto& [index, ref] : refs) {
        auto it = tags.find(ref.second);
        View& v = d.views[static_cast<size_t>(index)];
        if (it == tags.end()) {
            m_set.warnings.push_back({v.file, v.line, "the " + v.type + " refers to @" + ref.second +
                                                          ", which is no view of the diagram \"" + d.name + "\""});
            m_warned.insert(index); // one warning a view
            continue;
        }
        int& slot = ref.first == 0 ? v.client : ref.first == 1 ? v.supplier : ref.first == 2 ? v.drawSupplier : v.parent;
        slot = it->second;
    }
    ClampToPage(d);
    CheckViews(d);
    m_clamped.clear();
    m_warned.clear();
    m_set.diagrams.push_back(std::move(d));
}

void DiagramReader::ReadView(const PetalDocument& doc, const PetalNode& node, Diagram& d, int parent,
                             std::unordered_map<std::string, int>& tags,
                             std::vector<std::pair<int, std::pair<int, std::string>>>& refs, unsigned depth)
{
    const int index = static_cast<int>(d.views.size());
    d.views.emplace_back();
    {
        View& v = d.views.back();
        v.type = std::string(node.text);
        v.file = d.file;
        v.line = node.line;
        v.parent = parent;
        if (!node.names.empty() && node.names[0].compare(0, 9, "$UNNAMED$") != 0)
            v.kindName = Text(node.names[0]);
        if (node.names.size() > 1)
            v.qualified = Text(node.names[1]);
        v.shape = ShapeOf(v.type, v.kindName);
    }
    if (!node.tag.empty())
        tags.emplace(std::string(node.tag), index);

    auto readFont = [&](const PetalNode& f, Font& font) {
        NumberField(doc, f, "size", font.size);
        if (const PetalField face = doc.Field(f, "face"); face && face->kind == PetalKind::String)
            font.face = Text(face->text);
        auto flag = [&](std::string_view key) {
            const PetalField b = doc.Field(f, key);
            return b && b->kind == PetalKind::Identifier && b->text == "TRUE";
        };
        font.bold = flag("bold");
        font.italics = flag("italics");
        font.underline = flag("underline");
        if (!flag("default_color"))
            NumberField(doc, f, "color", font.color);
    };
    auto readLabel = [&](const PetalNode& l) {
        Label label;
        if (const PetalField t = doc.Field(l, "label"); t && (t->kind == PetalKind::String || t->kind == PetalKind::Text))
            label.text = Lines(Text(t->text));
        if (const PetalField p = doc.Field(l, "location"))
            if (auto pt = PointOf(doc, *p)) {
                label.location = *pt;
                label.hasLocation = true;
            }
        NumberField(doc, l, "max_width", label.maxWidth);
        NumberField(doc, l, "nlines", label.nlines);
        NumberField(doc, l, "anchor_loc", label.anchorLoc);
        NumberField(doc, l, "justify", label.justify);
        NumberField(doc, l, "anchor", label.anchor);
        NumberField(doc, l, "height", label.offset);
        NumberField(doc, l, "orientation", label.orientation);
        if (const PetalField pct = doc.Field(l, "pctDist"); pct && pct->kind == PetalKind::Number) {
            const double value = std::strtod(std::string(pct->text).c_str(), nullptr);
            label.pctDist = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : -1;
        }
        if (const PetalField q = doc.Field(l, "quidu"); q && q->kind == PetalKind::String)
            label.quidu = std::string(q->text);
        if (const PetalField f = doc.Field(l, "font"); f && f->kind == PetalKind::Object)
            readFont(*f, label.font);
        return label;
    };

    if (d.views[static_cast<size_t>(index)].shape == Shape::FreeText) // the text and its place are the view's own
        d.views[static_cast<size_t>(index)].labels.push_back(readLabel(node));
    for (size_t i = 0; i < node.keys.size(); ++i) {
        const std::string_view key = node.keys[i];
        const PetalNode value = doc[node.children[i]];
        View& v = d.views[static_cast<size_t>(index)];
        if (value.kind == PetalKind::Reference) {
            const int which = key == "client" ? 0 : key == "supplier" ? 1 : key == "drawSupplier" ? 2
                                                                    : key == "Parent_View" ? 3 : -1;
            if (which >= 0)
                refs.push_back({index, {which, std::string(value.text)}});
        } else if (key == "location") {
            if (auto p = PointOf(doc, value)) {
                v.location = *p;
                v.hasLocation = true;
            }
        } else if (key == "width" || key == "height" || key == "line_color" || key == "fill_color" ||
                   key == "ordinal" || key == "y_coord") {
            int& slot = key == "width" ? v.width : key == "height" ? v.height : key == "line_color" ? v.lineColor
                        : key == "fill_color" ? v.fillColor : key == "ordinal" ? v.ordinal : v.yCoord;
            if (value.kind == PetalKind::Number)
                slot = ToInt(value.text, slot);
        } else if (key == "quidu" && value.kind == PetalKind::String) {
            v.quidu = std::string(value.text);
        } else if (key == "icon" && value.kind == PetalKind::String) {
            v.icon = Text(value.text);
        } else if (key == "icon_style" && value.kind == PetalKind::String) {
            v.iconStyle = Text(value.text);
        } else if (key == "font" && value.kind == PetalKind::Object) {
            readFont(value, v.font);
        } else if (key == "label" && value.kind == PetalKind::Object) {
            v.labels.push_back(readLabel(value));
        } else if (key == "stereotype" && value.kind == PetalKind::Object) {
            v.stereotypeLabel = readLabel(value);
        } else if (key == "vertices" && value.kind == PetalKind::List) {
            v.vertices.clear();
            for (PetalIndex c : value.children)
                if (auto p = PointOf(doc, doc[c]))
                    v.vertices.push_back(*p);
        } else if (key == "origin_attachment" || key == "terminal_attachment" || key == "origin" || key == "terminus") {
            // Two-point lines; a vertex list, where there is one, wins.
            if (auto p = PointOf(doc, value); p && (v.vertices.size() < 2 || key == "terminal_attachment" || key == "terminus"))
                v.vertices.push_back(*p);
        } else if (value.kind == PetalKind::Identifier && (value.text == "TRUE" || value.text == "FALSE")) {
            v.flags[std::string(key)] = std::string(value.text);
        } else if (value.kind == PetalKind::Object && depth < 8 &&
                   (key == "Focus_Of_Control" ||
                    (value.text.size() > 4 && value.text.substr(value.text.size() - 4) == "View"))) {
            ReadView(doc, value, d, index, tags, refs, depth + 1);
        } else if (value.kind == PetalKind::List && key == "roleview_list" && depth < 8) {
            for (PetalIndex c : value.children)
                if (const PetalNode r = doc[c]; r.kind == PetalKind::Object)
                    ReadView(doc, r, d, index, tags, refs, depth + 1);
        }
    }
}

DiagramSet DiagramReader::Finish(const Model& model)
{
    for (Diagram& d : m_set.diagrams) {
        // The deepest container the model holds gives the package path; names below it follow.
        size_t known = d.containers.size();
        const Element* owner = nullptr;
        for (size_t i = d.containers.size(); i-- > 0;) {
            const std::string& quid = d.containers[i].second;
            if (const Element* e = quid.empty() ? nullptr : model.FindByQuid(std::wstring(quid.begin(), quid.end()))) {
                owner = e;
                known = i;
                break;
            }
        }
        d.owner = owner;
        for (const Element* e = owner; e && e->kind != ElementKind::Model; e = e->owner)
            d.path.insert(d.path.begin(), ToUtf8(e->name.str()));
        for (size_t i = owner ? known + 1 : 0; i < d.containers.size(); ++i)
            d.path.push_back(d.containers[i].first);

        for (View& v : d.views) {
            if (v.quidu.empty())
                continue;
            v.element = model.FindByQuid(std::wstring(v.quidu.begin(), v.quidu.end()));
            if (!v.element && !m_set.otherNames.count(v.quidu))
                m_set.warnings.push_back({v.file, v.line, "the " + v.type + " shows " +
                                                              (v.qualified.empty() ? std::string("an element") : "\"" + v.qualified + "\"") +
                                                              " that the model does not hold (quidu " + v.quidu + ")"});
        }
    }
    m_containers.clear();
    return std::move(m_set);
}

} // namespace RoseHost::Diagrams
