#include "HtmlReport.h"

#include "ElementProperties.h"
#include "HtmlText.h"
#include "MemberText.h"
#include "RoseModel.h"
#include "SvgWriter.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace VexloDiagram {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

std::string E(const std::string& s) { return XmlEscape(s); }

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Anchor(const std::string& prefix, const std::string& id)
{
    std::string out = prefix;
    for (char c : id)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    return out;
}

constexpr size_t kChunk = 50; // class sections per lazily shown part
constexpr char kPartMark = '\x01'; // where a part goes in the page (never in escaped text)
constexpr size_t kInlineLimit = 1 << 20; // parts beyond a megabyte go into files of their own

// Text as a JavaScript string literal.
std::string JsString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '<': out += "\\x3c"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

class Writer {
public:
    explicit Writer(const ReportInput& in) : m_in(in), m_model(*in.model)
    {
        for (const Class* c : m_model.allClasses)
            m_known.insert({c, true});
        // Each diagram under the nearest package (or component package) around it; one
        // owned by a class or a use case carries that owner's name in its entry.
        for (size_t i = 0; i < in.diagrams->diagrams.size(); ++i) {
            const Diagram& d = in.diagrams->diagrams[i];
            const Element* folder = d.owner;
            while (folder && folder->kind != ElementKind::Category && folder->kind != ElementKind::Subsystem)
                folder = folder->owner;
            m_byOwner[folder].push_back(i);
        }
        m_sorted = m_model.allClasses;
        std::stable_sort(m_sorted.begin(), m_sorted.end(), [](const Class* a, const Class* b) { return Lower(Utf8(a->name)) < Lower(Utf8(b->name)); });
        for (const Class* c : m_model.allClasses)
            for (const Relation* r : c->superclasses)
                if (r->supplier && r->supplier->kind == ElementKind::Class)
                    m_subclasses[static_cast<const Class*>(r->supplier)].push_back(c);
    }

    std::string Run(std::vector<ReportPart>* parts)
    {
        m_out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + E(Utf8(m_model.name)) +
                " - model report</title><style>" + std::string(kReportStyle) + "</style></head><body>\n<nav><h2>" +
                E(Utf8(m_model.name)) + "</h2>\n<input id=\"search\" type=\"search\" placeholder=\"Search classes and diagrams\">\n<ul>\n";
        for (const Category* root : {m_model.rootCategory, m_model.useCaseCategory})
            if (root)
                TreeCategory(*root, 0);
        if (m_model.rootSubsystem)
            TreeSubsystem(*m_model.rootSubsystem, 0);
        if (auto it = m_byOwner.find(nullptr); it != m_byOwner.end()) {
            m_out += "<li><details open><summary>Other diagrams</summary><ul>\n";
            DiagramLinks(it->second, 0);
            m_out += "</ul></details></li>\n";
        }
        m_out += "</ul></nav>\n<main>\n<h1>" + E(Utf8(m_model.name)) + "</h1>\n"
                 "<noscript><p class=\"note\">The diagrams and classes of this page show with JavaScript on; the "
                 "pictures are also files beside it.</p></noscript>\n";
        if (!m_model.documentation.empty())
            m_out += "<p class=\"doc\">" + E(DocumentationText(Utf8(m_model.documentation))) + "</p>\n";
        m_out += "<h2>Diagrams</h2>\n";
        SvgOptions svg;
        svg.inlined = true;
        svg.classLink = [](const Class& c) { return std::string(1, '#').append(ClassAnchor(c)); };
        for (size_t i = 0; i < m_in.diagrams->diagrams.size(); ++i) {
            const Diagram& d = m_in.diagrams->diagrams[i];
            const std::string& file = i < m_in.svgFiles.size() ? m_in.svgFiles[i] : std::string();
            Lazy([&] {
                m_out += "<section class=\"diagram\" id=\"diagram-" + std::to_string(i) + "\"><h3>" + E(Title(d)) +
                         " <span class=\"kind\">" + E(d.type) + "</span></h3>\n";
                if (d.Empty())
                    m_out += "<p class=\"note\">An empty diagram: nothing to draw, no picture written.</p>";
                else
                    m_out += (file.empty() ? std::string() : "<p><a href=\"" + E(PercentEncode(file)) + "\">" + E(file) + "</a></p>\n") +
                             RenderSvg(d, *m_in.diagrams, svg);
                m_out += "</section>\n";
            }, d.Empty() ? 80.0 : 600.0);
        }
        m_out += "<h2>Classes</h2>\n";
        for (size_t i = 0; i < m_sorted.size(); i += kChunk)
            Lazy([&] {
                for (size_t k = i; k < m_sorted.size() && k < i + kChunk; ++k)
                    ClassSection(*m_sorted[k]);
            }, 250.0 * static_cast<double>(std::min(kChunk, m_sorted.size() - i)));
        m_out += "<h2>Components</h2>\n";
        for (size_t i = 0; i < m_model.allModules.size(); i += kChunk)
            Lazy([&] {
                for (size_t k = i; k < m_model.allModules.size() && k < i + kChunk; ++k)
                    ModuleSection(*m_model.allModules[k]);
            }, 150.0 * static_cast<double>(std::min(kChunk, m_model.allModules.size() - i)));
        Lazy([&] { DefaultSets(); }, 600);
        m_out += "</main><script>" + std::string(kReportScript) + "</script></body></html>\n";
        return Assemble(parts);
    }

private:
    static std::string Title(const Diagram& d)
    {
        std::string path;
        for (const std::string& p : d.path)
            path += p + "::";
        return path + (d.title.empty() ? d.name : d.title);
    }

