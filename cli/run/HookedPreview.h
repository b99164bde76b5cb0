// What a generation run does for another command's preview (`vexlo reverse`, through
// RunHooks): the components whose files stand as the last run wrote them left out, the
// texts handed over, the model kept with its settings as loaded.
#pragma once

#include "ModelSetup.h"
#include "RunPlan.h"
#include "Shadow.h"
#include "TextForm.h"
#include "zones/ZoneGuard.h"

#include <map>
#include <string>
#include <vector>

namespace VexloCli {

// The components of the work whose every file RunHooks::unchanged says stands as the last
// run wrote it are taken out of the work (a selected class with them when all its
// components go; a language left nothing goes): their files as they stand, by lower-case
// "/"-separated path.
std::map<std::wstring, std::string> LeaveOutUnchanged(const RunPlan& plan, std::map<std::wstring, Selection>& work);

// Each planned file's new text (in the user's form, with the file as it stands) to
// RunHooks::onGenerated; a file left out with its text alone, marked so.
void HandTexts(const RunPlan& plan, const Shadow& shadow, const ZoneGuard& zoneGuard, TextForms& forms,
               const std::map<std::wstring, std::string>& leftOut);

// The settings of the model and its component packages, which the shadow redirects.
struct OwnSettings {
    std::vector<RoseHost::ToolProperty> model;
    std::vector<std::vector<RoseHost::ToolProperty>> subsystems;
};
OwnSettings OwnSettingsOf(const RoseHost::Model& model);
void PutBack(RoseHost::Model& model, OwnSettings settings);

} // namespace VexloCli
