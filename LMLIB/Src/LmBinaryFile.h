// A file written and read as raw bytes (the generators' output files).
#pragma once

#include "LmFile.h"

namespace LmLib::File
{
    class CLmBinaryFile : public CLmFile
    {
    public:
        CLmBinaryFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path, int desiredAccess, int shareMode,
                      int creationDisposition);
        ~CLmBinaryFile() override;

        static CLmPtr<CLmBinaryFile> Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path, int desiredAccess,
                                            int shareMode, int creationDisposition);

        bool Write(const void* buffer, unsigned count, unsigned* written, OVERLAPPED* overlapped) override;
    };
}
