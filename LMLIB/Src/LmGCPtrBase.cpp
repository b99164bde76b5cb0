#include "LmGCPtrBase.h"

#include "LmLock.h"
#include "LmTranslate.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <typeinfo>

namespace LmLib
{
    using Object::CLmUnknownObject;
    using Values::CLmBSTR;

    DWORD CLmGCPtrBase::s_CollectThreshold = 10000;
    DWORD CLmGCPtrBase::s_CollectTimeLimit = 20000000;
    DWORD CLmGCPtrBase::s_CollectInterval = 0;
    DWORD CLmGCPtrBase::s_LastCollect = 0;

    namespace
    {
        // Ordered by address so that insertion and removal stay logarithmic.
        std::set<CLmGCPtrBase*>& References()
        {
            static std::set<CLmGCPtrBase*> references;
            return references;
        }

        CLmBSTR ClassName(CLmUnknownObject* object)
        {
            return object ? CLmBSTR::FromAnsi(typeid(*object).name()) : CLmBSTR();
        }

        void WriteDump(const CLmBSTR& text)
        {
            OutputDebugStringW(text.GetBSTR() ? text.GetBSTR() : L"");
            std::fputs(text.ToAnsi().c_str(), stdout);
        }
    }

    CLmGCPtrBase::CLmGCPtrBase() : m_OwnerObject(nullptr)
    {
    }

    CLmGCPtrBase::CLmGCPtrBase(CLmUnknownObject* owner, CLmUnknownObject* target)
        : CLmPtrBase(target), m_OwnerObject(owner)
    {
        LM_TRY
        {
            CLmLock lock;
            if (m_OwnerObject && m_Pointer)
                Register();
        }
        LM_END_TRY
    }

    CLmGCPtrBase::CLmGCPtrBase(const CLmGCPtrBase& other) : CLmPtrBase(other.Get()), m_OwnerObject(nullptr)
    {
    }

    CLmGCPtrBase& CLmGCPtrBase::operator=(const CLmGCPtrBase& other)
    {
        LM_TRY
        {
            Assign(other.Get());
            return *this;
        }
        LM_END_TRY
    }

    CLmGCPtrBase::CLmGCPtrBase(CLmGCPtrBase&& other) noexcept
        : CLmPtrBase(static_cast<CLmPtrBase&&>(other)), m_OwnerObject(nullptr)
    {
    }

    CLmGCPtrBase& CLmGCPtrBase::operator=(CLmGCPtrBase&& other)
    {
        LM_TRY
        {
            CLmPtrBase::operator=(static_cast<CLmPtrBase&&>(other));
            return *this;
        }
        LM_END_TRY
    }

    CLmUnknownObject* CLmGCPtrBase::Detach() noexcept
    {
        CLmLock lock;
        if (m_OwnerObject && m_Pointer)
            Unregister();
        return CLmPtrBase::Detach();
    }

    void CLmGCPtrBase::Adopt(CLmUnknownObject* pointer)
    {
        LM_TRY
        {
            CLmLock lock;
            if (m_OwnerObject && m_Pointer)
                Unregister();
            CLmUnknownObject* old = m_Pointer;
            m_Pointer = pointer;
            if (m_OwnerObject && pointer)
                Register();
            if (old)
                old->Release();
        }
        LM_END_TRY
    }

    CLmGCPtrBase::~CLmGCPtrBase()
    {
        try
        {
            CLmLock lock;
            Unregister();
        }
        catch (...)
        {
        }
    }

    CLmUnknownObject* CLmGCPtrBase::Get() const
    {
        return m_Pointer;
    }

    void CLmGCPtrBase::Assign(CLmUnknownObject* pointer)
    {
        LM_TRY
        {
            CLmLock lock;
            if (m_OwnerObject && m_Pointer)
                Unregister();
            CLmPtrBase::Assign(pointer);
            if (m_OwnerObject && pointer)
                Register();
        }
        LM_END_TRY
    }

    void CLmGCPtrBase::Register()
    {
        LM_TRY
        {
            CLmLock lock;
            if (References().size() >= s_CollectThreshold)
                Collect();
            References().insert(this);
        }
        LM_END_TRY
    }

    void CLmGCPtrBase::Unregister()
    {
        References().erase(this);
    }

    DWORD CLmGCPtrBase::GetCollectThreshold()
    {
        CLmLock lock;
        return s_CollectThreshold;
    }