    std::string ClassRef(const Element* e) const
    {
        if (!e)
            return "?";
        if (e->kind == ElementKind::Class && m_known.count(static_cast<const Class*>(e)))
            return "<a href=\"#" + ClassAnchor(static_cast<const Class&>(*e)) + "\">" + E(Utf8(e->name)) + "</a>";
        if (e->kind == ElementKind::Module)
            return "<a href=\"#" + Anchor("component-", Utf8(e->quid)) + "\">" + E(Utf8(e->name)) + "</a>";
        return E(Utf8(e->name));
    }

    // The diagrams of one folder at package depth `depth`: those inside a class, use case or
    // realization below it grouped under that owner's name.
    void DiagramLinks(const std::vector<size_t>& list, size_t depth)
    {
        std::map<std::string, std::vector<size_t>> groups;
        std::vector<std::string> order;
        for (size_t i : list) {
            const Diagram& d = m_in.diagrams->diagrams[i];
            std::string group;
            for (size_t k = depth; k < d.path.size(); ++k)
                group += (group.empty() ? "" : " \xE2\x80\xBA ") + d.path[k];
            if (!groups.count(group))
                order.push_back(group);
            groups[group].push_back(i);
        }
        for (const std::string& group : order) {
            if (!group.empty())
                m_out += "<li><details open><summary>" + E(group) + "</summary><ul>\n";
            for (size_t i : groups[group]) {
                const Diagram& d = m_in.diagrams->diagrams[i];
                const std::string title = d.title.empty() ? d.name : d.title;
                m_out += "<li data-find=\"" + E(Lower(group + " " + title)) + "\" data-target=\"diagram-" + std::to_string(i) +
                         "\">&#9638; <a href=\"#diagram-" + std::to_string(i) + "\">" + E(title) + "</a>" +
                         (d.Empty() ? " <span class=\"note\">(empty)</span>" : "") + "</li>\n";
            }
            if (!group.empty())
                m_out += "</ul></details></li>\n";
        }
    }

