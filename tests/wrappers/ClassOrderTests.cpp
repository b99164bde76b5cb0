// The exchange order of a component's classes against a plain pairwise implementation
// written here from the rules: each pair (i, j > i) of the list as earlier exchanges
// left it changes places when the class at i inherits from, or else depends on, the
// class at j; both walks count their steps and stop above 500, a dependency walk with a
// "Recursive" message.
#include "WrapperTestSupport.h"

#include "Automation.h"
#include "AutomationObject.h"
#include "VXClass.h"
#include "VXClassOrder.h"
#include "VXModule.h"

#include <algorithm>
#include <map>
#include <random>

namespace WrapperTest {
namespace {

struct PlainOrder {
    std::map<std::wstring, std::vector<std::wstring>> supers, suppliers;
    std::vector<std::wstring> boxes;

    bool Inherits(const std::wstring& cls, const std::wstring& other, long& steps)
    {
        for (const std::wstring& s : supers[cls]) {
            if (s == other)
                return true;
            ++steps;
            bool found = steps <= 500 && Inherits(s, other, steps);
            if (steps > 500)
                return found;
            if (found)
                return true;
        }
        return false;
    }
    bool Depends(const std::wstring& cls, const std::wstring& other, long& steps)
    {
        for (const std::wstring& s : suppliers[cls]) {
            if (s == other)
                return true;
            if (++steps > 500) {
                boxes.push_back(cls + L" - " + other + L" recursive dependency !!!");
                return false;
            }
            if (Depends(s, other, steps))
                return true;
        }
        return false;
    }
    std::vector<std::wstring> Order(std::vector<std::wstring> list)
    {
        for (size_t i = 0; i + 1 < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j) {
                long inheritSteps = 0, dependSteps = 0;
                if (Inherits(list[i], list[j], inheritSteps) || Depends(list[i], list[j], dependSteps))
                    std::swap(list[i], list[j]);
            }
        return list;
    }
};

class ClassOrderTest : public HostTest {
protected:
    std::map<std::wstring, Class*> classes;
    PlainOrder plain;

    Class* C(const std::wstring& name)
    {
        Class*& c = classes[name];
        if (!c)
            c = build.AddClass(name);
        return c;
    }
    void Inherit(const std::wstring& sub, const std::wstring& super)
    {
        build.Inherit(C(sub), C(super));
        plain.supers[sub].push_back(super);
    }
    void Depend(const std::wstring& client, const std::wstring& supplier)
    {
        build.Depend(C(client), C(supplier));
        plain.suppliers[client].push_back(supplier);
    }

    // 30 classes in the component, two outside it: an inheritance chain, a diamond,
    // an inheritance cycle, a dependency chain, a dependency cycle entered from outside
    // it, and classes that mix both kinds of relation.
    std::vector<std::wstring> BuildModel()
    {
        auto n = [](int i) { return L"C" + std::to_wstring(100 + i).substr(1); };
        for (int i = 1; i <= 9; ++i)
            Inherit(n(i), n(i - 1));
        Inherit(n(10), n(11));
        Inherit(n(10), n(12));
        Inherit(n(11), n(13));
        Inherit(n(12), n(13));
        Inherit(n(27), n(28));
        Inherit(n(28), n(27));
        for (int i = 14; i < 19; ++i)
            Depend(n(i), n(i + 1));
        Depend(n(20), n(21));
        Depend(n(21), n(22));
        Depend(n(22), n(20));
        Depend(n(22), L"Outside");
        Depend(n(23), n(20));
        Inherit(n(24), n(5));
        Depend(n(24), n(17));
        Depend(n(25), n(24));
        Inherit(n(26), L"Base");
        Inherit(n(29), n(26));
        Depend(n(29), n(3));
        Depend(n(19), n(10));
        std::vector<std::wstring> names;
        for (int i = 0; i < 30; ++i) {
            C(n(i));
            names.push_back(n(i));
        }
        return names;
    }
};

TEST_F(ClassOrderTest, SameOrderAndMessagesAsThePlainPairwiseWalk)
{
    std::vector<std::wstring> names = BuildModel();
    std::vector<std::wstring> reversed(names.rbegin(), names.rend());
    std::vector<std::wstring> shuffled1 = names, shuffled2 = names;
    std::shuffle(shuffled1.begin(), shuffled1.end(), std::mt19937(1));
    std::shuffle(shuffled2.begin(), shuffled2.end(), std::mt19937(2));
    const struct {
        const char* name;
        std::vector<std::wstring> hostOrder;
    } cases[] = {{"base first", names}, {"derived first", reversed}, {"shuffled", shuffled1}, {"shuffled", shuffled2}};

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Class*> assigned;
        for (const std::wstring& name : c.hostOrder)
            assigned.push_back(classes[name]);
        Module* module = build.AddComponent(build.components, L"M" + std::to_wstring(&c - cases), L"Delphi", assigned);

        plain.boxes.clear();
        std::vector<std::wstring> expected = plain.Order(c.hostOrder);

        MessageBoxRecorder boxes;
        unsigned long long invokes = Automation::Object::InvokeCount();
        std::vector<CLmPtr<CVXClass>> ordered = CVXClassOrder::GetOrderedClasses(Wrap<CVXModule>(module));
        invokes = Automation::Object::InvokeCount() - invokes;

        std::vector<std::wstring> actual;
        for (const CLmPtr<CVXClass>& cls : ordered)
            actual.push_back(Text(cls->GetName()));
        EXPECT_EQ(expected, actual);
        ASSERT_FALSE(plain.boxes.empty()) << "the model must make the walk cross the limit";
        std::vector<std::wstring> shown;
        for (const auto& box : boxes.Shows()) {
            EXPECT_EQ(L"Recursive", box.caption);
            shown.push_back(box.text);
        }
        EXPECT_EQ(plain.boxes, shown);
        // Each class's id, relations and name are asked of the host once, not once per
        // step or message (a walk over the host takes well over 50,000 calls here).
        EXPECT_LT(invokes, 32u * 60u);
    }
}

// What the host could not answer while the relations were read is not taken for "no
// relation": the ordering fails with the host's error.
TEST_F(ClassOrderTest, HostFailureWhileReadingRelationsIsRaised)
{
    const struct {
        const wchar_t* member;
    } cases[] = {{L"IRoseInheritRelation.GetSupplierClass"}, {L"IRoseClass.GetClassDependencies"}};
    Inherit(L"A", L"B");
    Depend(L"A", L"C");
    Module* module = build.AddComponent(build.components, L"M", L"Delphi", {C(L"A"), C(L"C")});
    for (const auto& c : cases) {
        Host().ClearFailures();
        Host().SetFailure(c.member, E_FAIL, -1, L"the host failed");
        CLmException error = Raised([&] { CVXClassOrder::GetOrderedClasses(Wrap<CVXModule>(module)); });
        EXPECT_NE(std::wstring::npos, Text(error.GetMessage()).find(L"the host failed")) << Text(error.GetMessage()).size();
    }
    Host().ClearFailures();
}

} // namespace
} // namespace WrapperTest
