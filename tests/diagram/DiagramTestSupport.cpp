#include "DiagramTestSupport.h"

#include <regex>

namespace DiagramTest {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

Loaded LoadText(const std::string& text, unsigned codePage)
{
    Loaded loaded;
    DiagramReader reader;
    LoadOptions options;
    options.codePage = codePage;
    reader.Attach(options);
    loaded.model = LoadRoseModelFromText(text, L"hand.mdl", options);
    loaded.set = reader.Finish(*loaded.model);
    return loaded;
}

Loaded LoadFile(const std::string& path, unsigned codePage, const std::map<std::wstring, std::wstring>& pathMap)
{
    Loaded loaded;
    DiagramReader reader;
    LoadOptions options;
    options.codePage = codePage;
    options.pathMap = pathMap;
    reader.Attach(options);
    loaded.model = LoadRoseModel(std::wstring(path.begin(), path.end()), options);
    loaded.set = reader.Finish(*loaded.model);
    return loaded;
}

std::vector<SvgElement> ParseSvg(const std::string& svg)
{
    static const std::regex tagRe(R"(<(/?)([a-z]+)((?:\s+[a-zA-Z-]+="[^"]*")*)\s*(/?)>)");
    static const std::regex attrRe(R"re(([a-zA-Z-]+)="([^"]*)")re");
    std::vector<SvgElement> out;
    std::vector<SvgElement> groups;
    SvgElement* openText = nullptr;
    size_t textStart = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tagRe); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        const bool closing = m[1].length() > 0, selfClosing = m[4].length() > 0;
        const std::string tag = m[2];
        if (closing) {
            if (tag == "g" && !groups.empty())
                groups.pop_back();
            if (tag == "text" && openText) {
                openText->text = svg.substr(textStart, static_cast<size_t>(m.position(0)) - textStart);
                openText = nullptr;
            }
            continue;
        }
        SvgElement e;
        e.tag = tag;
        const std::string attrs = m[3];
        for (auto a = std::sregex_iterator(attrs.begin(), attrs.end(), attrRe); a != std::sregex_iterator(); ++a)
            e.attributes[(*a)[1]] = (*a)[2];
        if (tag == "g") {
            groups.push_back(e);
            continue;
        }
        if (!groups.empty()) {
            e.groupClass = groups.back().Attr("class");
            e.groupView = groups.back().Attr("data-view");
            e.groupLine = static_cast<unsigned>(std::stoul("0" + groups.back().Attr("data-line")));
        }
        out.push_back(e);
        if (tag == "text" && !selfClosing) {
            openText = &out.back();
            textStart = static_cast<size_t>(m.position(0) + m.length(0));
        }
    }
    return out;
}

unsigned LineOf(const std::string& text, const std::string& marker)
{
    const size_t at = text.find(marker);
    unsigned line = 1;
    for (size_t i = 0; i < at && i < text.size(); ++i)
        line += text[i] == '\n';
    return line;
}

} // namespace DiagramTest
