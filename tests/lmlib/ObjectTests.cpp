// Reference counting, the creation idiom, owner links and the cycle collector.
#include "LmDynamicObjects.h"
#include "LmGCPtr.h"
#include "LmTestSupport.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

using namespace LmTest;
using LmLib::CLmGCPtrBase;
using LmLib::Object::CLmDynamicObjects;

namespace
{
    class ObjectTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            m_Alive = CTestNode::s_Alive;
            m_Registered = CLmGCPtrBase::GetRegisteredCount();
        }
        void TearDown() override
        {
            CLmGCPtrBase::Collect();
            EXPECT_EQ(CTestNode::s_Alive, m_Alive) << "test nodes left behind";
            EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
        }
        int m_Alive = 0;
        size_t m_Registered = 0;
    };
}

TEST_F(ObjectTest, CreateHandsOutTheOnlyReference)
{
    int destroyed = CTestNode::s_Destroyed;
    {
        CLmPtr<CTestNode> node = CTestNode::Create(nullptr);
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetRefCount(), 1);
        EXPECT_EQ(node->AddRef(), 2);
        EXPECT_EQ(node->Release(), 1);
        EXPECT_EQ(CTestNode::s_Alive, m_Alive + 1);
    }
    EXPECT_EQ(CTestNode::s_Alive, m_Alive);
    EXPECT_EQ(CTestNode::s_Destroyed, destroyed + 1) << "OnDestroy runs exactly once";
    EXPECT_TRUE(CTestNode::Create(nullptr, false).IsNull()) << "a failed Initialize yields null";
    EXPECT_EQ(CTestNode::s_Alive, m_Alive);
}

TEST_F(ObjectTest, ChildrenKeepTheirOwnerAlive)
{
    CLmPtr<CTestNode> parent = CTestNode::Create(nullptr);
    CLmPtr<CTestNode> child = CTestNode::Create(parent);
    CLmPtr<CTestNode> grandchild = CTestNode::Create(child);
    CTestNode* rawParent = parent;
    parent = nullptr;
    EXPECT_EQ(rawParent->GetRefCount(), 1);
    EXPECT_EQ(static_cast<CLmRefsObject*>(child->GetOwner()), static_cast<CLmRefsObject*>(rawParent));

    // Cutting the chain from the grandchild releases everything above it.
    child = nullptr;
    grandchild->ReleaseOwnerChain();
    EXPECT_TRUE(grandchild->GetOwner().IsNull());
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 1);
}

TEST_F(ObjectTest, OverReleaseRaisesDeleteObjectManyTimes)
{
    CTestNode node(nullptr, true);
    node.ForceRefCount(0);
    CLmException error = Catch([&] { node.Release(); });
    EXPECT_EQ(Text(error.GetMessage()), L"Delete object many times . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
    node.ForceRefCount(1);
}

TEST_F(ObjectTest, FailingDestroyRaisesDeleteObject)
{
    CLmPtr<CTestNode> node = CTestNode::Create(nullptr);
    CTestNode* raw = node;
    raw->AddRef();
    node = nullptr;  // the test holds the only reference
    raw->m_ThrowOnDestroy = true;
    CLmException error = Catch([&] { raw->Release(); });
    EXPECT_EQ(Text(error.GetMessage()), L"Delete object . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
    // The failed destruction left the object in place.
    delete raw;
}

TEST_F(ObjectTest, OnlyOwnedNonNullMemberPointersAreRegistered)
{
    CLmPtr<CTestNode> a = CTestNode::Create(nullptr);
    CLmPtr<CTestNode> b = CTestNode::Create(nullptr);
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
    CLmGCPtr<CTestNode> unowned(nullptr, b);
    CLmGCPtr<CTestNode> copy = a->m_Peer;
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
    a->m_Peer = b;
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered + 1);
    CLmGCPtr<CTestNode> copyOfMember = a->m_Peer;
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered + 1);
    a->m_Peer = nullptr;
    EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
}

