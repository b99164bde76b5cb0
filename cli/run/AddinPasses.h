// The add-ins driven as Rose drives them: activated, one generation pass (and a second
// one that places zones carried between files), deactivated also after a failure.
#pragma once

#include "AddinLoader.h"
#include "Commands.h"
#include "ModelSetup.h"
#include "zones/ZoneGuard.h"

#include <map>
#include <memory>
#include <string>

namespace VexloCli {

struct RunPlan;
class Shadow;
class RunReport;

// Each add-in gets the selection of its language (work). Returns ExitOk, or
// ExitHostError after a failure it has explained.
int RunAddins(const Options& options, const Installation& installation, const HostTrace& trace,
              const std::shared_ptr<RoseHost::Model>& model, std::map<std::wstring, Selection>& work,
              const RunPlan& plan, const Shadow& shadow, ZoneGuard& zoneGuard, const ZoneGuard::NewPath& newPath,
              RunReport& report, bool preview);

} // namespace VexloCli
