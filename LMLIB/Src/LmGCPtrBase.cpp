#include "LmGCPtrBase.h"

#include "LmLock.h"
#include "LmTranslate.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <typeinfo>
#include <vector>

namespace LmLib
{
    using Object::CLmUnknownObject;
    using Values::CLmBSTR;

    DWORD CLmGCPtrBase::s_CollectThreshold = 10000;
    DWORD CLmGCPtrBase::s_CollectTimeLimit = 20000000;
    DWORD CLmGCPtrBase::s_CollectInterval = 0;
    DWORD CLmGCPtrBase::s_LastCollect = 0;

    // A walk of the registry in address order.
    struct CLmGCPtrBase::Walk
    {
        // The registered pointers ordered by address, as of the walk's start; an entry
        // that leaves the registry during the walk is cleared, and one that enters it
        // marks the walk changed.
        std::vector<CLmGCPtrBase*> m_Entries;
        bool m_Changed = false;
        Walk* m_Outer;

        Walk();
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;
        void Take();
    };

    CLmGCPtrBase* CLmGCPtrBase::s_First = nullptr;
    size_t CLmGCPtrBase::s_Count = 0;
    CLmGCPtrBase::Walk* CLmGCPtrBase::s_Walk = nullptr;

    CLmGCPtrBase::Walk::Walk() : m_Outer(s_Walk)
    {
        // The slots of the outer walk's entries are about to be reused.
        if (m_Outer)
            m_Outer->m_Changed = true;
        s_Walk = this;
        Take();
    }

    CLmGCPtrBase::Walk::~Walk()
    {
        s_Walk = m_Outer;
    }

    void CLmGCPtrBase::Walk::Take()
    {
        m_Entries.clear();
        m_Entries.reserve(s_Count);
        for (CLmGCPtrBase* reference = s_First; reference; reference = reference->m_Next)
            m_Entries.push_back(reference);
        std::sort(m_Entries.begin(), m_Entries.end(), std::less<CLmGCPtrBase*>());
        for (size_t slot = 0; slot < m_Entries.size(); ++slot)
            m_Entries[slot]->m_Slot = slot;
        m_Changed = false;
    }

    namespace
    {
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
            if (s_Count >= s_CollectThreshold)
                Collect();
            if (m_Registered)
                return;
            m_Prev = nullptr;
            m_Next = s_First;
            if (s_First)
                s_First->m_Prev = this;
            s_First = this;
            m_Registered = true;
            ++s_Count;
            if (s_Walk)
                s_Walk->m_Changed = true;
        }
        LM_END_TRY
    }

    void CLmGCPtrBase::Unregister()
    {
        if (!m_Registered)
            return;
        if (m_Prev)
            m_Prev->m_Next = m_Next;
        else
            s_First = m_Next;
        if (m_Next)
            m_Next->m_Prev = m_Prev;
        m_Prev = m_Next = nullptr;
        m_Registered = false;
        --s_Count;
        if (s_Walk && m_Slot < s_Walk->m_Entries.size() && s_Walk->m_Entries[m_Slot] == this)
            s_Walk->m_Entries[m_Slot] = nullptr;
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
        return s_Count;
    }

    bool CLmGCPtrBase::Expired(DWORD start)
    {
        return GetTickCount() - start > s_CollectTimeLimit;
    }

    bool CLmGCPtrBase::Mark(const Walk& walk, CLmUnknownObject* object, DWORD start)
    {
        for (CLmGCPtrBase* reference : walk.m_Entries)
        {
            CLmUnknownObject* target = reference->m_Pointer;
            if (reference->m_OwnerObject == object && target && target->m_GCCount == 0)
            {
                target->m_GCCount = 1;
                if (!Mark(walk, target, start))
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
            // Nothing enters or leaves the registry until the cuts.
            Walk walk;
            const std::vector<CLmGCPtrBase*>& references = walk.m_Entries;

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
                if (reference->m_OwnerObject->m_GCCount != 0 && !Mark(walk, reference->m_OwnerObject, start))
                    return false;
                if (Expired(start))
                    return false;
            }

            // Owners still at zero live only inside cycles: cut their references, in
            // address order, each time from the lowest such pointer left. A cut only
            // removes pointers (cleared in the snapshot) and leaves the counts of the
            // survivors alone, so the pointers before the cut one stay passed; a cut that
            // registers anything (or collects again) takes a new snapshot from the start.
            // (The dump above walked the registry too: the slots are taken again.)
            walk.Take();
            size_t position = 0;
            while (position < references.size())
            {
                CLmGCPtrBase* reference = references[position];
                if (reference && reference->m_OwnerObject->m_GCCount == 0)
                {
                    CLmUnknownObject* owner = reference->m_OwnerObject;
                    owner->AddRef();
                    reference->Assign(nullptr);
                    owner->Release();
                    if (walk.m_Changed)
                    {
                        walk.Take();
                        position = 0;
                    }
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
            Walk walk;
            for (CLmGCPtrBase* reference : walk.m_Entries)
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
