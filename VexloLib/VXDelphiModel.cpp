#include "VXDelphiModel.h"

#include "LmRegKey.h"
#include "LmTranslate.h"
#include "VXModel.h"

#include <vxplat/Registry.h>

#include <vector>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXDelphiModel::VirtualPathMapKey = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";

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
    std::wstring result = text;
    for (int level = 0; level < levels; ++level)
    {
        std::wstring indented = Unit;
        indented.reserve(result.size() + result.size() / 8 + 2);
        for (size_t i = 0; i < result.size(); ++i)
        {
            indented += result[i];
            if (result[i] == L'\r' && i + 1 < result.size() && result[i + 1] == L'\n')
            {
                indented += L'\n';
                ++i;
                indented += Unit;
            }
        }
        const std::wstring dangling = std::wstring(L"\r\n") + Unit;
        if (indented.size() >= dangling.size() &&
            indented.compare(indented.size() - dangling.size(), dangling.size(), dangling) == 0)
            indented.erase(indented.size() - 2);
        result.swap(indented);
    }
    return result;
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
        std::wstring text = Text(path);
        // Only a leading "$" starts a symbol: a "$" further on is part of a folder name.
        if (text.empty() || text[0] != L'$')
            return path;
        size_t separator = text.find(L'\\');
        std::wstring name = text.substr(1, separator == std::wstring::npos ? std::wstring::npos : separator - 1);
        std::wstring rest = separator == std::wstring::npos ? std::wstring() : text.substr(separator);
        if (name.empty())
            return Bstr(rest);

        CLmPtr<LmLib::Registry::CLmRegKey> key =
            LmLib::Registry::CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, CLmBSTR(VirtualPathMapKey));
        if (key.IsNull())
            return Bstr(rest);
        // The key and its sub-key and value lists refer to each other; cutting the
        // lists off when done frees the key at once instead of at the next collection.
        struct KeyRelease
        {
            CLmPtr<LmLib::Registry::CLmRegKey>& Key;
            ~KeyRelease()
            {
                Key->m_SubKeys = nullptr;
                Key->m_Values = nullptr;
            }
        } release{key};
        // The usual buffer holds 260 bytes; a longer folder is read whole, not cut.
        std::vector<BYTE> buffer(260, 0);
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD type = 0;
        LSTATUS status = RegQueryValueExW(key->GetHandle(), name.c_str(), nullptr, &type, buffer.data(), &size);
        if (status == ERROR_MORE_DATA)
        {
            buffer.assign(size + sizeof(wchar_t), 0);
            size = static_cast<DWORD>(buffer.size());
            status = RegQueryValueExW(key->GetHandle(), name.c_str(), nullptr, &type, buffer.data(), &size);
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return Bstr(rest);
        std::wstring value(reinterpret_cast<const wchar_t*>(buffer.data()), size / sizeof(wchar_t));
        size_t end = value.find(L'\0');
        if (end != std::wstring::npos)
            value.erase(end);
        return Bstr(value + rest);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModel::GetDirectory()
{
    LM_TRY
    {
        return ExpandVirtualPath(GetHostModel()->GetPropertyValue(CLmBSTR(ToolName), CLmBSTR(L"Directory")));
    }
    LM_END_TRY
}
