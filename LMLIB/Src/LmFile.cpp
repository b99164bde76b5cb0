#include "LmFile.h"

#include "LmTranslate.h"

namespace LmLib::File
{
    using Errors::Exception::LmErrorGeneral;

    CLmFile::CLmFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path, int desiredAccess, int shareMode,
                     int creationDisposition)
        : CLmFileSystemObject(owner, path),
          m_Handle(INVALID_HANDLE_VALUE),
          m_DesiredAccess(desiredAccess),
          m_ShareMode(shareMode),
          m_CreationDisposition(creationDisposition)
    {
    }

    CLmFile::~CLmFile()
    {
        // Normally closed by OnDestroy; this covers an object that was never released.
        if (m_Handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_Handle);
    }

    CLmPtr<CLmFile> CLmFile::Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path, int desiredAccess,
                                    int shareMode, int creationDisposition)
    {
        LM_TRY
        {
            return LmCreateObject<CLmFile>(owner, path, desiredAccess, shareMode, creationDisposition);
        }
        LM_END_TRY
    }

    DWORD CLmFile::MapDesiredAccess(int code)
    {
        LM_TRY
        {
            switch (code)
            {
            case LmAccessNone:
                return 0;
            case LmAccessRead:
                return GENERIC_READ;
            case LmAccessWrite:
                return GENERIC_WRITE;
            case LmAccessAll:
                return GENERIC_READ | GENERIC_WRITE;
            }
            LM_RAISE(LmErrorGeneral, L"Unexpected Desired Access type [%d]", code);
        }
        LM_END_TRY
    }

    DWORD CLmFile::MapShareMode(int code)
    {
        LM_TRY
        {
            switch (code)
            {
            case LmShareNone:
                return 0;
            case LmShareDelete:
                return FILE_SHARE_DELETE;
            case LmShareRead:
                return FILE_SHARE_READ;
            case LmShareWrite:
                return FILE_SHARE_WRITE;
            case LmShareAll:
                return FILE_SHARE_DELETE | FILE_SHARE_READ | FILE_SHARE_WRITE;
            }
            LM_RAISE(LmErrorGeneral, L"Unexpected Sgare Mode type [%d]", code);
        }
        LM_END_TRY
    }

    DWORD CLmFile::MapCreationDisposition(int code)
    {
        LM_TRY
        {
            switch (code)
            {
            case LmCreateNew:
                return CREATE_NEW;
            case LmCreateAlways:
                return CREATE_ALWAYS;
            case LmOpenExisting:
                return OPEN_EXISTING;
            case LmOpenAlways:
                return OPEN_ALWAYS;
            case LmTruncateExisting:
                return TRUNCATE_EXISTING;
            }
            LM_RAISE(LmErrorGeneral, L"Unexpected Creation Disposition type [%d]", code);
        }
        LM_END_TRY
    }

    DWORD CLmFile::MapMoveMethod(int code)
    {
        LM_TRY
        {
            switch (code)
            {
            case LmMoveBegin:
                return FILE_BEGIN;
            case LmMoveCurrent:
                return FILE_CURRENT;
            case LmMoveEnd:
                return FILE_END;
            }
            LM_RAISE(LmErrorGeneral, L"Unexpected Move Method type [%d]", code);
        }
        LM_END_TRY
    }

    void CLmFile::OnDestroy()
    {
        LM_TRY
        {
            Close();
            CLmFileSystemObject::OnDestroy();
        }
        LM_END_TRY
    }

    bool CLmFile::Initialize(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            if (!CLmFileSystemObject::Initialize(owner))
                return false;
            DWORD access = MapDesiredAccess(m_DesiredAccess);
            DWORD share = MapShareMode(m_ShareMode);
            DWORD disposition = MapCreationDisposition(m_CreationDisposition);
            Close();
            m_Handle = CreateFileW(m_Path.GetBSTR() ? m_Path.GetBSTR() : L"", access, share, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            return m_Handle != INVALID_HANDLE_VALUE;
        }
        LM_END_TRY
    }

    void CLmFile::Close()
    {
        LM_TRY
        {
            if (m_Handle != INVALID_HANDLE_VALUE)
            {
                CloseHandle(m_Handle);
                m_Handle = INVALID_HANDLE_VALUE;
            }
        }
        LM_END_TRY
    }

    DWORD CLmFile::GetSize()
    {
        LM_TRY
        {
            return GetFileSize(m_Handle, nullptr);
        }
        LM_END_TRY
    }

    bool CLmFile::Read(void* buffer, unsigned count, unsigned* read, OVERLAPPED* overlapped)
    {
        LM_TRY
        {
            DWORD done = 0;
            BOOL ok = ReadFile(m_Handle, buffer, count, &done, overlapped);
            if (read)
                *read = done;
            return ok != FALSE;
        }
        LM_END_TRY
    }

    bool CLmFile::Write(const void* buffer, unsigned count, unsigned* written, OVERLAPPED* overlapped)
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

    DWORD CLmFile::Seek(LONG distance, LONG* distanceHigh, int moveMethod)
    {
        LM_TRY
        {
            return SetFilePointer(m_Handle, distance, distanceHigh, MapMoveMethod(moveMethod));
        }
        LM_END_TRY
    }

    bool CLmFile::IsValid()
    {
        return true;
    }
}
