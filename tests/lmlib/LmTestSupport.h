// Helpers shared by the foundation library's tests.
#pragma once

#include "LmException.h"
#include "LmTestHelpers.h"
#include "LmObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace LmTest
{
    using LmLib::CLmGCPtr;
    using LmLib::CLmPtr;
    using LmLib::Errors::Exception::CLmException;
    using LmLib::Object::CLmObject;
    using LmLib::Object::CLmRefsObject;
    using LmLib::Values::CLmBSTR;

    using VexloTest::Text;

    // Runs action, expects a CLmException and hands it back.
    inline CLmException Catch(const std::function<void()>& action)
    {
        try
        {
            action();
        }
        catch (const CLmException& error)
        {
            return error;
        }
        catch (...)
        {
            ADD_FAILURE() << "a foreign exception escaped";
            return CLmException(CLmBSTR(L"foreign"), CLmBSTR(), "", 0, 0);
        }
        ADD_FAILURE() << "no exception was raised";
        return CLmException(CLmBSTR(L"none"), CLmBSTR(), "", 0, 0);
    }

    // A library object that counts its instances and can hold one other node.
    class CTestNode : public CLmObject
    {
    public:
        CTestNode(const CLmPtr<CLmRefsObject>& owner, bool initializes)
            : CLmObject(owner), m_Peer(this), m_Initializes(initializes)
        {
            ++s_Alive;
        }
        ~CTestNode() override { --s_Alive; }

        static CLmPtr<CTestNode> Create(CLmPtr<CLmRefsObject> owner, bool initializes = true)
        {
            return LmLib::LmCreateObject<CTestNode>(owner, initializes);
        }

        bool Initialize(CLmPtr<CLmRefsObject>) override { return m_Initializes; }
        void OnDestroy() override
        {
            ++s_Destroyed;
            if (m_OnDestroy)
                m_OnDestroy();
            if (m_ThrowOnDestroy)
                throw 42;
        }

        void ForceRefCount(LONG count) { m_RefCount = count; }

        CLmGCPtr<CTestNode> m_Peer;
        bool m_Initializes;
        bool m_ThrowOnDestroy = false;
        std::function<void()> m_OnDestroy;

        static inline int s_Alive = 0;
        static inline int s_Destroyed = 0;
    };
}