    void TreeCategory(const Category& c, size_t depth)
    {
        m_out += "<li><details open><summary>" + E(Utf8(c.name)) + "</summary><ul>\n";
        if (auto it = m_byOwner.find(&c); it != m_byOwner.end())
            DiagramLinks(it->second, depth + 1);
        std::vector<const Class*> classes(c.classes.begin(), c.classes.end());
        std::stable_sort(classes.begin(), classes.end(), [](const Class* a, const Class* b) { return Lower(Utf8(a->name)) < Lower(Utf8(b->name)); });
        for (const Class* k : classes)
            m_out += "<li data-find=\"" + E(Lower(Utf8(k->name))) + "\" data-target=\"" + ClassAnchor(*k) + "\">" + ClassRef(k) + "</li>\n";
        for (const Category* sub : c.categories)
            TreeCategory(*sub, depth + 1);
        m_out += "</ul></details></li>\n";
    }

    void TreeSubsystem(const Subsystem& s, size_t depth)
    {
        m_out += "<li><details open><summary>" + E(Utf8(s.name)) + "</summary><ul>\n";
        if (auto it = m_byOwner.find(&s); it != m_byOwner.end())
            DiagramLinks(it->second, depth + 1);
        for (const Module* m : s.modules)
            m_out += "<li>" + ClassRef(m) + "</li>\n";
        for (const Subsystem* sub : s.subsystems)
            TreeSubsystem(*sub, depth + 1);
        m_out += "</ul></details></li>\n";
    }

    void Relations(const char* title, const std::vector<Relation*>& list)
    {
        if (list.empty())
            return;
        m_out += "<p>" + std::string(title) + ": ";
        for (size_t i = 0; i < list.size(); ++i)
            m_out += (i ? ", " : "") + (list[i]->supplier ? ClassRef(list[i]->supplier) : E(Utf8(list[i]->supplierName)));
        m_out += "</p>\n";
    }

    void ClassSection(const Class& c)
    {
        m_out += "<section class=\"class\" id=\"" + ClassAnchor(c) + "\"><h3>" + E(Utf8(c.name)) + " <span class=\"kind\">" +
                 E(QualifiedPath(c)) + (c.isAbstract ? ", abstract" : "") + "</span></h3>\n";
        if (!c.stereotype.empty())
            m_out += "<p>Stereotype: \xC2\xAB" + E(Utf8(c.stereotype)) + "\xC2\xBB</p>\n";
        if (!c.documentation.empty())
            m_out += "<div class=\"doc\">" + E(DocumentationText(Utf8(c.documentation))) + "</div>\n";
        if (!c.attributes.empty()) {
            m_out += "<h4>Attributes</h4><ul>\n";
            for (const Attribute* a : c.attributes)
                m_out += "<li class=\"sig\">" + std::string(VisibilityMark(a->exportControl)) + E(AttributeText(*a)) + "</li>\n";
            m_out += "</ul>\n";
        }
        if (!c.operations.empty()) {
            m_out += "<h4>Operations</h4><ul>\n";
            for (const Operation* o : c.operations)
                m_out += "<li class=\"sig\">" + std::string(VisibilityMark(o->exportControl)) + E(OperationText(*o, true)) +
                         (o->isAbstract ? " <i>abstract</i>" : "") + "</li>\n";
            m_out += "</ul>\n";
        }
        Relations("Superclasses", c.superclasses);
        Relations("Realizes", c.realizations);
        Relations("Depends on", c.dependencies);
        if (auto it = m_subclasses.find(&c); it != m_subclasses.end()) {
            m_out += "<p>Subclasses: ";
            for (size_t i = 0; i < it->second.size(); ++i)
                m_out += (i ? ", " : "") + ClassRef(it->second[i]);
            m_out += "</p>\n";
        }
        if (!c.roles.empty()) {
            m_out += "<p>Associations:</p><ul>\n";
            for (const Role* r : c.roles) {
                const Role* other = r->OtherRole();
                m_out += "<li>" + E(Utf8(r->name.empty() ? ModelText() : r->name)) + (r->cardinality.empty() ? "" : " [" + E(Utf8(r->cardinality)) + "]") +
                         (r->isAggregate ? " (aggregate)" : "") + " &#8212; " +
                         (other ? ClassRef(other->cls) + (other->name.empty() ? "" : " as " + E(Utf8(other->name))) +
                                      (other->cardinality.empty() ? "" : " [" + E(Utf8(other->cardinality)) + "]")
                                : std::string("?")) +
                         "</li>\n";
            }
            m_out += "</ul>\n";
        }
        Properties(c);
        if (!c.assignedModules.empty()) {
            m_out += "<p>Components:</p><ul>\n";
            for (const Module* m : c.assignedModules) {
                const std::string file = m_in.componentFile ? m_in.componentFile(*m) : std::string();
                m_out += "<li>" + ClassRef(m) + (file.empty() ? "" : " &#8594; <code>" + E(file) + "</code>") + "</li>\n";
            }
            m_out += "</ul>\n";
        }
        m_out += "</section>\n";
    }

