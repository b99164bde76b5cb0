// Explanations that vexlo adds to a failed callback, so that a user learns why and where:
// what the HRESULT means, why a file could not be created, and which element the add-in
// was working on.
#pragma once

#include "vxplat/Com.h"

#include <string>
#include <vector>

namespace VexloCli {

// The HRESULT in words ("" when it is the add-in's own code, whose message says it).
std::wstring HresultMeaning(HRESULT hr);

// Why a file cannot be created at `path` (a path as the add-in builds it): a read-only
// file or folder, a folder in the way, a missing parent that cannot be created, no space,
// a name too long. "" when none of these is found.
std::wstring WhyCannotCreate(const std::wstring& path);

// The lines to add after a failure's own description: the HRESULT's meaning when the
// description does not say it, why a file named in "Can't create file <path>" cannot be
// created, and the element worked on last (`lastElement`, "" when unknown).
std::vector<std::wstring> ExplainFailure(HRESULT hr, const std::wstring& description, const std::wstring& lastElement);

} // namespace VexloCli
