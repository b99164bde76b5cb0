// The generator's own choices where the model leaves C# open: names that the member's
// properties give, container types of roles with many targets, operations left out.
#include "CSharpTestSupport.h"

namespace CSharpTest {
namespace {

class ChoiceTest : public CSharpGenerationTest {
protected:
    int m_count = 0;

    // Class X with what `setup` adds, in a fresh component; the file's text.
    template <class F>
    std::string FileOf(F&& setup)
    {
        std::wstring n = std::to_wstring(m_count++);
        Class* x = build.AddClass(L"X", L"Q-X" + n);
        Module* module = AddComponent(L"C" + n, {x});
        setup(x);
        return GenerateText(module);
    }
};

TEST_F(ChoiceTest, FieldAndPropertyNamesFromTheirProperties)
{
    struct Case {
        const wchar_t* fieldName;
        const wchar_t* propertyName;
        std::vector<const char*> present;
    };
    const Case cases[] = {
        {L"", L"", {"    private int FSize;\r\n", "    public int Size \r\n", "return FSize;", "FSize=value;",
                    "    FSize=5;\r\n"}},
        {L"m_size", L"", {"    private int m_size;\r\n", "    public int Size \r\n", "return m_size;",
                          "m_size=value;", "    m_size=5;\r\n"}},
        {L"", L"this", {"    private int FSize;\r\n", "    public int this[int i] \r\n", "X::SetSize%"}},
    };
    for (const Case& c : cases) {
        std::string text = FileOf([&](Class* x) {
            Attribute* size = build.AddAttribute(x, L"Size", L"int", PublicAccess, L"5");
            Set(size, L"IsProperty", L"TRUE");
            Set(size, L"DataMemberName", c.fieldName);
            Set(size, L"PropertyName", c.propertyName);
            if (*c.propertyName)
                Set(size, L"Parameters", L"int i");
            build.AddOperation(x, L"X", L"X");
        });
        for (const char* piece : c.present)
            EXPECT_NE(std::string::npos, text.find(piece)) << piece << "\n" << text;
    }
}

TEST_F(ChoiceTest, ContainerClassOnlyForManyTargets)
{
    struct Case {
        const wchar_t* container;
        const wchar_t* cardinality;
        const char* field;
    };
    const Case cases[] = {
        {L"", L"0..n", "private Y Fitems;"},
        {L"List<Y>", L"0..n", "private List<Y> Fitems;"},
        {L"List<Y>", L"*", "private List<Y> Fitems;"},
        {L"List<Y>", L"1..10", "private List<Y> Fitems;"},
        {L"List<Y>", L"2", "private List<Y> Fitems;"},
        {L"List<Y>", L"1", "private Y Fitems;"},
        {L"List<Y>", L"0..1", "private Y Fitems;"},
        {L"List<Y>", L"", "private Y Fitems;"},
    };
    for (const Case& c : cases) {
        std::string text = FileOf([&](Class* x) {
            Class* y = build.AddClass(L"Y", x->quid + L"-Y");
            Association* a = build.Associate(x->quid + L"-A", x, L"items", true, y, L"owner", false);
            a->role1->cardinality = c.cardinality;
            Set(a->role1, L"ContainerClass", c.container);
        });
        EXPECT_NE(std::string::npos, text.find(c.field))
            << Narrow(c.container) << " " << Narrow(c.cardinality) << "\n" << text;
    }
}

TEST_F(ChoiceTest, OperationGenerateCodeFalseLeavesTheMethodOut)
{
    struct Case {
        const wchar_t* value;
        bool written;
    };
    for (const Case& c : {Case{L"FALSE", false}, {L"false", false}, {L"fAlSe", false}, {L"TRUE", true}, {L"", true},
                          {L"no", true}, {L"FALS", true}, {L"FALSE ", true}, {L"fals\xE9", true}}) {
        std::string text = FileOf([&](Class* x) { Set(build.AddOperation(x, L"Run", L"void"), L"GenerateCode", c.value); });
        EXPECT_EQ(c.written, text.find("public void Run()") != std::string::npos) << Narrow(c.value);
    }
}

} // namespace
} // namespace CSharpTest
