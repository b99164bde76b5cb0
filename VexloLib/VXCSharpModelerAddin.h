// The C# add-in inside Microsoft Visual Modeler.
#pragma once

#include "VXCSharpAddIn.h"

class CVXCSharpModelerAddin : public CVXCSharpAddIn
{
public:
    CVXCSharpModelerAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXCSharpModelerAddin() override;

    static LmLib::CLmPtr<CVXCSharpModelerAddin> Create(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
};
