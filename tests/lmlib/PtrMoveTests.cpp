// Moving the smart pointers: the reference is handed over, counts stay, the source is
// empty, a member pointer keeps its registry entry only while it holds a target.
#include "LmTestSupport.h"

#include "LmGCPtr.h"
#include "LmLock.h"

#include <utility>
#include <vector>

namespace LmTest
{
    namespace
    {
        class PtrMoveTest : public ::testing::Test
        {
        protected:
            void SetUp() override { alive = CTestNode::s_Alive; }
            void TearDown() override { EXPECT_EQ(alive, CTestNode::s_Alive) << "an object leaked or died twice"; }
            int alive = 0;
        };

        TEST_F(PtrMoveTest, MovesHandTheReferenceOver)
        {
            struct Case
            {
                const char* name;
                std::function<CLmPtr<CTestNode>(CLmPtr<CTestNode>&)> move;
            };
            const Case cases[] = {
                {"construct", [](CLmPtr<CTestNode>& p) { return CLmPtr<CTestNode>(std::move(p)); }},
                {"assign to empty",
                 [](CLmPtr<CTestNode>& p) {
                     CLmPtr<CTestNode> q;
                     q = std::move(p);
                     return q;
                 }},
                {"assign over another object",
                 [](CLmPtr<CTestNode>& p) {
                     CLmPtr<CTestNode> q = CTestNode::Create(nullptr);
                     q = std::move(p); // the other object dies here
                     return q;
                 }},
                {"through the base type",
                 [](CLmPtr<CTestNode>& p) {
                     CLmPtr<CLmObject> base(std::move(p));
                     return CLmPtr<CTestNode>(std::move(base));
                 }},
                {"into a growing vector",
                 [](CLmPtr<CTestNode>& p) {
                     std::vector<CLmPtr<CTestNode>> list;
                     list.push_back(std::move(p));
                     for (int i = 0; i < 20; ++i)
                         list.push_back(nullptr);
                     return list.front();
                 }},
            };
            for (const Case& c : cases)
            {
                SCOPED_TRACE(c.name);
                CLmPtr<CTestNode> source = CTestNode::Create(nullptr);
                CTestNode* object = source;
                int before = CTestNode::s_Alive;
                CLmPtr<CTestNode> target = c.move(source);
                EXPECT_TRUE(source.IsNull());
                EXPECT_EQ(object, target.GetTyped());
                EXPECT_EQ(1, object->GetRefCount());
                EXPECT_GE(before, CTestNode::s_Alive);
                EXPECT_EQ(0, LmLib::CLmLock::GetDepth());
            }
        }

        TEST_F(PtrMoveTest, SelfMoveKeepsTheObject)
        {
            CLmPtr<CTestNode> p = CTestNode::Create(nullptr);
            CLmPtr<CTestNode>& alias = p;
            p = std::move(alias);
            ASSERT_FALSE(p.IsNull());
            EXPECT_EQ(1, p->GetRefCount());
        }

        TEST_F(PtrMoveTest, MovedMemberPointersLeaveTheRegistry)
        {
            size_t registered = LmLib::CLmGCPtrBase::GetRegisteredCount();
            CLmPtr<CTestNode> owner = CTestNode::Create(nullptr);
            CLmPtr<CTestNode> peer = CTestNode::Create(nullptr);
            owner->m_Peer = peer;
            EXPECT_EQ(registered + 1, LmLib::CLmGCPtrBase::GetRegisteredCount());
            EXPECT_EQ(2, peer->GetRefCount());

            // Out of the member: the moved pointer belongs to nothing.
            CLmGCPtr<CTestNode> loose(std::move(owner->m_Peer));
            EXPECT_TRUE(owner->m_Peer.IsNull());
            EXPECT_EQ(nullptr, loose.GetOwnerObject());
            EXPECT_EQ(registered, LmLib::CLmGCPtrBase::GetRegisteredCount());
            EXPECT_EQ(2, peer->GetRefCount());

            // Back into the member: it keeps its owner and registers again.
            owner->m_Peer = std::move(loose);
            EXPECT_TRUE(loose.IsNull());
            EXPECT_EQ(owner.GetTyped(), owner->m_Peer.GetOwnerObject());
            EXPECT_EQ(registered + 1, LmLib::CLmGCPtrBase::GetRegisteredCount());
            EXPECT_EQ(2, peer->GetRefCount());

            // A cycle made by moves is still found by the collector.
            peer->m_Peer = std::move(owner);
            EXPECT_TRUE(owner.IsNull());
            int before = CTestNode::s_Alive;
            peer = nullptr;
            EXPECT_EQ(before, CTestNode::s_Alive);
            EXPECT_TRUE(LmLib::CLmGCPtrBase::Collect());
            EXPECT_EQ(before - 2, CTestNode::s_Alive);
            EXPECT_EQ(registered, LmLib::CLmGCPtrBase::GetRegisteredCount());
        }
    }
}
