// The Delphi extension of the model: the indentation of every Delphi text, the
// expansion of virtual path symbols, and the model's output folder.
#pragma once

#include "VXDelphiExtension.h"

class CVXModel;

class CVXDelphiModel : public CVXDelphiExtension
{
public:
    static LmLib::CLmPtr<CVXDelphiModel> Create(const LmLib::CLmPtr<CVXModel>& model);

    explicit CVXDelphiModel(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& model);
    ~CVXDelphiModel() override;

    // Replaces a leading "$SYMBOL" by its folder from the host's virtual path map
    // (HKEY_CURRENT_USER "Software\Microsoft\Visual Modeler\Virtual Path Map"); an
    // unknown symbol expands to nothing. A path that does not start with "$" is
    // returned unchanged.
    virtual LmLib::Values::CLmBSTR ExpandVirtualPath(const LmLib::Values::CLmBSTR& path);
    virtual LmLib::CLmPtr<CVXModel> GetHostModel();

    // Two blanks, always.
    static LmLib::Values::CLmBSTR GetIndentation();
    // Puts levels units in front of every line of text; a text that ends with a line
    // break gets no indentation after it.
    static LmLib::Values::CLmBSTR IndentText(const LmLib::Values::CLmBSTR& text, int levels);
    static std::wstring IndentText(const std::wstring& text, int levels);
    // The model's "Directory" property, expanded.
    LmLib::Values::CLmBSTR GetDirectory();
};
