#include "LmFileSystemObject.h"

#include "LmTranslate.h"

namespace LmLib::File
{
    CLmFileSystemObject::CLmFileSystemObject(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path)
        : CLmObject(owner), m_Path(path)
    {
    }

    CLmFileSystemObject::~CLmFileSystemObject() = default;

    CLmPtr<CLmFileSystemObject> CLmFileSystemObject::Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path)
    {
        LM_TRY
        {
            return LmCreateObject<CLmFileSystemObject>(owner, path);
        }
        LM_END_TRY
    }

    CLmBSTR CLmFileSystemObject::GetPath() const
    {
        LM_TRY
        {
            return m_Path;
        }
        LM_END_TRY
    }
}
