#include "Report.h"

#include "Utf8.h"

#include <cstdio>
#include <map>

namespace VexloDiff {

namespace {

constexpr size_t kFoldAbove = 15; // a group of more lines is folded in the Markdown

std::string Counted(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string Json(const std::string& text) { return RoseHost::JsonQuoted(text); }

// Markdown table cells and headings: characters that would end or format them escaped.
std::string Cell(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '|' ? std::string("\\|") : c == '<' ? std::string("&lt;") : std::string(1, c);
    return out;
}

// The area of the table a line counts in.
const char* Area(const Change& c)
{
    if (c.layout)
        return "Diagrams";
    if (c.kind == "class")
        return "Classes";
    if (c.kind == "attribute" || c.kind == "operation" || c.kind == "parameter" || c.kind == "role")
        return "Members";
    if (c.kind == "generalization" || c.kind == "realization" || c.kind == "dependency" || c.kind == "has" ||
        c.kind == "association")
        return c.group.compare(0, 14, "Component View") == 0 ? "Components and packages" : "Relations";
    if (c.kind == "property" || c.kind == "documentation")
        return "Properties and documentation";
    return "Components and packages";
}

} // namespace

std::string Summary(const DiffResult& r)
{
    const size_t added = r.Count('+', false), removed = r.Count('-', false), changed = r.Count('~', false);
    const size_t layout = r.Count('+', true) + r.Count('-', true) + r.Count('~', true);
    std::string text = added + removed + changed == 0
                           ? std::string("no change of the design")
                           : Counted(added + removed + changed, "change", "changes") + " (" + std::to_string(added) +
                                 " added, " + std::to_string(removed) + " removed, " + std::to_string(changed) + " changed)";
    if (layout)
        text += "; " + Counted(layout, "diagram change", "diagram changes") + " (pictures only)";
    return text;
}

std::string TextReport(const ReportInput& in)
{
    std::string out, group;
    for (const Change& c : in.result->changes) {
        if (c.group != group) {
            group = c.group;
            out += group + "\n";
        }
        out += "  " + c.text + "\n";
    }
    if (in.withCode) {
        out += "Generated files the change alters:" + std::string(in.code.empty() ? " none\n" : "\n");
        for (const std::string& f : in.code)
            out += "  " + f + "\n";
    }
    return out + Summary(*in.result) + "\n";
}

std::string MarkdownReport(const ReportInput& in)
{
    const DiffResult& r = *in.result;
    std::string out = "### Model changes: `" + in.before + "` → `" + in.after + "`\n\n" + Summary(r) + "\n\n";
    if (!r.changes.empty()) {
        const char* areas[] = {"Classes", "Members", "Relations", "Components and packages", "Properties and documentation",
                               "Diagrams"};
        std::map<std::string, std::map<char, size_t>> counts;
        for (const Change& c : r.changes)
            ++counts[Area(c)][c.sign];
        out += "| | Added | Removed | Changed |\n|---|---:|---:|---:|\n";
        for (const char* area : areas)
            if (counts.count(area))
                out += std::string("| ") + area + " | " + std::to_string(counts[area]['+']) + " | " +
                       std::to_string(counts[area]['-']) + " | " + std::to_string(counts[area]['~']) + " |\n";
        out += "\n";
    }
    for (size_t i = 0; i < r.changes.size();) {
        size_t end = i;
        while (end < r.changes.size() && r.changes[end].group == r.changes[i].group)
            ++end;
        const std::string heading = Cell(r.changes[i].group) + " (" + Counted(end - i, "change", "changes") + ")";
        const bool fold = end - i > kFoldAbove;
        out += fold ? "<details><summary><b>" + heading + "</b></summary>\n\n" : "#### " + heading + "\n\n";
        out += "```diff\n";
        for (size_t k = i; k < end; ++k)
            out += r.changes[k].text + "\n";
        out += "```\n";
        out += fold ? "\n</details>\n\n" : "\n";
        i = end;
    }
    if (in.withCode) {
        out += "#### Generated files the change alters\n\n";
        if (in.code.empty())
            out += "none\n";
        for (const std::string& f : in.code)
            out += "- `" + f + "`\n";
        out += "\n";
    }
    if (!in.pictures.empty())
        out += "The changed diagrams, old and new side by side: `" + in.pictures + "` (in the run's artifacts).\n";
    return out;
}

std::string JsonReport(const ReportInput& in)
{
    const DiffResult& r = *in.result;
    std::string out = "{\n  \"version\": 1,\n  \"before\": " + Json(in.before) + ",\n  \"after\": " + Json(in.after) + ",\n";
    out += "  \"summary\": {\"added\": " + std::to_string(r.Count('+', false)) + ", \"removed\": " +
           std::to_string(r.Count('-', false)) + ", \"changed\": " + std::to_string(r.Count('~', false)) +
           ", \"diagrams\": " + std::to_string(r.Count('+', true) + r.Count('-', true) + r.Count('~', true)) +
           ", \"designChanged\": " + (r.DesignChanged() ? "true" : "false") + "},\n  \"changes\": [";
    for (size_t i = 0; i < r.changes.size(); ++i) {
        const Change& c = r.changes[i];
        out += std::string(i ? "," : "") + "\n    {\"change\": " +
               Json(c.sign == '+' ? "added" : c.sign == '-' ? "removed" : "changed") + ", \"kind\": " + Json(c.kind) +
               ", \"element\": " + Json(c.element) + ", \"id\": " + Json(c.id) +
               ", \"group\": " + Json(c.group) + ", \"owner\": " + Json(c.owner) + ", \"field\": " + Json(c.field) +
               ", \"before\": " + Json(c.before) + ", \"after\": " + Json(c.after) + ", \"layout\": " +
               (c.layout ? "true" : "false") + ", \"text\": " + Json(c.text) + "}";
    }
    out += std::string(r.changes.empty() ? "" : "\n  ") + "]";
    if (in.withCode) {
        out += ",\n  \"code\": [";
        for (size_t i = 0; i < in.code.size(); ++i)
            out += std::string(i ? ", " : "") + Json(in.code[i]);
        out += "]";
    }
    if (!in.pictures.empty())
        out += ",\n  \"pictures\": " + Json(in.pictures);
    return out + "\n}\n";
}

} // namespace VexloDiff
