#include "HtmlReport.h"

#include "MemberText.h"
#include "RoseModel.h"
#include "SvgWriter.h"

#include <algorithm>
#include <map>

namespace VexloDiagram {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

const char* const kStyle = R"(body{font-family:Arial,Helvetica,sans-serif;margin:0;display:flex;color:#222}
nav{width:20em;min-width:20em;height:100vh;overflow:auto;position:sticky;top:0;background:#f4f4f0;padding:1em;box-sizing:border-box;font-size:90%}
nav ul{list-style:none;padding-left:1em;margin:0}nav>ul{padding-left:0}summary{cursor:pointer}
main{padding:1em 2em;overflow:auto;flex:1}section{margin-bottom:2em}
.diagram svg{max-width:100%;height:auto;border:1px solid #ccc}
code,.sig{font-family:Consolas,monospace}.doc{white-space:pre-wrap;background:#fafaf4;padding:.5em}
table{border-collapse:collapse}td,th{border:1px solid #ddd;padding:2px 6px;text-align:left}
.kind{color:#777;font-size:85%})";

std::string E(const std::string& s) { return XmlEscape(s); }

std::string Anchor(const std::string& prefix, const std::string& id)
{
    std::string out = prefix;
    for (char c : id)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    return out;
}

class Writer {
public:
    explicit Writer(const ReportInput& in) : m_in(in), m_model(*in.model)
    {
        for (const Class* c : m_model.allClasses)
            m_known.insert({c, true});
        for (size_t i = 0; i < in.diagrams->diagrams.size(); ++i) {
            const Diagram& d = in.diagrams->diagrams[i];
            m_byOwner[d.owner].push_back(i);
        }
        for (const Class* c : m_model.allClasses)
            for (const Relation* r : c->superclasses)
                if (r->supplier && r->supplier->kind == ElementKind::Class)
                    m_subclasses[static_cast<const Class*>(r->supplier)].push_back(c);
    }

    std::string Run()
    {
        m_out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + E(Utf8(m_model.name)) +
                " - model report</title><style>" + kStyle + "</style></head><body>\n<nav><h2>" + E(Utf8(m_model.name)) +
                "</h2><ul>\n";
        for (const Category* root : {m_model.rootCategory, m_model.useCaseCategory})
            if (root)
                TreeCategory(*root);
        if (m_model.rootSubsystem)
            TreeSubsystem(*m_model.rootSubsystem);
        if (auto it = m_byOwner.find(nullptr); it != m_byOwner.end())
            DiagramLinks(it->second);
        m_out += "</ul></nav>\n<main>\n<h1>" + E(Utf8(m_model.name)) + "</h1>\n";
        if (!m_model.documentation.empty())
            m_out += "<p class=\"doc\">" + E(Utf8(m_model.documentation)) + "</p>\n";
        m_out += "<h2>Diagrams</h2>\n";
        SvgOptions svg;
        svg.inlined = true;
        svg.classLink = [](const Class& c) { return std::string(1, '#').append(ClassAnchor(c)); };
        for (size_t i = 0; i < m_in.diagrams->diagrams.size(); ++i) {
            const Diagram& d = m_in.diagrams->diagrams[i];
            m_out += "<section class=\"diagram\" id=\"diagram-" + std::to_string(i) + "\"><h3>" + E(Title(d)) +
                     " <span class=\"kind\">" + E(d.type) + "</span></h3><p><a href=\"" + E(m_in.svgFiles[i]) + "\">" +
                     E(m_in.svgFiles[i]) + "</a></p>\n" + RenderSvg(d, *m_in.diagrams, svg) + "</section>\n";
        }
        m_out += "<h2>Classes</h2>\n";
        for (const Class* c : m_model.allClasses)
            ClassSection(*c);
        m_out += "<h2>Components</h2>\n";
        for (const Module* m : m_model.allModules)
            ModuleSection(*m);
        m_out += "</main></body></html>\n";
        return m_out;
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

    void DiagramLinks(const std::vector<size_t>& list)
    {
        for (size_t i : list) {
            const Diagram& d = m_in.diagrams->diagrams[i];
            m_out += "<li>&#9638; <a href=\"#diagram-" + std::to_string(i) + "\">" + E(d.title.empty() ? d.name : d.title) +
                     "</a></li>\n";
        }
    }

    void TreeCategory(const Category& c)
    {
        m_out += "<li><details open><summary>" + E(Utf8(c.name)) + "</summary><ul>\n";
        if (auto it = m_byOwner.find(&c); it != m_byOwner.end())
            DiagramLinks(it->second);
        for (const Class* k : c.classes)
            m_out += "<li>" + ClassRef(k) + "</li>\n";
        for (const Category* sub : c.categories)
            TreeCategory(*sub);
        m_out += "</ul></details></li>\n";
    }

    void TreeSubsystem(const Subsystem& s)
    {
        m_out += "<li><details open><summary>" + E(Utf8(s.name)) + "</summary><ul>\n";
        if (auto it = m_byOwner.find(&s); it != m_byOwner.end())
            DiagramLinks(it->second);
        for (const Module* m : s.modules)
            m_out += "<li>" + ClassRef(m) + "</li>\n";
        for (const Subsystem* sub : s.subsystems)
            TreeSubsystem(*sub);
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
            m_out += "<div class=\"doc\">" + E(Utf8(c.documentation)) + "</div>\n";
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
        m_out += "</section>\n";
    }

    const ReportInput& m_in;
    const Model& m_model;
    std::string m_out;
    std::map<const Class*, bool> m_known;
    std::map<const Element*, std::vector<size_t>> m_byOwner;
    std::map<const Class*, std::vector<const Class*>> m_subclasses;
};

} // namespace

std::string ClassAnchor(const Class& cls) { return Anchor("class-", Utf8(cls.quid)); }

std::string RenderIndex(const ReportInput& input) { return Writer(input).Run(); }

} // namespace VexloDiagram
