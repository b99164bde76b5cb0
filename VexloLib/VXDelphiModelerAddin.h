// The Delphi add-in inside Microsoft Visual Modeler.
#pragma once

#include "VXDelphiAddin.h"

class CVXDelphiModelerAddin : public CVXDelphiAddin
{
public:
    CVXDelphiModelerAddin(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
    ~CVXDelphiModelerAddin() override;

    static LmLib::CLmPtr<CVXDelphiModelerAddin> Create(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, IDispatch* object);
};
