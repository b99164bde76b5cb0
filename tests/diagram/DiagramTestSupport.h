// Loading a model with its diagrams, and reading back the elements of a rendered SVG.
#pragma once

#include "ModelLoader.h"
#include "diagrams/DiagramReader.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DiagramTest {

struct Loaded {
    std::unique_ptr<RoseHost::Model> model;
    RoseHost::Diagrams::DiagramSet set;
};

Loaded LoadText(const std::string& text, unsigned codePage = 1252);
Loaded LoadFile(const std::string& path, unsigned codePage, const std::map<std::wstring, std::wstring>& pathMap = {});

// One drawing element of an SVG with its attributes, its text, and the view group
// (data-view, data-line and class of the enclosing <g>) it belongs to.
struct SvgElement {
    std::string tag;
    std::map<std::string, std::string> attributes;
    std::string text;
    std::string groupClass, groupView;
    unsigned groupLine = 0;
    std::string Attr(const std::string& name) const
    {
        auto it = attributes.find(name);
        return it == attributes.end() ? std::string() : it->second;
    }
};

std::vector<SvgElement> ParseSvg(const std::string& svg);

// The 1-based line of the first occurrence of `marker` in `text`.
unsigned LineOf(const std::string& text, const std::string& marker);

} // namespace DiagramTest
