// An operation of a class (host IRoseOperation).
#pragma once

#include "VXItem.h"
#include "VXRichType.h"

#include "LmBSTR.h"

class CVXClass;
class CVXParameterCollection;

class CVXOperation : public CVXItem
{
public:
    static LmLib::CLmPtr<CVXOperation> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXOperation(const CVXParentPtr& parent, IDispatch* object);
    ~CVXOperation() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual LmLib::CLmPtr<CVXParameterCollection> GetParameters();
    virtual CVXHostInterface GetIRoseOperation();
    // The language of the class the operation belongs to.
    virtual LmLib::Values::CLmBSTR GetAssignedLanguage();
    virtual LmLib::CLmPtr<CVXClass> GetParentClass();
    virtual LmLib::CLmPtr<CVXRichType> GetExportControl();
    // The visibility code of the export control (see CVXRichType).
    virtual LONG GetVisibility();

    LmLib::Values::CLmBSTR GetReturnType();
    void SetReturnType(const LmLib::Values::CLmBSTR& type);
};