TEST_F(ObjectTest, CollectorReclaimsCyclesAndKeepsReachableObjects)
{
    CLmPtr<CTestNode> root = CTestNode::Create(nullptr);
    {
        // Garbage: a and b hold each other only.
        CLmPtr<CTestNode> a = CTestNode::Create(nullptr);
        CLmPtr<CTestNode> b = CTestNode::Create(nullptr);
        a->m_Peer = b;
        b->m_Peer = a;
        // Alive: root -> x -> y -> root, root held from outside.
        CLmPtr<CTestNode> x = CTestNode::Create(nullptr);
        CLmPtr<CTestNode> y = CTestNode::Create(nullptr);
        root->m_Peer = x;
        x->m_Peer = y;
        y->m_Peer = root;
    }
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 5);
    EXPECT_TRUE(CLmGCPtrBase::Collect());
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 3);
    CTestNode* x = root->m_Peer;
    ASSERT_NE(x, nullptr);
    CTestNode* y = x->m_Peer;
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(static_cast<CTestNode*>(y->m_Peer), static_cast<CTestNode*>(root));

    root = nullptr;
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 3) << "a cycle outlives its last outside reference";
    EXPECT_TRUE(CLmGCPtrBase::Collect());
    EXPECT_EQ(CTestNode::s_Alive, m_Alive);
}

TEST_F(ObjectTest, RegisteringAtTheThresholdRunsACollection)
{
    {
        CLmPtr<CTestNode> a = CTestNode::Create(nullptr);
        CLmPtr<CTestNode> b = CTestNode::Create(nullptr);
        a->m_Peer = b;
        b->m_Peer = a;
    }
    DWORD threshold = CLmGCPtrBase::GetCollectThreshold();
    CLmGCPtrBase::SetCollectThreshold(static_cast<DWORD>(CLmGCPtrBase::GetRegisteredCount()));
    CLmPtr<CTestNode> c = CTestNode::Create(nullptr);
    CLmPtr<CTestNode> d = CTestNode::Create(nullptr);
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 4);
    c->m_Peer = d;  // registers: the registry is at the threshold
    CLmGCPtrBase::SetCollectThreshold(threshold);
    EXPECT_EQ(CTestNode::s_Alive, m_Alive + 2);
    EXPECT_EQ(CLmGCPtrBase::GetCollectThreshold(), 10000u);
}


namespace
{
    // A second, polymorphic base in front of the library part: the views of such an
    // object are not at its address.
    struct CTestTag
    {
        virtual ~CTestTag() = default;
        int m_Tag = 7;
    };
    class CTaggedNode : public CTestTag, public CTestNode
    {
    public:
        CTaggedNode(const CLmPtr<CLmRefsObject>& owner, bool initializes) : CTestNode(owner, initializes) {}
    };
}

TEST_F(ObjectTest, TypedViewsAnswerAsTheDynamicTypeDoes)
{
    CLmPtr<CTestNode> plain = CTestNode::Create(nullptr);
    CLmPtr<CTaggedNode> tagged = LmLib::LmCreateObject<CTaggedNode>(CLmPtr<CLmRefsObject>(), true);
    CLmPtr<CTaggedNode> other = LmLib::LmCreateObject<CTaggedNode>(CLmPtr<CLmRefsObject>(), true);
    ASSERT_FALSE(tagged.IsNull());
    // Asked again and again, and for two objects of one type, the views stay right.
    for (int round = 0; round < 3; ++round)
    {
        for (const CLmPtr<CTaggedNode>* p : {&tagged, &other})
        {
            CTaggedNode* object = dynamic_cast<CTaggedNode*>(p->Get());
            EXPECT_EQ(p->GetTyped(), object);
            EXPECT_EQ(CLmPtr<CTestTag>(*p).GetTyped(), static_cast<CTestTag*>(object));
            EXPECT_EQ(CLmPtr<CTestTag>(*p)->m_Tag, 7);
            const CLmGCPtr<CTestNode> held(static_cast<LmLib::Object::CLmUnknownObject*>(nullptr), *p);
            EXPECT_EQ(held.GetTyped(), static_cast<CTestNode*>(object));
        }
        EXPECT_EQ(CLmPtr<CTaggedNode>(plain).GetTyped(), nullptr);
        EXPECT_EQ(CLmPtr<CTestTag>(plain).GetTyped(), nullptr);
        EXPECT_EQ(CLmPtr<CTestNode>(plain).GetTyped(), dynamic_cast<CTestNode*>(plain.Get()));
        EXPECT_EQ(CLmPtr<CTaggedNode>().GetTyped(), nullptr);
    }
}