    void ModuleSection(const Module& m)
    {
        const std::string file = m_in.componentFile ? m_in.componentFile(m) : std::string();
        m_out += "<section class=\"component\" id=\"" + Anchor("component-", Utf8(m.quid)) + "\"><h3>" + E(Utf8(m.name)) +
                 " <span class=\"kind\">" + E(QualifiedPath(m)) + (m.language.empty() ? "" : ", " + E(Utf8(m.language))) +
                 "</span></h3>\n";
        if (!file.empty())
            m_out += "<p>Generates <code>" + E(file) + "</code></p>\n";
        if (!m.assignedClasses.empty()) {
            m_out += "<p>Classes: ";
            for (size_t i = 0; i < m.assignedClasses.size(); ++i)
                m_out += (i ? ", " : "") + ClassRef(m.assignedClasses[i]);
            m_out += "</p>\n";
        }
        Relations("Depends on", m.dependencies);
        Properties(m);
        m_out += "</section>\n";
    }

    // What `write` puts out goes into the page as raw text that the page's script turns into
    // sections when they come near the screen (or are linked to): a browser reads raw text
    // many times faster than it builds elements, so a model of thousands of classes opens
    // at once.
    // A big report's parts go into files of their own instead (see Assemble).
    template <typename Write>
    void Lazy(Write&& write, double height)
    {
        std::string page;
        std::swap(page, m_out);
        write();
        std::swap(page, m_out);
        m_out += std::string(1, kPartMark) + std::to_string(m_parts.size()) + kPartMark;
        m_parts.push_back({page, height});
    }

    // The page with its parts inline, or, past kInlineLimit and where a folder is given,
    // in files that call vexloPart(n, html) and a map of the ids each one holds.
    std::string Assemble(std::vector<ReportPart>* files)
    {
        size_t total = 0;
        for (const auto& part : m_parts)
            total += part.first.size();
        const bool external = files && !m_in.partsFolder.empty() && total > kInlineLimit;
        std::string page, ids;
        size_t from = 0;
        for (size_t at = m_out.find(kPartMark); at != std::string::npos; at = m_out.find(kPartMark, from)) {
            const size_t end = m_out.find(kPartMark, at + 1);
            const size_t n = std::stoul(m_out.substr(at + 1, end - at - 1));
            page.append(m_out, from, at - from);
            from = end + 1;
            const auto& [html, height] = m_parts[n];
            const std::string size = "min-height:" + std::to_string(static_cast<long>(height)) + "px";
            if (!external) {
                page += "<div class=\"lazy\" style=\"" + size + "\"><script type=\"text/x-vexlo-lazy\">" + html + "</script></div>\n";
                continue;
            }
            const std::string file = m_in.partsFolder + "/part" + std::to_string(n) + ".js";
            page += "<div class=\"lazy\" data-part=\"" + std::to_string(n) + "\" data-src=\"" + E(PercentEncode(file)) +
                    "\" style=\"" + size + "\"></div>\n";
            files->push_back({file, "vexloPart(" + std::to_string(n) + ", " + JsString(html) + ");\n"});
            for (size_t id = html.find(" id=\""); id != std::string::npos; id = html.find(" id=\"", id + 5)) {
                const size_t close = html.find('"', id + 5);
                ids += (ids.empty() ? "" : ",") + JsString(html.substr(id + 5, close - id - 5)) + ":" + std::to_string(n);
            }
        }
        page.append(m_out, from, std::string::npos);
        if (external)
            page.insert(page.rfind("<script>"), "<script>window.vexloIds={" + ids + "};</script>");
        return page;
    }

