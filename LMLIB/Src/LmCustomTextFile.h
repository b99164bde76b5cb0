// A file read and written line by line in the ANSI code page.
#pragma once

#include "LmFile.h"

namespace LmLib::File
{
    class CLmCustomTextFile : public CLmFile
    {
    public:
        CLmCustomTextFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path, int desiredAccess,
                          int shareMode, int creationDisposition);
        ~CLmCustomTextFile() override;

        static CLmPtr<CLmCustomTextFile> Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path,
                                                int desiredAccess, int shareMode, int creationDisposition);

        // Reads one block from the file position and returns the text before its first
        // CR LF; GetPosition() then points just past that line end. A caller reading
        // line by line seeks to GetPosition() before each call.
        virtual CLmBSTR ReadLine();
        // Writes the text and CR LF in the ANSI code page, without byte-order mark.
        virtual void WriteLine(CLmBSTR text);
        virtual DWORD GetPosition();
        virtual void SetPosition(DWORD position);

        DWORD GetBlockSize() const { return m_BlockSize; }

    protected:
        DWORD m_Position;
        DWORD m_BlockSize;
    };
}
