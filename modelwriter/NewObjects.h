// The text of the objects the model writer adds, as the modelling tool writes them: each
// field on a line of its own at the object's column + 4, list items at + 8, names padded.
#pragma once

#include "ModelWriter.h"

#include <string>
#include <utility>
#include <vector>

namespace VexloModelWriter {

using Fields = std::vector<std::pair<std::string, std::string>>;

// "(object Type "name"" and its fields, the object standing at `column`.
std::string ObjectText(const std::string& type, const std::string& name, const Fields& fields, unsigned column,
                       const std::string& eol);
std::string ListText(const std::string& type, const std::vector<std::string>& items, unsigned itemColumn,
                     const std::string& eol);
std::string SettingValue(const Setting& s, const std::string& eol, unsigned column);
std::string SettingText(const Setting& s, unsigned column, const std::string& eol);
// The "attributes" field of a new object at `column`, when it has settings.
void AddSettings(Fields& fields, const std::vector<Setting>& settings, unsigned column, const std::string& eol);
std::string ParametersValue(const std::vector<NewParameter>& parameters, unsigned fieldColumn, const std::string& eol);
std::string AttributeText(const NewAttribute& a, const std::string& quid, unsigned column, const std::string& eol);
std::string OperationText(const NewOperation& o, const std::string& quid, unsigned column, const std::string& eol);
std::string RelationText(const std::string& type, const std::string& quid, const std::string& supplier,
                         const std::string& supplierQuid, unsigned column, const std::string& eol);

} // namespace VexloModelWriter
