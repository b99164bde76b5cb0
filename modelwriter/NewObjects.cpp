#include "NewObjects.h"

#include "PetalText.h"

namespace VexloModelWriter {

namespace {

std::string ParameterText(const NewParameter& p, unsigned column, const std::string& eol)
{
    Fields fields;
    if (!p.type.empty())
        fields.emplace_back("type", StringValue(p.type, eol, column + 4));
    if (!p.initValue.empty())
        fields.emplace_back("initv", StringValue(p.initValue, eol, column + 4));
    return ObjectText("Parameter", p.name, fields, column, eol);
}

} // namespace

std::string ObjectText(const std::string& type, const std::string& name, const Fields& fields, unsigned column,
                       const std::string& eol)
{
    std::string out = "(object " + type;
    if (!name.empty())
        out.append(" ").append(StringValue(name, eol, 0));
    for (const auto& [field, value] : fields)
        out += eol + Indent(column + 4) + FieldText(field, value);
    return out + ")";
}

std::string ListText(const std::string& type, const std::vector<std::string>& items, unsigned itemColumn,
                     const std::string& eol)
{
    std::string out = "(list " + type;
    for (const std::string& item : items)
        out += eol + Indent(itemColumn) + item;
    return out + ")";
}

std::string SettingValue(const Setting& s, const std::string& eol, unsigned column)
{
    return s.word ? s.value : StringValue(s.value, eol, column);
}

std::string SettingText(const Setting& s, unsigned column, const std::string& eol)
{
    return ObjectText("Attribute", "",
                      {{"tool", StringValue(s.tool, eol, 0)},
                       {"name", StringValue(s.name, eol, 0)},
                       {"value", SettingValue(s, eol, column + 4)}},
                      column, eol);
}

void AddSettings(Fields& fields, const std::vector<Setting>& settings, unsigned column, const std::string& eol)
{
    if (settings.empty())
        return;
    std::vector<std::string> items;
    for (const Setting& s : settings)
        items.push_back(SettingText(s, column + 8, eol));
    fields.emplace_back("attributes", ListText("Attribute_Set", items, column + 8, eol));
}


std::string ParametersValue(const std::vector<NewParameter>& parameters, unsigned fieldColumn, const std::string& eol)
{
    std::vector<std::string> items;
    for (const NewParameter& p : parameters)
        items.push_back(ParameterText(p, fieldColumn + 4, eol));
    return ListText("Parameters", items, fieldColumn + 4, eol);
}

std::string AttributeText(const NewAttribute& a, const std::string& quid, unsigned column, const std::string& eol)
{
    Fields fields;
    AddSettings(fields, a.settings, column, eol);
    fields.emplace_back("quid", StringValue(quid, eol, 0));
    if (!a.documentation.empty())
        fields.emplace_back("documentation", StringValue(a.documentation, eol, column + 4));
    if (!a.type.empty())
        fields.emplace_back("type", StringValue(a.type, eol, column + 4));
    if (!a.initValue.empty())
        fields.emplace_back("initv", StringValue(a.initValue, eol, column + 4));
    fields.emplace_back("exportControl", StringValue(a.exportControl, eol, 0));
    if (a.isStatic)
        fields.emplace_back("static", "TRUE");
    return ObjectText("ClassAttribute", a.name, fields, column, eol);
}

std::string OperationText(const NewOperation& o, const std::string& quid, unsigned column, const std::string& eol)
{
    Fields fields;
    AddSettings(fields, o.settings, column, eol);
    fields.emplace_back("quid", StringValue(quid, eol, 0));
    if (!o.documentation.empty())
        fields.emplace_back("documentation", StringValue(o.documentation, eol, column + 4));
    if (!o.parameters.empty())
        fields.emplace_back("parameters", ParametersValue(o.parameters, column + 4, eol));
    if (!o.result.empty())
        fields.emplace_back("result", StringValue(o.result, eol, column + 4));
    fields.emplace_back("concurrency", "\"Sequential\"");
    fields.emplace_back("opExportControl", StringValue(o.exportControl, eol, 0));
    fields.emplace_back("uid", "0");
    return ObjectText("Operation", o.name, fields, column, eol);
}

std::string RelationText(const std::string& type, const std::string& quid, const std::string& supplier,
                         const std::string& supplierQuid, unsigned column, const std::string& eol)
{
    return ObjectText(type, "",
                      {{"quid", StringValue(quid, eol, 0)},
                       {"supplier", StringValue(supplier, eol, 0)},
                       {"quidu", StringValue(supplierQuid, eol, 0)}},
                      column, eol);
}

} // namespace VexloModelWriter
