// Collection that keeps only a count and produces each element on demand.
#pragma once

#include "LmObjects.h"

namespace LmLib::Object
{
    class CLmVirtualObjects : public CLmObjects
    {
    public:
        explicit CLmVirtualObjects(const CLmPtr<CLmRefsObject>& owner);
        ~CLmVirtualObjects() override;

        void Clear() override;
        int GetCount() override;
        virtual void SetCount(int count);

    protected:
        void DoReset() override;

        int m_Count;
    };
}
