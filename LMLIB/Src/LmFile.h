// An open file with the library's own mode codes.
#pragma once

#include "LmFileSystemObject.h"

#include <vxplat/Files.h>

namespace LmLib::File
{
    // Mode codes: single bits, 0x7FFFFFFF standing for all of them where allowed.
    enum : int
    {
        LmAccessNone = 0,
        LmAccessRead = 1,
        LmAccessWrite = 2,
        LmAccessAll = 0x7FFFFFFF,

        LmShareNone = 0,
        LmShareDelete = 1,
        LmShareRead = 2,
        LmShareWrite = 4,
        LmShareAll = 0x7FFFFFFF,

        LmCreateNew = 1,
        LmCreateAlways = 2,
        LmOpenExisting = 4,
        LmOpenAlways = 8,
        LmTruncateExisting = 16,

        LmMoveBegin = 1,
        LmMoveCurrent = 2,
        LmMoveEnd = 4,
    };

    class CLmFile : public CLmFileSystemObject
    {
    public:
        CLmFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path, int desiredAccess, int shareMode,
                int creationDisposition);
        ~CLmFile() override;

        // Null when the file cannot be opened; unknown mode codes raise.
        static CLmPtr<CLmFile> Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path, int desiredAccess,
                                      int shareMode, int creationDisposition);

        void OnDestroy() override;
        bool Initialize(CLmPtr<CLmRefsObject> owner) override;

        virtual void Close();
        virtual DWORD GetSize();
        virtual bool Read(void* buffer, unsigned count, unsigned* read, OVERLAPPED* overlapped);
        virtual bool Write(const void* buffer, unsigned count, unsigned* written, OVERLAPPED* overlapped);
        virtual DWORD Seek(LONG distance, LONG* distanceHigh, int moveMethod);
        virtual bool IsValid();

        HANDLE GetHandle() const { return m_Handle; }
        int GetDesiredAccess() const { return m_DesiredAccess; }
        int GetShareMode() const { return m_ShareMode; }
        int GetCreationDisposition() const { return m_CreationDisposition; }

        // The Win32 values of the library's codes; unknown codes raise.
        static DWORD MapDesiredAccess(int code);
        static DWORD MapShareMode(int code);
        static DWORD MapCreationDisposition(int code);
        static DWORD MapMoveMethod(int code);

    protected:
        HANDLE m_Handle;
        int m_DesiredAccess;
        int m_ShareMode;
        int m_CreationDisposition;
    };
}
