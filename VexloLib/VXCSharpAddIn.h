// The C# add-in object.
#pragma once

#include "VXAddin.h"

class CVXCSharpAddIn : public CVXAddin
{
public:
    CVXCSharpAddIn(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXCSharpAddIn() override;

    LmLib::Values::CLmBSTR GetLanguageName() override;
};
