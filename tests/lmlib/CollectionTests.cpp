// Index-based collections and their event sink.
#include "LmDynamicObjects.h"
#include "LmGCPtr.h"
#include "LmTestSupport.h"

#include <string>
#include <vector>

using namespace LmTest;
using LmLib::CLmGCPtrBase;
using LmLib::Object::CLmDynamicObjects;
using LmLib::Object::CLmObjects;
using LmLib::Object::CLmObjectsEvents;

namespace
{
    // Records every notification; each decision is configurable.
    class CTestSink : public CLmObjectsEvents
    {
    public:
        explicit CTestSink(const CLmPtr<CLmRefsObject>& owner) : CLmObject(owner) {}
        static CLmPtr<CTestSink> Create(CLmPtr<CLmRefsObject> owner)
        {
            return LmLib::LmCreateObject<CTestSink>(owner);
        }

        CLmPtr<CLmObject> OnGetItem(int index) override
        {
            Record("OnGetItem", index);
            return m_ItemSubstitute;
        }
        CLmPtr<CLmObject> OnItemGot(int index, CLmPtr<CLmObject> item) override
        {
            Record("OnItemGot", index);
            return item;
        }
        CLmPtr<CLmObject> OnAdd(CLmPtr<CLmObject>) override
        {
            Record("OnAdd");
            return m_AddReplacement;
        }
        CLmPtr<CLmObject> OnAdded(CLmPtr<CLmObject>, CLmPtr<CLmObject> result) override
        {
            Record("OnAdded");
            return result;
        }
        bool OnRemoveAt(int index) override
        {
            Record("OnRemoveAt", index);
            return m_Veto;
        }
        bool OnRemove(CLmPtr<CLmObject>) override
        {
            Record("OnRemove");
            return m_Veto;
        }
        void OnRemovedAt(int index) override { Record("OnRemovedAt", index); }
        void OnRemoved(CLmPtr<CLmObject>) override { Record("OnRemoved"); }
        bool OnClear() override
        {
            Record("OnClear");
            return m_Veto;
        }
        void OnCleared() override { Record("OnCleared"); }

        std::vector<std::string> m_Calls;
        CLmPtr<CLmObject> m_ItemSubstitute;
        CLmPtr<CLmObject> m_AddReplacement;
        bool m_Veto = false;

    private:
        void Record(const char* name, int index = -1)
        {
            m_Calls.push_back(index < 0 ? std::string(name) : std::string(name) + "(" + std::to_string(index) + ")");
        }
    };


    class CollectionTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            m_Alive = CTestNode::s_Alive;
            m_Registered = CLmGCPtrBase::GetRegisteredCount();
            m_Items = CLmDynamicObjects::Create(nullptr);
        }
        void TearDown() override
        {
            m_Items = nullptr;
            CLmGCPtrBase::Collect();
            EXPECT_EQ(CTestNode::s_Alive, m_Alive);
            EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
        }
        CLmPtr<CLmObject> Node() { return CTestNode::Create(nullptr); }

        int m_Alive = 0;
        size_t m_Registered = 0;
        CLmPtr<CLmDynamicObjects> m_Items;
    };
}

TEST_F(CollectionTest, AddItemRemoveClear)
{
    CLmPtr<CLmObject> a = Node(), b = Node(), c = Node();
    for (const CLmPtr<CLmObject>& node : {a, b, c})
        EXPECT_EQ(static_cast<CLmObject*>(m_Items->Add(node)), static_cast<CLmObject*>(node));
    ASSERT_EQ(m_Items->GetCount(), 3);
    EXPECT_FALSE(m_Items->IsEmpty());
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Item(1)), static_cast<CLmObject*>(b));

    m_Items->Remove(Node());
    EXPECT_EQ(m_Items->GetCount(), 3) << "removing an absent object changes nothing";

    m_Items->Remove(b);
    ASSERT_EQ(m_Items->GetCount(), 2);
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Item(1)), static_cast<CLmObject*>(c));
    m_Items->RemoveAt(0);
    ASSERT_EQ(m_Items->GetCount(), 1);
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Item(0)), static_cast<CLmObject*>(c));
    m_Items->Clear();
    EXPECT_TRUE(m_Items->IsEmpty());
}