    void CLmGCPtrBase::SetCollectThreshold(DWORD threshold)
    {
        CLmLock lock;
        s_CollectThreshold = threshold;
    }

    DWORD CLmGCPtrBase::GetCollectTimeLimit()
    {
        CLmLock lock;
        return s_CollectTimeLimit;
    }

    void CLmGCPtrBase::SetCollectTimeLimit(DWORD milliseconds)
    {
        CLmLock lock;
        s_CollectTimeLimit = milliseconds;
    }

    DWORD CLmGCPtrBase::GetCollectInterval()
    {
        CLmLock lock;
        return s_CollectInterval;
    }

    void CLmGCPtrBase::SetCollectInterval(DWORD milliseconds)
    {
        CLmLock lock;
        s_CollectInterval = milliseconds;
    }

    size_t CLmGCPtrBase::GetRegisteredCount()
    {
        CLmLock lock;
        return References().size();
    }

    bool CLmGCPtrBase::Expired(DWORD start)
    {
        return GetTickCount() - start > s_CollectTimeLimit;
    }

    bool CLmGCPtrBase::Mark(CLmUnknownObject* object, DWORD start)
    {
        for (CLmGCPtrBase* reference : References())
        {
            CLmUnknownObject* target = reference->m_Pointer;
            if (reference->m_OwnerObject == object && target && target->m_GCCount == 0)
            {
                target->m_GCCount = 1;
                if (!Mark(target, start))
                    return false;
            }
            if (Expired(start))
                return false;
        }
        return true;
    }

    bool CLmGCPtrBase::Collect()
    {
        LM_TRY
        {
            CLmLock lock;
            DWORD start = GetTickCount();
            if (start - s_LastCollect < s_CollectInterval)
                return false;
            s_LastCollect = start;
            std::set<CLmGCPtrBase*>& references = References();

            // Every object involved starts from its full count ...
            for (CLmGCPtrBase* reference : references)
            {
                reference->m_OwnerObject->m_GCCount = reference->m_OwnerObject->m_RefCount;
                reference->m_Pointer->m_GCCount = reference->m_Pointer->m_RefCount;
                if (Expired(start))
                    return false;
            }
            // ... less the references held by members of other objects: what remains
            // counts the references from outside the registry.
            for (CLmGCPtrBase* reference : references)
            {
                --reference->m_Pointer->m_GCCount;
                if (Expired(start))
                    return false;
            }
            DumpReferences();

            // Everything reachable from an object held from outside survives.
            for (CLmGCPtrBase* reference : references)
            {
                if (reference->m_OwnerObject->m_GCCount != 0 && !Mark(reference->m_OwnerObject, start))
                    return false;
                if (Expired(start))
                    return false;
            }

            // Owners still at zero live only inside cycles: cut their references. Each cut
            // may destroy objects and change the registry, so the walk starts over.
            auto position = references.begin();
            while (position != references.end())
            {
                CLmGCPtrBase* reference = *position;
                CLmUnknownObject* owner = reference->m_OwnerObject;
                if (owner->m_GCCount == 0)
                {
                    owner->AddRef();
                    reference->Assign(nullptr);
                    owner->Release();
                    position = references.begin();
                }
                else
                    ++position;
                if (Expired(start))
                    return false;
            }
            DumpReferences();
            return true;
        }
        LM_END_TRY
    }

    void CLmGCPtrBase::DumpReferences()
    {
        LM_TRY
        {
            CLmLock lock;
            OutputDebugStringW(L"\r\n");
            for (CLmGCPtrBase* reference : References())
            {
                CLmUnknownObject* owner = reference->m_OwnerObject;
                CLmUnknownObject* target = reference->m_Pointer;
                CLmBSTR ownerName = ClassName(owner);
                CLmBSTR targetName = ClassName(target);
                CLmBSTR line = CLmBSTR::FormatString(
                    L"%s [0x%x][%d][%d]-%s [0x%x][%d][%d]\r\n", ownerName.GetBSTR() ? ownerName.GetBSTR() : L"",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(owner)), owner ? owner->m_RefCount : 0,
                    owner ? owner->m_GCCount : 0, targetName.GetBSTR() ? targetName.GetBSTR() : L"",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(target)), target ? target->m_RefCount : 0,
                    target ? target->m_GCCount : 0);
                WriteDump(line);
            }
            std::fputs("\r\n", stdout);
            std::fflush(stdout);
            OutputDebugStringW(L"\r\n");
        }
        LM_END_TRY
    }
}
