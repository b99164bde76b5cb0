// The Delphi add-in object.
#pragma once

#include "VXAddin.h"

class CVXDelphiAddin : public CVXAddin
{
public:
    CVXDelphiAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXDelphiAddin() override;

    LmLib::Values::CLmBSTR GetLanguageName() override;
};
