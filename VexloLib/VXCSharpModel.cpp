#include "VXCSharpModel.h"

#include "LmTranslate.h"
#include "VXModel.h"
#include "VXModuleOutput.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpModel> CVXCSharpModel::Create(const CLmPtr<CVXModel>& model)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpModel>(CLmPtr<CLmRefsObject>(model));
    }
    LM_END_TRY
}

CVXCSharpModel::CVXCSharpModel(const CLmPtr<CLmRefsObject>& model) : CVXCSharpExtension(model) {}

CVXCSharpModel::~CVXCSharpModel() = default;

CLmPtr<CVXModel> CVXCSharpModel::GetHostModel()
{
    LM_TRY
    {
        CLmPtr<CVXModel> model(GetOwner());
        LM_CHECK_POINTER(model.GetTyped(), L"model");
        return model;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModel::GetIndentation()
{
    return CLmBSTR(Unit);
}

CLmBSTR CVXCSharpModel::IndentText(const CLmBSTR& text, int levels)
{
    LM_TRY
    {
        return Bstr(CVXExtension::IndentText(Text(text), levels));
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModel::UnindentText(const CLmBSTR& text, int levels)
{
    LM_TRY
    {
        return Bstr(CVXExtension::UnindentText(Text(text), levels));
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModel::ExpandVirtualPath(const CLmBSTR& path)
{
    LM_TRY
    {
        return CVXModuleOutput::ExpandVirtualPath(path);
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModel::GetDirectory()
{
    LM_TRY
    {
        return CVXModuleOutput::GetModelDirectory(GetHostModel(), ToolName);
    }
    LM_END_TRY
}
