// An open registry key with its sub-keys and values.
#pragma once

#include "LmRegObject.h"

namespace LmLib::Registry
{
    class CLmRegKeys;
    class CLmRegValues;

    class CLmRegKey : public CLmRegObject
    {
    public:
        CLmRegKey(const CLmPtr<CLmRefsObject>& owner, HKEY root, const CLmBSTR& path);
        CLmRegKey(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& parent, const CLmBSTR& name);
        ~CLmRegKey() override;

        // A key below a predefined root; null when it cannot be opened.
        static CLmPtr<CLmRegKey> Create(CLmPtr<CLmRefsObject> owner, HKEY root, const CLmBSTR& path);
        // A sub-key of an open key; null when it cannot be opened.
        static CLmPtr<CLmRegKey> Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> parent,
                                        const CLmBSTR& name);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;
        void OnDestroy() override;

        HKEY GetHandle() const { return m_hKey; }
        CLmBSTR GetName() const;
        CLmPtr<CLmRegKeys> GetSubKeys() const;
        CLmPtr<CLmRegValues> GetValues() const;

        CLmGCPtr<CLmRegKeys> m_SubKeys;
        CLmGCPtr<CLmRegValues> m_Values;

    protected:
        HKEY m_hKey;
        CLmBSTR m_Name;
        CLmGCPtr<CLmRegKey> m_Parent;
    };
}
