#include "LmContainerObject.h"

#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmContainerObject::CLmContainerObject() = default;

    CLmContainerObject::CLmContainerObject(const CLmPtr<CLmObject>& object) : m_Object(object)
    {
    }

    CLmContainerObject::~CLmContainerObject() = default;

    CLmPtr<CLmObject> CLmContainerObject::GetObject()
    {
        LM_TRY
        {
            return m_Object;
        }
        LM_END_TRY
    }

    void CLmContainerObject::SetObject(CLmPtr<CLmObject> object)
    {
        LM_TRY
        {
            m_Object = object;
        }
        LM_END_TRY
    }
}
