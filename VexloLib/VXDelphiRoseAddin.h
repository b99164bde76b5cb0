// The Delphi add-in inside Rational Rose.
#pragma once

#include "VXDelphiAddin.h"

class CVXDelphiRoseAddin : public CVXDelphiAddin
{
public:
    CVXDelphiRoseAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXDelphiRoseAddin() override;

    static LmLib::CLmPtr<CVXDelphiRoseAddin> Create(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
};
