#include "VXModuleOutput.h"

#include "LmFoldersManager.h"
#include "LmRegKey.h"
#include "LmTranslate.h"
#include "VXExtension.h"
#include "VXGenerator.h"
#include "VXModel.h"
#include "VXModule.h"
#include "VXSubsystem.h"

#include <vxplat/Registry.h>

#include <vector>

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXModuleOutput::VirtualPathMapKey = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";

CLmBSTR CVXModuleOutput::ExpandVirtualPath(const CLmBSTR& path)
{
    LM_TRY
    {
        std::wstring text = CVXExtension::Text(path);
        // Only a leading "$" starts a symbol: a "$" further on is part of a folder name.
        if (text.empty() || text[0] != L'$')
            return path;
        size_t separator = text.find(L'\\');
        std::wstring name = text.substr(1, separator == std::wstring::npos ? std::wstring::npos : separator - 1);
        std::wstring rest = separator == std::wstring::npos ? std::wstring() : text.substr(separator);
        if (name.empty())
            return CVXExtension::Bstr(rest);

        CLmPtr<LmLib::Registry::CLmRegKey> key =
            LmLib::Registry::CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, CLmBSTR(VirtualPathMapKey));
        if (key.IsNull())
            return CVXExtension::Bstr(rest);
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
            return CVXExtension::Bstr(rest);
        std::wstring value(reinterpret_cast<const wchar_t*>(buffer.data()), size / sizeof(wchar_t));
        size_t end = value.find(L'\0');
        if (end != std::wstring::npos)
            value.erase(end);
        return CVXExtension::Bstr(value + rest);
    }
    LM_END_TRY
}

CLmBSTR CVXModuleOutput::GetModelDirectory(const CLmPtr<CVXModel>& model, const wchar_t* tool)
{
    LM_TRY
    {
        LM_CHECK_POINTER(model.GetTyped(), L"model");
        return ExpandVirtualPath(model->GetPropertyValue(CLmBSTR(tool), CLmBSTR(L"Directory")));
    }
    LM_END_TRY
}

CLmBSTR CVXModuleOutput::GetSubsystemDirectory(const CLmPtr<CVXSubsystem>& subsystem, const wchar_t* tool)
{
    LM_TRY
    {
        LM_CHECK_POINTER(subsystem.GetTyped(), L"subsystem");
        CLmBSTR value = ExpandVirtualPath(subsystem->GetPropertyValue(CLmBSTR(tool), CLmBSTR(L"Directory")));
        value.MakeUpper();
        bool automatic = value == L"AUTO GENERATE";
        if (!automatic && !(value == L"."))
            return value;

        CLmPtr<CVXSubsystem> parent = subsystem->GetParentSubsystem();
        if (parent.IsNull())
            return GetModelDirectory(subsystem->GetModel(), tool);
        CLmBSTR directory = GetSubsystemDirectory(parent, tool);
        if (automatic && !subsystem->IsRootPackage())
        {
            if (!directory.IsEmpty())
                directory += L"\\";
            directory += subsystem->GetName();
        }
        return directory;
    }
    LM_END_TRY
}

CLmBSTR CVXModuleOutput::GetFilePath(const CLmPtr<CVXModule>& module, const wchar_t* tool, const CLmBSTR& fileName)
{
    LM_TRY
    {
        CLmBSTR directory;
        CLmPtr<CVXSubsystem> subsystem = module->GetParentSubsystem();
        if (!subsystem.IsNull())
            directory = GetSubsystemDirectory(subsystem, tool);
        return directory + L"\\" + fileName;
    }
    LM_END_TRY
}

void CVXModuleOutput::WriteLog(const CLmPtr<CVXModule>& module, const CLmBSTR& text)
{
    LM_TRY
    {
        CLmPtr<CVXModel> model = module->GetModel();
        LM_CHECK_POINTER(model.GetTyped(), L"model");
        model->WriteLog(text);
    }
    LM_END_TRY
}

void CVXModuleOutput::WriteFile(const CLmPtr<CVXGenerator>& generator, const CLmBSTR& path, std::wstring_view text)
{
    LM_TRY
    {
        int separator = path.ReverseFind(L"\\");
        if (separator > 0)
        {
            CLmPtr<LmLib::File::CLmFoldersManager> folders = LmLib::File::CLmFoldersManager::Create(nullptr);
            folders->CreateFolder(path.Left(separator));
        }
        // The old file stays as it was unless the whole new text took its place.
        if (!generator->ReplaceFile(text))
            LM_RAISE(LmLib::Errors::Exception::LmErrorGeneral, L"Can't create file %s", path.GetBSTR());
    }
    LM_END_TRY
}
