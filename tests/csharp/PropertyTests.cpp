// How the "C#" tool properties steer the output (booleans in any letter case,
// enumerations by their lower-cased word, namespaces, output folders), and the
// indentation helpers.
#include "CSharpTestSupport.h"

#include "VXCSharpModel.h"

namespace CSharpTest {
namespace {

class PropertyTest : public CSharpGenerationTest {
protected:
    int m_count = 0;

    // A fresh component with one class X (in the given package); the class's file text
    // after the properties are set by `setup`.
    template <class F>
    std::string OneClassFile(F&& setup, Category* package = nullptr)
    {
        std::wstring n = std::to_wstring(m_count++);
        Class* x = build.AddClass(L"X", L"Q-X" + n, package);
        Module* module = AddComponent(L"C" + n, {x});
        setup(x, module);
        log.clear();
        Generate(module);
        return ReadBytes(FileOf(module));
    }
};

TEST_F(PropertyTest, ClassKindAccessibilityAndInheritance)
{
    struct Case {
        const wchar_t* property;
        const wchar_t* value;
        const char* line;
    };
    const Case cases[] = {
        {L"Kind", L"class", "  public class X \r\n"},
        {L"Kind", L"Interface", "  public interface X \r\n"},
        {L"Kind", L"interfaces", "  public class X \r\n"},
        {L"Kind", L"STRUCT", "  public struct X \r\n"},
        {L"Kind", L"", "  public class X \r\n"},
        {L"Accessibility", L"Private", "  private class X \r\n"},
        {L"Accessibility", L"protected", "  protected class X \r\n"},
        {L"Accessibility", L"INTERNAL", "  internal class X \r\n"},
        {L"Accessibility", L"Protected Internal", "  protected internal class X \r\n"},
        {L"Accessibility", L"", "  class X \r\n"},
        {L"Accessibility", L" public", "  class X \r\n"},
        {L"Accessibility", L"friend", "  class X \r\n"},
        {L"Inheritance", L"Abstract", "  public abstract class X \r\n"},
        {L"Inheritance", L"SEALED", "  public sealed class X \r\n"},
        {L"Inheritance", L"common", "  public class X \r\n"},
        {L"Inheritance", L"static", "  public class X \r\n"},
    };
    for (const Case& c : cases) {
        std::string text = OneClassFile([&](Class* x, Module*) { Set(x, c.property, c.value); });
        EXPECT_NE(std::string::npos, text.find(c.line)) << Narrow(c.property) << "=" << Narrow(c.value) << "\n" << text;
    }
}

TEST_F(PropertyTest, MemberProperties)
{
    enum Target { Op, Attr };
    struct Case {
        Target target;
        const wchar_t* property;
        const wchar_t* value;
        const char* text;
        bool present;
    };
    const Case cases[] = {
        {Op, L"Kind", L"Virtual", "    public virtual void Run()\r\n", true},
        {Op, L"Kind", L"STATIC", "    public static void Run()\r\n", true},
        {Op, L"Kind", L"Override", "    public override void Run()\r\n", true},
        {Op, L"Kind", L"abstract", "    public abstract void Run();\r\n", true},
        {Op, L"Kind", L"dynamic", "    public void Run()\r\n", true},
        {Op, L"Type", L"Event", "    public event void Run()\r\n", true},
        {Op, L"Type", L"NEW", "    public new void Run()\r\n", true},
        {Op, L"Type", L"constructor", "    public void Run()\r\n", true},
        {Op, L"CallingConvention", L"stdcall", "    public void Run()\r\n", true},
        {Attr, L"IsProperty", L"true", "    public int Size \r\n", true},
        {Attr, L"IsProperty", L" TRUE", "Size \r\n", false},
        {Attr, L"GenerateDataMember", L"False", "FSize", false},
        {Attr, L"ReadOnly", L"tRuE", "    private readonly int FSize;\r\n", true},
        {Attr, L"Const", L"TRUE ", "const", false},
    };
    for (const Case& c : cases) {
        std::string text = OneClassFile([&](Class* x, Module*) {
            Element* e = c.target == Op ? static_cast<Element*>(build.AddOperation(x, L"Run", L"void"))
                                        : build.AddAttribute(x, L"Size", L"int", PublicAccess, L"5");
            Set(e, c.property, c.value);
        });
        EXPECT_EQ(c.present, text.find(c.text) != std::string::npos)
            << Narrow(c.property) << "=" << Narrow(c.value) << "\n" << text;
    }
    // The property kind words of attributes are those of operations.
    std::string text = OneClassFile([&](Class* x, Module*) {
        for (const wchar_t* kind : {L"Virtual", L"override", L"STATIC", L"reintroduce"}) {
            Attribute* a = build.AddAttribute(x, std::wstring(L"P") + kind, L"int", PublicAccess);
            Set(a, L"IsProperty", L"TRUE");
            Set(a, L"Kind", kind);
        }
    });
    for (const char* head : {"    public virtual int PVirtual \r\n", "    public override int Poverride \r\n",
                             "    public static int PSTATIC \r\n", "    public int Preintroduce \r\n"})
        EXPECT_NE(std::string::npos, text.find(head)) << head;
}

// A package chain A > B > C with the class in C: only packages whose "IsNamespace" is
// true in any letter case open a namespace.
TEST_F(PropertyTest, IsNamespaceAlongThePackageChain)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        const wchar_t* c;
        const char* opening;
    };
    const Case cases[] = {
        {L"TRUE", L"FALSE", L"true", "namespace A\r\n{\r\n  namespace C\r\n  {  \r\n      //## begin X%"},
        {L"FALSE", L"True", L"", "namespace B\r\n{  \r\n    //## begin X%"},
        {L" TRUE", L"TRUE ", L"yes", "  //## begin X%"},
        {L"tRUE", L"TRUE", L"TRUE", "namespace A\r\n{\r\n  namespace B\r\n  {\r\n    namespace C\r\n    {  \r\n"},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::wstring n = std::to_wstring(index++);
        Category* a = AddPackage(nullptr, L"A", c.a, L"Q-A" + n);
        Category* b = AddPackage(a, L"B", c.b, L"Q-B" + n);
        Category* inner = AddPackage(b, L"C", c.c, L"Q-C" + n);
        std::string text = OneClassFile([](Class*, Module*) {}, inner);
        size_t suses = text.find(".suses\r\n");
        ASSERT_NE(std::string::npos, suses);
        EXPECT_EQ(0, text.compare(suses + 8, strlen(c.opening), c.opening)) << text;
    }
}

