// The C# extension of the model: the indentation of every C# text (and its removal
// from user text read back from a file), the expansion of virtual path symbols, and
// the model's output folder.
#pragma once

#include "VXCSharpExtension.h"

class CVXModel;

class CVXCSharpModel : public CVXCSharpExtension
{
public:
    static LmLib::CLmPtr<CVXCSharpModel> Create(const LmLib::CLmPtr<CVXModel>& model);

    explicit CVXCSharpModel(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& model);
    ~CVXCSharpModel() override;

    // Replaces a leading "$SYMBOL" by its folder from the host's virtual path map.
    virtual LmLib::Values::CLmBSTR ExpandVirtualPath(const LmLib::Values::CLmBSTR& path);
    virtual LmLib::CLmPtr<CVXModel> GetHostModel();

    // Two blanks, always (the model's "Indentation" property is not consulted).
    static LmLib::Values::CLmBSTR GetIndentation();
    // Puts levels units in front of every line of text; a text that ends with a line
    // break gets no indentation after it.
    static LmLib::Values::CLmBSTR IndentText(const LmLib::Values::CLmBSTR& text, int levels);
    // Takes levels units off the start of every line of text; lines with less keep
    // what they have.
    static LmLib::Values::CLmBSTR UnindentText(const LmLib::Values::CLmBSTR& text, int levels);
    // The model's "Directory" property, expanded.
    LmLib::Values::CLmBSTR GetDirectory();
};
