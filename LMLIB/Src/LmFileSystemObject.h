// A path in the file system.
#pragma once

#include "LmBSTR.h"
#include "LmObject.h"

namespace LmLib::File
{
    using Object::CLmObject;
    using Object::CLmRefsObject;
    using Values::CLmBSTR;

    class CLmFileSystemObject : public CLmObject
    {
    public:
        CLmFileSystemObject(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path);
        ~CLmFileSystemObject() override;

        static CLmPtr<CLmFileSystemObject> Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path);

        CLmBSTR GetPath() const;

    protected:
        CLmBSTR m_Path;
    };
}