TEST_F(PropertyTest, ComponentGenerateCode)
{
    for (const auto& [value, written] : {std::pair{L"TRUE", true}, {L"true", true}, {L"FALSE", false},
                                        {L" TRUE", false}, {L"", false}}) {
        std::wstring n = std::to_wstring(m_count++);
        Module* module = AddComponent(L"C" + n, {build.AddClass(L"X", L"Q-X" + n)});
        Set(module, L"GenerateCode", value);
        log.clear();
        Generate(module);
        EXPECT_EQ(written, fs::exists(FileOf(module))) << Narrow(value);
        EXPECT_EQ(written, !log.empty()) << Narrow(value);
    }
}

TEST_F(PropertyTest, ComponentPackageFolders)
{
    Subsystem* here = build.AddSubsystem(csharp, L"Here");
    Set(here, L"Directory", L".");
    Subsystem* below = build.AddSubsystem(csharp, L"Below");
    Set(below, L"Directory", L"auto generate");
    Subsystem* deeper = build.AddSubsystem(below, L"Deeper");
    for (const auto& [subsystem, path] : {std::pair{here, L"CSharp\\InHere.cs"}, {below, L"CSharp\\Below\\InBelow.cs"},
                                          {deeper, L"CSharp\\Below\\Deeper\\InDeeper.cs"}}) {
        Module* module = build.AddModule(subsystem, L"In" + subsystem->name, L"");
        Generate(module);
        EXPECT_TRUE(fs::exists(Output(path))) << Narrow(path);
    }
}

TEST(CSharpIndentation, IndentAndUnindent)
{
    struct Case {
        const wchar_t* text;
        int levels;
        const wchar_t* indented;
        const wchar_t* unindented;
    };
    const Case cases[] = {
        {L"a\r\n  b\r\n", 1, L"  a\r\n    b\r\n", L"a\r\nb\r\n"},
        {L"  a\r\n    b\r\n  ", 1, L"    a\r\n      b\r\n    ", L"a\r\n  b\r\n"},
        {L"", 1, L"  ", L""},
        {L"", 2, L"    ", L""},
        {L"x", 2, L"    x", L"x"},
        {L"x", 0, L"x", L"x"},
        {L"  x", 0, L"  x", L"  x"},
        {L"\r\n", 1, L"  \r\n", L"\r\n"},
        {L"a\r\n\r\nb", 1, L"  a\r\n  \r\n  b", L"a\r\n\r\nb"},
        {L"a\r\n b\r\n   c", 1, L"  a\r\n   b\r\n     c", L"a\r\n b\r\n c"},
        {L"      x\r\n  y\r\n#if DEBUG\r\n    ", 2, L"          x\r\n      y\r\n    #if DEBUG\r\n        ",
         L"  x\r\ny\r\n#if DEBUG\r\n"},
        {L"a\nb", 1, L"  a\nb", L"a\nb"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.indented, Text(CVXCSharpModel::IndentText(CLmBSTR(c.text), c.levels))) << Narrow(c.text);
        EXPECT_EQ(c.unindented, Text(CVXCSharpModel::UnindentText(CLmBSTR(c.text), c.levels))) << Narrow(c.text);
    }
    EXPECT_EQ(L"  ", Text(CVXCSharpModel::GetIndentation()));
}

} // namespace
} // namespace CSharpTest
