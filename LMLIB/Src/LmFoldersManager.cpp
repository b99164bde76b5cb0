#include "LmFoldersManager.h"

#include "LmTranslate.h"

#include <vxplat/Crt.h>
#include <vxplat/Files.h>

#include <vector>

namespace LmLib::File
{
    CLmFoldersManager::CLmFoldersManager(const CLmPtr<CLmRefsObject>& owner) : CLmObject(owner)
    {
    }

    CLmFoldersManager::~CLmFoldersManager() = default;

    CLmPtr<CLmFoldersManager> CLmFoldersManager::Create(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            return LmCreateObject<CLmFoldersManager>(owner);
        }
        LM_END_TRY
    }

    void CLmFoldersManager::Close()
    {
    }

    bool CLmFoldersManager::CreateFolder(CLmBSTR path)
    {
        LM_TRY
        {
            const wchar_t* text = path.GetBSTR() ? path.GetBSTR() : L"";
            DWORD attributes = GetFileAttributesW(text);
            if (attributes != INVALID_FILE_ATTRIBUTES)
                return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

            // Every part fits in a buffer as long as the whole path.
            size_t size = static_cast<size_t>(path.Length()) + _MAX_PATH + 1;
            std::vector<wchar_t> drive(size), folder(size), name(size), extension(size);
            _wsplitpath(text, drive.data(), folder.data(), name.data(), extension.data());
            if (folder[0] == L'\0')
                return true;

            CLmBSTR parent = CLmBSTR(drive.data()) + folder.data();
            int length = parent.Length();
            if (length > 0 && (parent.GetBSTR()[length - 1] == L'\\' || parent.GetBSTR()[length - 1] == L'/'))
                parent = parent.Left(length - 1);
            if (!CreateFolder(parent))
                return false;

            if (name[0] != L'\0' && !CreateDirectoryW(text, nullptr))
                return false;
            return true;
        }
        LM_END_TRY
    }
}
