#include "VXDelphiModel.h"

#include "LmTranslate.h"
#include "VXModel.h"
#include "VXModuleOutput.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiModel> CVXDelphiModel::Create(const CLmPtr<CVXModel>& model)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiModel>(CLmPtr<CLmRefsObject>(model));
    }
    LM_END_TRY
}

CVXDelphiModel::CVXDelphiModel(const CLmPtr<CLmRefsObject>& model) : CVXDelphiExtension(model) {}

CVXDelphiModel::~CVXDelphiModel() = default;

CLmPtr<CVXModel> CVXDelphiModel::GetHostModel()
{
    LM_TRY
    {
        CLmPtr<CVXModel> model(GetOwner());
        LM_CHECK_POINTER(model.GetTyped(), L"model");
        return model;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModel::GetIndentation()
{
    return CLmBSTR(Unit);
}

std::wstring CVXDelphiModel::IndentText(const std::wstring& text, int levels)
{
    return CVXExtension::IndentText(text, levels);
}

CLmBSTR CVXDelphiModel::IndentText(const CLmBSTR& text, int levels)
{
    LM_TRY
    {
        return Bstr(IndentText(Text(text), levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModel::ExpandVirtualPath(const CLmBSTR& path)
{
    LM_TRY
    {
        return CVXModuleOutput::ExpandVirtualPath(path);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModel::GetDirectory()
{
    LM_TRY
    {
        return CVXModuleOutput::GetModelDirectory(GetHostModel(), ToolName);
    }
    LM_END_TRY
}
