// The host's model (IRoseModel): the current selection, the host's log and the
// application.
#pragma once

#include "VXPackage.h"

#include "LmBSTR.h"

class CVXApplication;
class CVXClassCollection;
class CVXModuleCollection;

class CVXModel : public CVXPackage
{
public:
    static LmLib::CLmPtr<CVXModel> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXModel(const CVXParentPtr& parent, IDispatch* object);
    ~CVXModel() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    // The classes selected in the host's browser or diagram, in the host's order.
    virtual LmLib::CLmPtr<CVXClassCollection> GetSelectedClasses();
    // Writes text unchanged to the host's log (the application's WriteErrorLog).
    virtual void WriteLog(const LmLib::Values::CLmBSTR& text);
    virtual LmLib::CLmPtr<CVXModuleCollection> GetSelectedModules();
    virtual CVXHostInterface GetIRoseModel();
    virtual LmLib::CLmPtr<CVXApplication> GetApplication();
};
