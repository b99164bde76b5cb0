// Collections: 0-based access over the host's 1-based collections, and indexes outside
// them (what each kind holds is seen through the generators' output).
#include "WrapperTestSupport.h"

#include "VXClass.h"
#include "VXOperationCollection.h"

namespace WrapperTest {
namespace {

class CollectionTest : public HostTest {};

// GetAt(i) asks the host for element i + 1: the last index is count - 1, and the
// first index past either end raises the host's error.
TEST_F(CollectionTest, IndexOutsideTheHostsRangeRaisesTheHostsError)
{
    Class* circle = build.AddClass(L"Circle");
    for (const wchar_t* name : {L"area", L"draw", L"move"})
        build.AddOperation(circle, name);
    CLmPtr<CVXItemCollection> operations = Wrap<CVXClass>(circle)->GetOperations();
    ASSERT_EQ(3, operations->GetCount());
    for (LONG i = 0; i < 3; ++i)
        EXPECT_EQ(circle->operations[static_cast<size_t>(i)]->name, Text(operations->GetAt(i)->GetName()));
    for (LONG index : {LONG(3), LONG(100), LONG(-1)}) {
        CLmException error = Raised([&] { operations->GetAt(index); });
        EXPECT_EQ(DISP_E_BADINDEX, error.m_Code) << index;
        EXPECT_NE(std::wstring::npos, Text(error.GetMessage()).find(L"Index out of range")) << index;
    }
    CLmPtr<CVXItemCollection> empty = Wrap<CVXClass>(build.AddClass(L"Point"))->GetOperations();
    EXPECT_EQ(0, empty->GetCount());
    EXPECT_EQ(DISP_E_BADINDEX, Raised([&] { empty->GetAt(0); }).m_Code);
}

} // namespace
} // namespace WrapperTest
