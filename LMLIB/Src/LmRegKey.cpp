#include "LmRegKey.h"

#include "LmRegKeys.h"
#include "LmRegValues.h"
#include "LmTranslate.h"

namespace LmLib::Registry
{
    namespace
    {
        // A key named like a root opens that root itself.
        const wchar_t* const RootNames[] = {
            L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",     L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
            L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG", L"HKEY_DYN_DATA",
        };
    }

    CLmRegKey::CLmRegKey(const CLmPtr<CLmRefsObject>& owner, HKEY root, const CLmBSTR& path)
        : CLmRegObject(owner), m_SubKeys(this), m_Values(this), m_hKey(root), m_Name(path), m_Parent(this)
    {
    }

    CLmRegKey::CLmRegKey(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& parent, const CLmBSTR& name)
        : CLmRegObject(owner), m_SubKeys(this), m_Values(this), m_hKey(nullptr), m_Name(name), m_Parent(this, parent)
    {
    }

    CLmRegKey::~CLmRegKey() = default;

    CLmPtr<CLmRegKey> CLmRegKey::Create(CLmPtr<CLmRefsObject> owner, HKEY root, const CLmBSTR& path)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegKey>(owner, root, path);
        }
        LM_END_TRY
    }

    CLmPtr<CLmRegKey> CLmRegKey::Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> parent, const CLmBSTR& name)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegKey>(owner, parent, name);
        }
        LM_END_TRY
    }

    bool CLmRegKey::Initialize(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            if (!CLmRegObject::Initialize(owner))
                return false;
            CLmBSTR upper = m_Name;
            upper.MakeUpper();
            CLmBSTR path = m_Name;
            for (const wchar_t* root : RootNames)
            {
                if (upper == root)
                    path.Clear();
            }

            CLmRegKey* parent = m_Parent;
            HKEY base = parent ? parent->GetHandle() : m_hKey;
            HKEY opened = nullptr;
            if (RegOpenKeyExW(base, path.GetBSTR() ? path.GetBSTR() : L"", 0, KEY_ALL_ACCESS, &opened) !=
                ERROR_SUCCESS)
            {
                // Not opened: nothing to close later (the root handle is not ours).
                m_hKey = nullptr;
                return false;
            }
            m_hKey = opened;
            m_SubKeys = CLmRegKeys::Create(this, this);
            m_Values = CLmRegValues::Create(this, this);
            return true;
        }
        LM_END_TRY
    }

    void CLmRegKey::OnDestroy()
    {
        LM_TRY
        {
            if (m_hKey)
            {
                RegCloseKey(m_hKey);
                m_hKey = nullptr;
            }
            CLmRegObject::OnDestroy();
        }
        LM_END_TRY
    }

    CLmBSTR CLmRegKey::GetName() const
    {
        LM_TRY
        {
            return m_Name;
        }
        LM_END_TRY
    }

    CLmPtr<CLmRegKeys> CLmRegKey::GetSubKeys() const
    {
        LM_TRY
        {
            return m_SubKeys;
        }
        LM_END_TRY
    }

    CLmPtr<CLmRegValues> CLmRegKey::GetValues() const
    {
        LM_TRY
        {
            return m_Values;
        }
        LM_END_TRY
    }
}
