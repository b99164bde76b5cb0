// Creation of folder chains.
#pragma once

#include "LmBSTR.h"
#include "LmObject.h"

namespace LmLib::File
{
    using Object::CLmObject;
    using Object::CLmRefsObject;
    using Values::CLmBSTR;

    class CLmFoldersManager : public CLmObject
    {
    public:
        explicit CLmFoldersManager(const CLmPtr<CLmRefsObject>& owner);
        ~CLmFoldersManager() override;

        static CLmPtr<CLmFoldersManager> Create(CLmPtr<CLmRefsObject> owner);

        virtual void Close();
        // Creates every missing folder of the path; true when the folder exists
        // afterwards (false for a path naming an existing file).
        virtual bool CreateFolder(CLmBSTR path);
    };
}
