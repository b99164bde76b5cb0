// The C# reader on hand-written files: each construct with the declaration fields
// expected, the ids of the zones in member bodies, and what it names as not read back.
#include "ReaderText.h"

#include <gtest/gtest.h>

using namespace ReaderText;

namespace {

#define REQUIRE_CSHARP_READER()                                                              \
    do {                                                                                     \
        if (!CSharpReaderAvailable()) {                                                      \
            CodeFile none = ReadCSharp("A.cs", "class A {}");                                \
            ASSERT_EQ(Skipped(none), "1: " + CSharpReaderMissing() + "\n");                  \
            GTEST_SKIP() << CSharpReaderMissing();                                           \
        }                                                                                    \
    } while (false)

struct Case {
    const char* name;
    const char* source;
    const char* expected;
};

// A file whose class C holds `body` (starting on line 5).
std::string FileWithClass(const std::string& body)
{
    return "namespace N\n{\n  public class C : B\n  {\n" + body + "  }\n}\n";
}

std::string MemberLines(const CodeFile& file)
{
    std::string out;
    for (const TypeDecl& t : file.types)
        for (const Member& m : t.members)
            out += Line(m) + "\n";
    return out;
}

TEST(CSharpReader, ReadsEachConstructOfATypeBody)
{
    REQUIRE_CSHARP_READER();
    const Case cases[] = {
        {"fields", "    private static readonly int A = 1, B;\n    private const int K=2;\n    internal List<int> L;\n",
         "field private A: int = 1 [static, readonly]\nfield private B: int [static, readonly]\nfield private K: int = 2 [const]\n"
         "field internal L: List<int>\n"},
        {"properties",
         "    public virtual int P\n    {\n      get { return 1; }\n      set { }\n    }\n    public int Q { get; init; } = 3;\n"
         "    public int R => 5;\n    protected internal string S { get; set; }\n",
         "property public P: int read get write set [virtual]\nproperty public Q: int = 3 read get write init [auto]\n"
         "property public R: int read get\nproperty protected internal S: string read get write set [auto]\n"},
        {"indexer", "    public Book this[int index, string key = \"a\"] { get { return null; } }\n",
         "property public this[index: int; key: string = \"a\"]: Book read get\n"},
        {"methods",
         "    public static void M(ref int a, out int b, in int c, params int[] d) { }\n"
         "    public abstract bool V(int x = 5, string s = null);\n    protected override string ToString() { return \"\"; }\n"
         "    public virtual new string Describe() { return \"\"; }\n",
         "method public method M(ref a: int; out b: int; in c: int; params d: int[]) [static]\n"
         "method public method V(x: int = 5; s: string = null): bool [abstract]\n"
         "method protected method ToString(): string [override]\nmethod public method Describe(): string [virtual, new]\n"},
        {"constructors and destructors", "    public C(int a) : base(a) { }\n    static C() { }\n    ~C() { }\n",
         "method public constructor C(a: int)\nmethod constructor C() [static]\nmethod destructor ~C()\n"},
        {"documentation comments",
         "    /// <summary>\n    /// The count.\n    /// </summary>\n    private int FCount;\n    // plain\n    public void Go() { }\n",
         "field private FCount: int {The count.}\nmethod public method Go()\n"},
        {"documentation of several lines (written with \"///\" on the first line only)",
         "    /// <summary>\n    /// Two\n    lines\n    /// </summary>\n    private int FB;\n", "field private FB: int {Two\nlines}\n"},
        {"ids from the zones in bodies",
         "    public void Lend()\n    {\n      //## begin C::Lend%AB01.body preserve=yes\n      //## end C::Lend%AB01.body\n    }\n"
         "    private int FCount;\n    public int Count\n    {\n      get\n      {\n"
         "        //## begin C::SetCount%AB02.getbody preserve=yes\n        //## end C::SetCount%AB02.getbody\n      }\n    }\n",
         "method public method Lend() #AB01/body\nfield private FCount: int #AB02/getbody\nproperty public Count: int read get #AB02/getbody\n"},
    };
    for (const Case& c : cases) {
        CodeFile file = ReadCSharp("N.cs", FileWithClass(c.source));
        EXPECT_EQ(MemberLines(file), c.expected) << c.name;
        EXPECT_EQ(Skipped(file), "") << c.name;
    }
}

TEST(CSharpReader, ReadsNamespacesUsingsAndEachKindOfType)
{
    REQUIRE_CSHARP_READER();
    const Case cases[] = {
        {"nested namespaces and a base list",
         "namespace Outer\n{\n  namespace Inner.Deep\n  {\n    public sealed class C : Base, I1, I2\n    {\n    }\n  }\n}\n",
         "class public C(Base, I1, I2) [sealed] ns=Outer.Inner.Deep\n"},
        {"struct, interface, enum",
         "internal struct S { }\npublic interface I : J { int M(); string P { get; } }\nenum E : byte { A, B = 2 }\n",
         "struct internal S\ninterface public I(J)\n  method method M(): int\n  property P: string read get [auto]\nenum E(byte)\n  value A\n  value B = 2\n"},
        {"file-scoped namespace", "namespace A.B;\npublic class C { }\n", "class public C ns=A.B\n"},
        {"type modifiers", "public static partial class P { }\nprotected internal abstract class Q { }\n",
         "class public P [static, partial]\nclass protected internal Q [abstract]\n"},
        {"the type's own zones and documentation",
         "  //## begin C%AC01.preface preserve=yes\n  //## end C%AC01.preface\n  /// <summary>\n  /// A thing.\n  /// </summary>\n"
         "  public class C { }\n",
         "class public C #AC01 {A thing.}\n"},
        {"an interface's GUID line, as generated",
         "public interface I \r\n{\r\n  ['{8F0C3B52-6D1E-4A7B-9C2D-3E4F5A6B7C8D}']\r\n  void M();\r\n}\r\n",
         "interface public I guid=8F0C3B52-6D1E-4A7B-9C2D-3E4F5A6B7C8D\n  method method M()\n"},
        {"documentation of several lines at column 0", "/// <summary>\n/// A\nB\nC\n/// </summary>\npublic class D { }\n",
         "class public D {A\nB\nC}\n"},
    };
    for (const Case& c : cases) {
        CodeFile file = ReadCSharp("N.cs", c.source);
        EXPECT_EQ(Lines(file), c.expected) << c.name;
        EXPECT_EQ(Skipped(file), "") << c.name;
    }
    CodeFile usings = ReadCSharp("U.cs", "\r\n//## begin U%AD01.suses preserve=yes\r\n//## end U%AD01.suses\r\n"
                                         "using A.B;\r\nusing static System.Math;\r\nusing X = Y.Z;\r\n");
    EXPECT_EQ(Join(usings.uses, ","), "A.B,static System.Math,X = Y.Z");
    EXPECT_EQ(usings.unitName, "U");
    EXPECT_EQ(usings.uniqueId, "AD01");
}

// What the reader leaves alone: each row names the line and a part of the reason, and the
// class after it (After.Keep) is still read.
TEST(CSharpReader, NamesWhatItDoesNotReadBack)
{
    REQUIRE_CSHARP_READER();
    struct Skip {
        const char* source;
        int line;
        const char* why;
    };
    const Skip cases[] = {
        {"public class G<T> { }", 1, "a generic type (G)"},
        {"public class C {\n  public void M<T>(T x) { }\n}", 2, "C.M: a generic method"},
        {"public class C {\n  class Inner { }\n}", 2, "a nested type (C.Inner)"},
        {"#if DEBUG\npublic class D { }\n#endif", 1, "conditional compilation (#if DEBUG)"},
        {"public class C {\n#if DEBUG\n  void T() { }\n#endif\n}", 2, "conditional compilation (#if DEBUG)"},
        {"public class C {\n  public void M(int a,\n//## begin C%1.public preserve=yes\n//## end C%1.public\n  int b) { }\n}", 2,
         "C.M: a zone marker (line 3) splits the declaration"},
        {"public class C {\n  public void M()\n  {\n//## begin C::M%2.body preserve=yes\n  }\n//## end C::M%2.body\n}", 2,
         "C.M: a zone marker (line 4) splits the declaration"},
        {"public record R(int A);", 1, "a record type"},
        {"public delegate void D();", 1, "a delegate type"},
        {"public class C {\n  public event EventHandler E;\n}", 2, "an event"},
        {"public class C {\n  public static C operator +(C a, C b) => a;\n}", 2, "an operator"},
        {"public class C {\n  [Obsolete] public void Old() { }\n}", 2, "an attribute [Obsolete]"},
        {"public class C {\n  public int S\n  {\n    get;\n    private set;\n  }\n}", 5,
         "the set accessor of S is private: the C# generator writes a property's accessors without an access"},
        {"public class C {\n  public void M( { }\n}", 2, "cannot read"},
        {"System.Console.WriteLine(1);", 1, "a top-level statement"},
    };
    for (const Skip& c : cases) {
        CodeFile file = ReadCSharp("N.cs", std::string(c.source) + "\npublic class After { public void Keep() { } }\n");
        ASSERT_FALSE(file.notReadBack.empty()) << c.source;
        EXPECT_EQ(file.notReadBack.front().line, c.line) << c.source << "\n" << Skipped(file);
        EXPECT_NE(file.notReadBack.front().why.find(c.why), std::string::npos) << c.source << "\n" << Skipped(file);
        ASSERT_FALSE(file.types.empty()) << c.source;
        EXPECT_EQ(Line(file.types.back()), "class public After") << c.source;
        EXPECT_EQ(Line(file.types.back().members.back()), "method public method Keep()") << c.source;
    }
}

} // namespace
