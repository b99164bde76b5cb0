// Helpers for the host wrappers' tests: a model built in memory (ModelBuilder.h), the stand-in host
// serving it, wrappers made over its automation objects, and message boxes taken over.
#pragma once

#include "Automation.h"
#include "LmException.h"
#include "LmTestHelpers.h"
#include "ModelBuilder.h"
#include "VXCommon.h"

#include <vxplat/User.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace WrapperTest {

using namespace RoseHost;
using LmLib::CLmPtr;
using LmLib::Errors::Exception::CLmException;
using LmLib::Values::CLmBSTR;

using VexloTest::Text;

// The reference count of a host object, read without changing it.
inline ULONG RefCount(IDispatch* object)
{
    object->AddRef();
    return object->Release();
}

using VexloTest::ModelBuilder;

// Records every message box shown while it lives, and answers OK.
class MessageBoxRecorder {
public:
    struct Shown {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    MessageBoxRecorder() : m_previous(VxpSetMessageBoxHandler(&Record)) { Boxes().clear(); }
    ~MessageBoxRecorder() { VxpSetMessageBoxHandler(m_previous); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<Shown>& Shows() const { return Boxes(); }

private:
    static std::vector<Shown>& Boxes()
    {
        static std::vector<Shown> boxes;
        return boxes;
    }
    static int WINAPI Record(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
    {
        Boxes().push_back({text ? text : L"", caption ? caption : L"", type});
        return IDOK;
    }

    VxpMessageBoxHandler m_previous;
};

using VexloTest::Raised;

// A test over a model and the stand-in host serving it. The host is made on first use,
// so a test builds its model first.
class HostTest : public ::testing::Test {
protected:
    ModelBuilder build;

    AutomationHost& Host()
    {
        if (!m_host)
            m_host = std::make_unique<AutomationHost>(build.model);
        return *m_host;
    }

    // A wrapper W (made by W::Create with no parent) of the element's automation object.
    template <class W>
    CLmPtr<W> Wrap(Element* element)
    {
        CVXDispatchRef object(Host().CreateElementObject(*element));
        return W::Create(CVXParentPtr(), object.Get());
    }

private:
    std::unique_ptr<AutomationHost> m_host;
};

} // namespace WrapperTest
