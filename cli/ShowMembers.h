// `vexlo show --members`: each class's attributes and operations under its line, as the
// code will declare them, so that a user sees what a model (or a `vexlo reverse`) holds.
#pragma once

#include <string>

namespace RoseHost {
struct Class;
struct Model;
}

namespace VexloCli {

// One line per attribute, then per operation, indented by depth.
void ShowMembers(const RoseHost::Model& model, const RoseHost::Class& cls, size_t depth);

} // namespace VexloCli
