// Diagrams compared view by view. A diagram is a picture of the model: what changes in
// it (views added, removed, moved, resized, recoloured) is summarised per diagram and
// never counts as a change of the design.
#include "ModelDiff.h"

#include "RoseModel.h"
#include "Utf8.h"
#include "diagrams/DiagramReader.h"

#include <map>

namespace VexloDiff {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

std::string ViewKey(const View& v)
{
    if (!v.quidu.empty())
        return v.type + "\x1f" + v.quidu;
    return v.type + "\x1f" + (v.labels.empty() ? std::string() : v.labels[0].text);
}

// A view's place, size and looks, each compared on its own.
bool SamePlace(const View& a, const View& b)
{
    if (!(a.location == b.location) || a.vertices != b.vertices || a.labels.size() != b.labels.size())
        return false;
    for (size_t i = 0; i < a.labels.size(); ++i)
        if (!(a.labels[i].location == b.labels[i].location))
            return false;
    return true;
}

bool SameLooks(const View& a, const View& b)
{
    return a.lineColor == b.lineColor && a.fillColor == b.fillColor && a.font.size == b.font.size &&
           a.font.face == b.font.face && a.font.bold == b.font.bold && a.font.italics == b.font.italics &&
           a.font.color == b.font.color && a.iconStyle == b.iconStyle && a.flags == b.flags;
}

std::string ViewName(const View& v)
{
    if (v.element && !v.element->name.empty())
        return ToUtf8(v.element->name.str());
    if (!v.labels.empty() && !v.labels[0].text.empty())
        return v.labels[0].text;
    const size_t sep = v.qualified.rfind("::");
    return sep == std::string::npos ? v.qualified : v.qualified.substr(sep + 2);
}

DiagramPair PairViews(const Diagram* a, const Diagram* b)
{
    DiagramPair p;
    p.before = a;
    p.after = b;
    if (!a || !b)
        return p;
    p.partner.assign(a->views.size(), -1);
    p.partnerOf.assign(b->views.size(), -1);
    p.moved.assign(a->views.size(), false);
    p.resized.assign(a->views.size(), false);
    p.recoloured.assign(a->views.size(), false);
    std::multimap<std::string, int> byKey;
    for (size_t i = 0; i < b->views.size(); ++i)
        byKey.emplace(ViewKey(b->views[i]), static_cast<int>(i));
    for (size_t i = 0; i < a->views.size(); ++i) {
        auto it = byKey.find(ViewKey(a->views[i]));
        if (it == byKey.end())
            continue;
        const View& x = a->views[i];
        const View& y = b->views[static_cast<size_t>(it->second)];
        p.partner[i] = it->second;
        p.partnerOf[static_cast<size_t>(it->second)] = static_cast<int>(i);
        p.moved[i] = !SamePlace(x, y);
        p.resized[i] = x.width != y.width || x.height != y.height;
        p.recoloured[i] = !SameLooks(x, y);
        byKey.erase(it);
    }
    return p;
}

std::string Joined(const std::vector<std::string>& parts, const char* sep)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : sep) + p;
    return out;
}

std::string Counted(size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

void Line(DiffResult& result, char sign, const Diagram& d, const std::string& rest)
{
    Change c;
    c.sign = sign;
    c.kind = "diagram";
    c.element = DiagramPath(d);
    c.group = "Diagrams";
    c.layout = true;
    c.text = std::string(1, sign) + " diagram " + c.element + rest;
    result.changes.push_back(std::move(c));
}

// Views added or removed: boxes by name, lines counted.
std::string Shown(const Diagram& d, const std::vector<int>& partners, size_t& lines)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < d.views.size(); ++i) {
        if (partners[i] >= 0 || d.views[i].parent >= 0)
            continue;
        if (IsLineView(d.views[i].type))
            ++lines;
        else
            names.push_back(ViewName(d.views[i]));
    }
    return Joined(names, ", ");
}

void Summarise(const DiagramPair& p, DiffResult& result)
{
    std::vector<std::string> parts;
    size_t linesAdded = 0, linesRemoved = 0;
    const std::string added = Shown(*p.after, p.partnerOf, linesAdded);
    const std::string removed = Shown(*p.before, p.partner, linesRemoved);
    if (!added.empty() || linesAdded)
        parts.push_back("shows " + added + (linesAdded ? (added.empty() ? "" : " and ") + Counted(linesAdded, "more line") : ""));
    if (!removed.empty() || linesRemoved)
        parts.push_back("no longer shows " + removed +
                        (linesRemoved ? (removed.empty() ? "" : " and ") + Counted(linesRemoved, "line") : ""));
    size_t moved = 0, resized = 0, recoloured = 0;
    for (size_t i = 0; i < p.moved.size(); ++i) {
        moved += p.moved[i];
        resized += p.resized[i];
        recoloured += p.recoloured[i];
    }
    std::vector<std::string> layout;
    if (moved)
        layout.push_back(Counted(moved, "view") + " moved");
    if (resized)
        layout.push_back(std::to_string(resized) + " resized");
    if (recoloured)
        layout.push_back(std::to_string(recoloured) + " restyled");
    if (!layout.empty())
        parts.push_back("layout (" + Joined(layout, ", ") + ")");
    if (!parts.empty())
        Line(result, '~', *p.after, ": " + Joined(parts, "; "));
}

} // namespace

std::string DiagramPath(const Diagram& d)
{
    // Below "Logical View", as packages are named; the other views keep their root's name.
    std::string path;
    for (size_t i = 0; i < d.path.size(); ++i)
        if (i > 0 || d.path[i] != "Logical View")
            path += d.path[i] + "::";
    return path + (d.title.empty() ? d.name : d.title);
}

std::vector<DiagramPair> PairDiagrams(const DiagramSet& before, const DiagramSet& after)
{
    std::map<std::string, const Diagram*> byQuid;
    std::multimap<std::string, const Diagram*> byPath;
    for (const Diagram& d : before.diagrams) {
        if (!d.quid.empty())
            byQuid.emplace(d.quid, &d);
        byPath.emplace(d.type + "\x1f" + DiagramPath(d), &d);
    }
    std::vector<DiagramPair> pairs;
    std::map<const Diagram*, bool> used;
    auto take = [&](const Diagram* d) { return d && !used[d] ? (used[d] = true, d) : nullptr; };
    for (const Diagram& d : after.diagrams) {
        const Diagram* old = nullptr;
        if (auto it = byQuid.find(d.quid); !d.quid.empty() && it != byQuid.end())
            old = take(it->second);
        if (!old) {
            auto [from, to] = byPath.equal_range(d.type + "\x1f" + DiagramPath(d));
            for (auto it = from; it != to && !old; ++it)
                old = take(it->second);
        }
        pairs.push_back(PairViews(old, &d));
    }
    for (const Diagram& d : before.diagrams)
        if (!used[&d])
            pairs.push_back(PairViews(&d, nullptr));
    return pairs;
}

void CompareDiagrams(const DiagramSet& before, const DiagramSet& after, DiffResult& result)
{
    for (const DiagramPair& p : PairDiagrams(before, after)) {
        if (!p.before)
            Line(result, '+', *p.after, "");
        else if (!p.after)
            Line(result, '-', *p.before, "");
        else {
            // Its own title: a package renamed renames the path of every diagram in it.
            if ((p.before->title.empty() ? p.before->name : p.before->title) !=
                (p.after->title.empty() ? p.after->name : p.after->title))
                Line(result, '~', *p.before, " → " + DiagramPath(*p.after));
            Summarise(p, result);
        }
    }
    SortChanges(result.changes);
}

} // namespace VexloDiff
