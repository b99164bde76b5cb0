// The C# add-in inside Rational Rose.
#pragma once

#include "VXCSharpAddIn.h"

class CVXCSharpRoseAddin : public CVXCSharpAddIn
{
public:
    CVXCSharpRoseAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXCSharpRoseAddin() override;

    static LmLib::CLmPtr<CVXCSharpRoseAddin> Create(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
};
