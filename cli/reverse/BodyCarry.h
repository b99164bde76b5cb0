// The bodies of methods the user added in code, carried into the zones of the operations
// reverse adds for them: zones in marker form, appended to the add-in's copy of the old
// file, found by the new operation's id as any old zone is.
#pragma once

#include "Declarations.h"

#include <string>
#include <vector>

namespace VexloReverse {

struct AddedMethod {
    const VexloCode::Member* member; // its declaration in the user's file (a method, or a property)
    std::string className;
    std::string id;                  // the new operation's (or the attribute's) unique id
    // "" for an operation; "get" or "set" for a property's accessor: the Delphi read or
    // write method `name`, the C# get or set block of the property.
    std::string accessor = "";
    std::string name = "";           // Delphi: the method's name ("" = the member's); C#: the zones' scope name
};

// The zones of the added methods whose bodies the user's text holds.
std::string CarriedZones(const std::string& userText, bool csharp, const std::vector<AddedMethod>& added);

} // namespace VexloReverse