TEST_F(CollectionTest, ElementsAreRegisteredMemberPointersOfTheCollection)
{
    std::vector<CLmPtr<CLmObject>> nodes;
    for (int i = 0; i < 40; ++i)  // enough to make the vector grow several times
    {
        nodes.push_back(Node());
        m_Items->Add(nodes.back());
    }
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered + 40);
    m_Items->RemoveAt(3);
    m_Items->Remove(nodes[10]);
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered + 38);
    // Held by the test, by the collection and by the pointer Item hands back.
    for (int i = 0; i < m_Items->GetCount(); ++i)
        EXPECT_EQ(m_Items->Item(i)->GetRefCount(), 3);
    m_Items->Clear();
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
}

TEST_F(CollectionTest, AddingNullRaises)
{
    CLmException error = Catch([&] { m_Items->Add(nullptr); });
    EXPECT_EQ(Text(error.GetMessage()), L"Can't add empty element to List . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
    std::wstring where = Text(error.GetLocation());
    EXPECT_EQ(where.rfind(L"LMLIB/Src/LmDynamicObjects.cpp - ", 0), 0u) << where;
    EXPECT_NE(where.find(L"\r\nLMLIB/Src/LmObjects.cpp - "), std::wstring::npos) << where;
    EXPECT_EQ(m_Items->GetCount(), 0);
}

TEST_F(CollectionTest, SinkMayReplaceAddingSupplyItemsAndVetoRemovals)
{
    CLmPtr<CTestSink> sink = CTestSink::Create(nullptr);
    m_Items->SetEvents(sink);
    CLmPtr<CLmObject> stored = Node();
    m_Items->Add(stored);
    CLmPtr<CLmObject> replacement = Node();
    sink->m_AddReplacement = replacement;
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Add(Node())), static_cast<CLmObject*>(replacement));
    EXPECT_EQ(m_Items->GetCount(), 1) << "the sink's result replaces the collection's adding";
    sink->m_AddReplacement = nullptr;
    m_Items->Add(Node());
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Item(0)), static_cast<CLmObject*>(stored));
    sink->m_ItemSubstitute = replacement;
    EXPECT_EQ(static_cast<CLmObject*>(m_Items->Item(0)), static_cast<CLmObject*>(replacement));
    sink->m_ItemSubstitute = nullptr;

    // Vetoed removals change nothing, but the sink is told afterwards all the same.
    sink->m_Veto = true;
    m_Items->RemoveAt(0);
    m_Items->Remove(stored);
    m_Items->Clear();
    EXPECT_EQ(m_Items->GetCount(), 2);
    sink->m_Veto = false;
    m_Items->RemoveAt(0);
    EXPECT_EQ(m_Items->GetCount(), 1);
    std::vector<std::string> expected = {"OnAdd", "OnAdded", "OnAdd", "OnAdded", "OnAdd", "OnAdded", "OnGetItem(0)",
                                         "OnItemGot(0)", "OnGetItem(0)", "OnItemGot(0)", "OnRemoveAt(0)",
                                         "OnRemovedAt(0)", "OnRemove", "OnRemoved", "OnClear", "OnCleared",
                                         "OnRemoveAt(0)", "OnRemovedAt(0)"};
    EXPECT_EQ(sink->m_Calls, expected);
    m_Items->SetEvents(nullptr);
}

TEST_F(CollectionTest, CollectionWithElementsOwnedByItIsReclaimed)
{
    CLmPtr<CLmDynamicObjects> items = CLmDynamicObjects::Create(nullptr);
    for (int i = 0; i < 3; ++i)
        items->Add(CTestNode::Create(items));
    CLmPtr<CTestSink> sink = CTestSink::Create(items);
    items->SetEvents(sink);
    sink = nullptr;
    items = nullptr;
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 3) << "elements and collection hold each other";
    EXPECT_TRUE(CLmGCPtrBase::Collect());
    EXPECT_EQ(CTestNode::s_Alive, m_Alive);
}

