// What a C# member text needs to know of the type it belongs to. The type reads it
// once and hands it to each member, so that members do not read their class again.
#pragma once

#include <string>

struct CVXCSharpOwner
{
    std::wstring ClassName;
    // The type is an interface: members get no access word, no modifier, no body.
    bool IsInterface = false;
    // Namespace nesting of the type: preserved member bodies lose Depth + 2 units.
    int Depth = 0;
    // The constructor lines of the attributes' initial values (each a unit, the
    // assignment and CR LF); Known is false until they have been gathered.
    bool InitializersKnown = false;
    std::wstring Initializers;
};
