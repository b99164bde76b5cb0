#include "LmUnknownObject.h"

#include "LmLock.h"
#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmUnknownObject::CLmUnknownObject() : m_RefCount(1), m_GCCount(0)
    {
    }

    CLmUnknownObject::~CLmUnknownObject() = default;

    LONG CLmUnknownObject::Release()
    {
        LM_TRY
        {
            CLmLock lock;
            LM_CHECK_POINTER(this, L"this");
            LONG count = InterlockedDecrement(&m_RefCount);
            if (count == 0)
            {
                try
                {
                    Destroy();
                    delete this;
                }
                catch (...)
                {
                    LM_RAISE(Errors::Exception::LmErrorGeneral, L"Delete object");
                }
            }
            else if (count < 0)
                LM_RAISE(Errors::Exception::LmErrorGeneral, L"Delete object many times");
            return count;
        }
        LM_END_TRY
    }

    LONG CLmUnknownObject::AddRef()
    {
        LM_TRY
        {
            CLmLock lock;
            return InterlockedIncrement(&m_RefCount);
        }
        LM_END_TRY
    }

    void CLmUnknownObject::Destroy()
    {
        LM_TRY
        {
            CLmLock lock;
            OnDestroy();
        }
        LM_END_TRY
    }

    void CLmUnknownObject::OnDestroy()
    {
    }
}
