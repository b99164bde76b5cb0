#include "ElementProperties.h"

#include "MemberText.h"
#include "RoseModel.h"

#include <algorithm>

namespace VexloDiagram {

using namespace RoseHost;

const std::vector<std::wstring>& PropertyTools()
{
    static const std::vector<std::wstring> tools = {L"Delphi", L"C#"};
    return tools;
}

std::vector<PropertyRow> PropertyRows(const Model& model, const Element& element, const std::wstring& tool)
{
    const std::vector<ToolProperty>* defaults = nullptr;
    if (auto t = model.defaults.find(tool); t != model.defaults.end())
        if (auto set = t->second.find(model.DefaultSetName(element)); set != t->second.end())
            defaults = &set->second;
    std::vector<PropertyRow> rows;
    for (const ToolProperty& p : model.GetToolProperties(element, tool)) {
        if (!p.items.empty())
            continue; // the list of an enumeration's values, no setting
        PropertyRow row;
        row.name = Utf8(p.name);
        row.value = Utf8(p.value);
        bool hasDefault = false;
        if (defaults)
            for (const ToolProperty& d : *defaults)
                if (d.name.str() == p.name.str()) {
                    row.defaultValue = Utf8(d.value);
                    hasDefault = true;
                    break;
                }
        const ToolProperty* own = element.FindOwnProperty(tool, p.name.str());
        row.changed = own && (!hasDefault || row.value != row.defaultValue);
        rows.push_back(std::move(row));
    }
    std::stable_partition(rows.begin(), rows.end(), [](const PropertyRow& r) { return r.changed; });
    return rows;
}

} // namespace VexloDiagram