    // The element's Delphi and C# properties: those it changes, then a link to the default
    // set of its kind, which the report lists once.
    void Properties(const Element& e)
    {
        for (const std::wstring& tool : PropertyTools()) {
            const std::vector<PropertyRow> rows = PropertyRows(m_model, e, tool);
            if (rows.empty())
                continue;
            const std::string set = Utf8(m_model.DefaultSetName(e));
            const std::string anchor = Anchor("defaults-", Utf8(tool) + "-" + set);
            m_defaultSets.emplace(anchor, std::make_pair(&e, tool));
            const size_t changed = static_cast<size_t>(std::count_if(rows.begin(), rows.end(), [](const PropertyRow& r) { return r.changed; }));
            m_out += "<p>" + E(Utf8(tool)) + " properties: ";
            if (changed) {
                m_out += "</p><table><tr><th>Property</th><th>Value</th><th>Default</th></tr>\n";
                for (size_t i = 0; i < changed; ++i)
                    m_out += "<tr class=\"changed\"><td>" + E(rows[i].name) + "</td><td><code>" + E(rows[i].value) +
                             "</code></td><td><code>" + E(rows[i].defaultValue) + "</code></td></tr>\n";
                m_out += "</table><p>";
            }
            m_out += std::string(changed ? "the other " : "all ") + std::to_string(rows.size() - changed) +
                     " at the <a href=\"#" + anchor + "\">defaults of " + E(Utf8(tool) + " " + set) + "</a></p>\n";
        }
    }

    // Each default set an element of the report refers to, once.
    void DefaultSets()
    {
        if (m_defaultSets.empty())
            return;
        m_out += "<h2>Default properties</h2>\n";
        for (const auto& [anchor, user] : m_defaultSets) {
            const std::string set = Utf8(m_model.DefaultSetName(*user.first));
            m_out += "<section class=\"defaults\" id=\"" + anchor + "\"><h3>" + E(Utf8(user.second)) + " " + E(set) +
                     "</h3><table><tr><th>Property</th><th>Default</th></tr>\n";
            for (const PropertyRow& r : PropertyRows(m_model, *user.first, user.second))
                m_out += "<tr><td>" + E(r.name) + "</td><td><code>" + E(r.defaultValue) + "</code></td></tr>\n";
            m_out += "</table></section>\n";
        }
    }

    const ReportInput& m_in;
    const Model& m_model;
    std::string m_out;
    std::map<const Class*, bool> m_known;
    std::map<const Element*, std::vector<size_t>> m_byOwner;
    std::map<const Class*, std::vector<const Class*>> m_subclasses;
    std::vector<Class*> m_sorted;
    std::vector<std::pair<std::string, double>> m_parts; // lazily shown parts: html, estimated height
    std::map<std::string, std::pair<const Element*, std::wstring>> m_defaultSets; // anchor -> an element of the set, tool
};

} // namespace

std::string ClassAnchor(const Class& cls) { return Anchor("class-", Utf8(cls.quid)); }

std::string RenderIndex(const ReportInput& input, std::vector<ReportPart>* parts) { return Writer(input).Run(parts); }

} // namespace VexloDiagram
