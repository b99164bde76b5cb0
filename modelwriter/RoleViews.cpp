// The views of a role whose end moves to another class: in each class diagram that shows
// the association, the role's line ends at the new class's box; where the diagram has no
// box of that class, the association's view is taken out (it would end at a class the
// association no longer has).
#include "ModelWriter.h"
#include "PetalText.h"

#include <set>

namespace VexloModelWriter {

using namespace RoseHost;

namespace {

std::string Narrow(const std::wstring& w) { return AnsiText(w); }

std::string_view ValueOf(std::string_view text, const ObjectSpan& o, std::string_view field)
{
    const FieldSpan* f = o.Find(field);
    return f ? text.substr(f->valueBegin, f->valueEnd - f->valueBegin) : std::string_view();
}

// The object of `type` that starts last before `at` and holds it.
std::optional<ObjectSpan> Around(std::string_view text, const std::string& type, size_t at)
{
    for (size_t from = text.rfind("(object " + type + " ", at); from != std::string_view::npos;
         from = from == 0 ? std::string_view::npos : text.rfind("(object " + type + " ", from - 1)) {
        ObjectSpan o = ScanObject(text, from, text.size());
        if (o.close > at)
            return o;
    }
    return std::nullopt;
}

// The "@n" of the box of the class with `quid` in [begin, end), and its span.
std::optional<std::pair<std::string, ObjectSpan>> ClassBox(std::string_view text, size_t begin, size_t end,
                                                           const std::string& quid)
{
    for (size_t at = text.find("(object ClassView ", begin); at < end; at = text.find("(object ClassView ", at + 1)) {
        ObjectSpan o = ScanObject(text, at, text.size());
        if (ValueOf(text, o, "quidu") != quid)
            continue;
        const std::string_view header = text.substr(o.nameBegin, o.headerEnd - o.nameBegin);
        const size_t ref = header.rfind('@');
        if (ref == std::string_view::npos)
            return std::nullopt;
        size_t stop = ref + 1;
        while (stop < header.size() && header[stop] >= '0' && header[stop] <= '9')
            ++stop;
        return std::make_pair(std::string(header.substr(ref, stop - ref)), o);
    }
    return std::nullopt;
}

} // namespace

void ModelWriter::MoveRoleViews(const Role& role, const Class& cls)
{
    std::set<std::wstring> paths;
    for (const Category* c : m_model.allCategories)
        if (c->textEnd > c->textBegin)
            paths.insert(c->SourceFile());
    auto quoted = [](const std::wstring& quid) {
        std::string text(1, '"');
        text += Narrow(quid);
        text += '"';
        return text;
    };
    const std::string roleQuid = quoted(role.quid), classQuid = quoted(cls.quid);
    for (const std::wstring& path : paths) {
        File& f = Load(path);
        const std::string_view text = f.text;
        for (size_t at = text.find("(object RoleView "); at != std::string_view::npos;
             at = text.find("(object RoleView ", at + 1)) {
            const ObjectSpan view = ScanObject(text, at, text.size());
            if (ValueOf(text, view, "quidu") != roleQuid)
                continue;
            const auto diagram = Around(text, "ClassDiagram", at);
            const FieldSpan* supplier = view.Find("supplier");
            const auto box = diagram ? ClassBox(text, diagram->begin, diagram->close, classQuid) : std::nullopt;
            if (box && supplier) {
                Put(f, supplier->valueBegin, supplier->valueEnd - supplier->valueBegin, box->first);
                const FieldSpan* end = view.Find("terminal_attachment");
                if (const std::string_view place = ValueOf(text, box->second, "location"); end && !place.empty())
                    Put(f, end->valueBegin, end->valueEnd - end->valueBegin, std::string(place));
            } else if (const auto association = Around(text, "AssociationViewNew", at)) {
                size_t from = text.rfind('\n', association->begin);
                from = from == std::string_view::npos ? association->begin : from + 1;
                from = from >= m_eol.size() ? from - m_eol.size() : from;
                Put(f, from, association->close + 1 - from, "");
                at = association->close;
            }
        }
    }
}

} // namespace VexloModelWriter
