#include "VXCommon.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CVXCommon::CVXCommon(const CVXParentPtr& parent, IDispatch* object) : CLmObject(parent), m_Dispatch(object)
{
    if (m_Dispatch)
        m_Dispatch->AddRef();
}

CVXCommon::~CVXCommon()
{
    if (m_Dispatch)
        m_Dispatch->Release();
}

void CVXCommon::OnDestroy() {}

bool CVXCommon::Initialize(CVXParentPtr)
{
    LM_TRY
    {
        return m_Dispatch != nullptr;
    }
    LM_END_TRY
}

void CVXCommon::SetDispatch(IDispatch* object)
{
    LM_TRY
    {
        if (object)
            object->AddRef();
        IDispatch* old = m_Dispatch;
        m_Dispatch = object;
        if (old)
            old->Release();
    }
    LM_END_TRY
}

IDispatch* CVXCommon::GetDispatch() const
{
    LM_TRY
    {
        if (m_Dispatch)
            m_Dispatch->AddRef();
        return m_Dispatch;
    }
    LM_END_TRY
}
