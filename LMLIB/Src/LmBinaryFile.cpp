#include "LmBinaryFile.h"

#include "LmTranslate.h"

namespace LmLib::File
{
    CLmBinaryFile::CLmBinaryFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path, int desiredAccess,
                                 int shareMode, int creationDisposition)
        : CLmFile(owner, path, desiredAccess, shareMode, creationDisposition)
    {
    }

    CLmBinaryFile::~CLmBinaryFile() = default;

    CLmPtr<CLmBinaryFile> CLmBinaryFile::Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path,
                                                int desiredAccess, int shareMode, int creationDisposition)
    {
        LM_TRY
        {
            return LmCreateObject<CLmBinaryFile>(owner, path, desiredAccess, shareMode, creationDisposition);
        }
        LM_END_TRY
    }

    bool CLmBinaryFile::Write(const void* buffer, unsigned count, unsigned* written, OVERLAPPED* overlapped)
    {
        LM_TRY
        {
            DWORD done = 0;
            BOOL ok = WriteFile(m_Handle, buffer, count, &done, overlapped);
            if (written)
                *written = done;
            return ok != FALSE;
        }
        LM_END_TRY
    }
}