namespace
{
    struct CollectCase
    {
        const char* name;
        std::vector<int> cycles;  // lengths of the garbage cycles
        bool cutRegisters;        // a destroyed node links a new one to the survivors
    };

    // The owners of the dumped lines, in the order written (low 32 bits of the address).
    std::vector<unsigned> DumpedOwners()
    {
        testing::internal::CaptureStdout();
        CLmGCPtrBase::DumpReferences();
        std::istringstream lines(testing::internal::GetCapturedStdout());
        std::vector<unsigned> owners;
        for (std::string line; std::getline(lines, line);)
        {
            size_t at = line.find("[0x");
            if (at != std::string::npos)
                owners.push_back(static_cast<unsigned>(std::stoul(line.substr(at + 3), nullptr, 16)));
        }
        return owners;
    }

    unsigned Low(const void* p) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)); }
}

TEST_F(ObjectTest, CollectorReclaimsEveryCycleWalkingInAddressOrder)
{
    const CollectCase cases[] = {
        {"self loop", {1}, false},
        {"cycles of several lengths", {1, 2, 3, 7}, false},
        {"a cut registers at the threshold", {2, 3, 1}, true},
    };
    for (const CollectCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Held from outside, with a second survivor held only through it.
        CLmPtr<CTestNode> survivor = CTestNode::Create(nullptr);
        survivor->m_Peer = CTestNode::Create(nullptr);
        CTestNode* kept = survivor->m_Peer;
        std::set<unsigned> ours;
        int garbage = 0;
        for (int length : c.cycles)
        {
            std::vector<CLmPtr<CTestNode>> ring;
            for (int i = 0; i < length; ++i)
                ring.push_back(CTestNode::Create(nullptr));
            for (int i = 0; i < length; ++i)
            {
                ring[i]->m_Peer = ring[(i + 1) % length];
                ours.insert(Low(ring[i].GetTyped()));
            }
            garbage += length;
            // A lone node is destroyed after its own pointer is cut, so nothing of it is
            // left in the registry when it registers the new one.
            if (c.cutRegisters && length == 1)
                ring[0]->m_OnDestroy = [kept] { kept->m_Peer = CTestNode::Create(nullptr); };
        }
        // The registry is written out ordered by the pointers' addresses, which here
        // are the owners' addresses plus one offset.
        std::vector<unsigned> dumped;
        for (unsigned owner : DumpedOwners())
            if (ours.count(owner))
                dumped.push_back(owner);
        EXPECT_EQ(dumped.size(), ours.size());
        EXPECT_TRUE(std::is_sorted(dumped.begin(), dumped.end()));

        EXPECT_EQ(CTestNode::s_Alive, m_Alive + 2 + garbage);
        DWORD threshold = CLmGCPtrBase::GetCollectThreshold();
        if (c.cutRegisters)
            CLmGCPtrBase::SetCollectThreshold(0);  // that registration collects again, inside
        EXPECT_TRUE(CLmGCPtrBase::Collect());
        CLmGCPtrBase::SetCollectThreshold(threshold);
        int added = c.cutRegisters ? 1 : 0;
        EXPECT_EQ(CTestNode::s_Alive, m_Alive + 2 + added);
        EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered + 1 + added);
        EXPECT_EQ(kept->m_Peer.IsNull(), !c.cutRegisters);
    }
}
