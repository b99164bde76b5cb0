#include "PicturesPage.h"

#include "SvgWriter.h"

#include <set>

namespace VexloDiff {

using namespace RoseHost::Diagrams;

namespace {

const char* const kStyle = R"(<style>
body { font-family: Arial, 'Liberation Sans', sans-serif; margin: 1em; color: #1f2328; }
.legend span { display: inline-block; padding: 0 .5em; margin-right: .5em; border-left: 1.2em solid; }
.sides { display: flex; gap: 1em; align-items: flex-start; }
.side { flex: 1 1 0; min-width: 0; border: 1px solid #d0d7de; padding: .5em; }
.side h2 { font-size: 1em; margin: 0 0 .5em 0; }
.side svg { max-width: 100%; height: auto; }
g[data-change="unchanged"] { opacity: .3; }
g[data-change="added"] :is(rect, path, circle, ellipse, polygon, polyline, line) { stroke: #1a7f37; stroke-width: 9px; }
g[data-change="added"] rect.box { fill: #dafbe1; }
g[data-change="removed"] :is(rect, path, circle, ellipse, polygon, polyline, line) { stroke: #cf222e; stroke-width: 9px; }
g[data-change="removed"] rect.box { fill: #ffebe9; }
g[data-change="changed"] :is(rect, path, circle, ellipse, polygon, polyline, line) { stroke: #bf8700; stroke-width: 9px; }
g[data-change="changed"] rect.box { fill: #fff8c5; }
</style>
)";

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : c == '>' ? std::string("&gt;")
               : c == '"' ? std::string("&quot;") : std::string(1, c);
    return out;
}

std::string FileName(const std::string& path, std::set<std::string>& used)
{
    std::string stem;
    for (unsigned char c : path)
        stem += c < 0x20 || std::string_view(" <>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos ? '_'
                                                                                                               : static_cast<char>(c);
    // Two underscores in a row become one dash, as often as they come.
    std::string joined;
    for (char c : stem) {
        if (c == '_' && !joined.empty() && joined.back() == '_')
            joined.back() = '-';
        else
            joined += c;
    }
    stem = std::move(joined);
    std::string name = (stem.empty() ? "diagram" : stem) + ".html";
    for (int n = 2; !used.insert(name).second; ++n)
        name = stem + "-" + std::to_string(n) + ".html";
    return name;
}

char MarkOf(const View& v, const DiffResult& r)
{
    auto it = v.quidu.empty() ? r.marks.end() : r.marks.find(v.quidu);
    return it == r.marks.end() ? 0 : it->second;
}

// The state of each view of one side: added, removed, changed or unchanged.
std::vector<std::string> States(const DiagramPair& p, bool before, const DiffResult& r)
{
    const Diagram& d = before ? *p.before : *p.after;
    const bool alone = !p.before || !p.after;
    std::vector<std::string> states(d.views.size(), "unchanged");
    for (size_t i = 0; i < d.views.size(); ++i) {
        const char mark = MarkOf(d.views[i], r);
        const int other = alone ? -1 : before ? p.partner[i] : p.partnerOf[i];
        const size_t b = before ? i : static_cast<size_t>(other);
        const bool layout = other >= 0 && (p.moved[b] || p.resized[b] || p.recoloured[b]);
        // A view of an element that is gone is red on both sides, one of a new element green.
        if (mark == '-' || mark == '+')
            states[i] = mark == '-' ? "removed" : "added";
        else if (other < 0)
            states[i] = before ? "removed" : "added";
        else if (mark == '~' || layout)
            states[i] = "changed";
    }
    // A part (a role's end) shows what its line shows when the line itself changed.
    for (size_t i = 0; i < d.views.size(); ++i)
        if (d.views[i].parent >= 0 && states[i] == "unchanged")
            states[i] = states[static_cast<size_t>(d.views[i].parent)];
    return states;
}

std::string Side(const char* heading, const std::string& model, const Diagram* d, const DiagramSet& set,
                 const std::vector<std::string>& states)
{
    std::string out = "<div class=\"side\" data-side=\"" + std::string(heading) + "\"><h2>" + heading + ": " +
                      Escape(model) + "</h2>\n";
    if (!d)
        return out + "<p>(not in this model)</p></div>\n";
    VexloDiagram::SvgOptions options;
    options.inlined = true;
    options.viewAttributes = [&](const View& v) {
        const size_t i = static_cast<size_t>(&v - d->views.data());
        return i < states.size() ? " data-change=\"" + states[i] + "\"" : std::string();
    };
    return out + VexloDiagram::RenderSvg(*d, set, options) + "</div>\n";
}

} // namespace

std::vector<PicturePage> PicturePages(const DiagramSet& before, const DiagramSet& after, const DiffResult& result,
                                      const std::string& beforeName, const std::string& afterName)
{
    std::vector<PicturePage> pages;
    std::set<std::string> used{"index.html"};
    for (const DiagramPair& p : PairDiagrams(before, after)) {
        const std::vector<std::string> old = p.before ? States(p, true, result) : std::vector<std::string>();
        const std::vector<std::string> now = p.after ? States(p, false, result) : std::vector<std::string>();
        PicturePage page;
        for (const auto* states : {&old, &now})
            for (const std::string& s : *states) {
                page.added += s == "added";
                page.removed += s == "removed";
                page.changed += s == "changed";
            }
        const bool renamed = p.before && p.after && p.before->title != p.after->title;
        if (page.added + page.removed + page.changed == 0 && p.before && p.after && !renamed)
            continue;
        page.title = DiagramPath(p.after ? *p.after : *p.before);
        page.fileName = FileName(page.title, used);
        page.html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + Escape(page.title) +
                    "</title>\n" + kStyle + "</head><body>\n<h1>Diagram " + Escape(page.title) + "</h1>\n" +
                    "<p class=\"legend\"><span style=\"border-color:#1a7f37\">added</span><span style=\"border-color:#cf222e\">"
                    "removed</span><span style=\"border-color:#bf8700\">changed</span><span style=\"border-color:#d0d7de\">"
                    "unchanged (faded)</span> <a href=\"index.html\">all changed diagrams</a></p>\n<div class=\"sides\">\n" +
                    Side("Before", beforeName, p.before, before, old) + Side("After", afterName, p.after, after, now) +
                    "</div>\n</body></html>\n";
        pages.push_back(std::move(page));
    }
    return pages;
}

std::string PicturesIndex(const std::vector<PicturePage>& pages, const std::string& beforeName, const std::string& afterName)
{
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Changed diagrams</title>\n" +
                      std::string(kStyle) + "</head><body>\n<h1>Changed diagrams</h1>\n<p>" + Escape(beforeName) + " → " +
                      Escape(afterName) + "</p>\n<ul>\n";
    for (const PicturePage& p : pages)
        out += "<li><a href=\"" + Escape(p.fileName) + "\">" + Escape(p.title) + "</a>: " + std::to_string(p.added) +
               " added, " + std::to_string(p.removed) + " removed, " + std::to_string(p.changed) + " changed</li>\n";
    if (pages.empty())
        out += "<li>no diagram changed</li>\n";
    return out + "</ul>\n</body></html>\n";
}

} // namespace VexloDiff
