// The Delphi reader on hand-written units: each construct of a class body and of a type
// section with the declaration fields expected, the ids found through the implementation's
// zones, and what it names as not read back.
#include "ReaderText.h"

#include <gtest/gtest.h>

using namespace ReaderText;

namespace {

// A unit whose class TX holds `body` (starting on line 5).
std::string UnitWithClass(const std::string& body)
{
    return "unit U;\ninterface\ntype\n  TX = class\n" + body + "  end;\nimplementation\nend.";
}

std::string UnitWithTypes(const std::string& types)
{
    return "unit U;\ninterface\ntype\n" + types + "\nimplementation\nend.";
}

struct Case {
    const char* name;
    const char* source;
    const char* expected;
};

std::string MemberLines(const CodeFile& file)
{
    std::string out;
    for (const TypeDecl& t : file.types)
        for (const Member& m : t.members)
            out += Line(m) + "\n";
    return out;
}

TEST(DelphiReader, ReadsEachConstructOfAClassBody)
{
    const Case cases[] = {
        {"fields", "  private\n    FA, FB: Integer;\n    FList: TList<TItem>;\n",
         "field private FA: Integer\nfield private FB: Integer\nfield private FList: TList<TItem>\n"},
        {"class var", "  public\n    class var FCount: Integer;\n    FMore: string;\n  var\n    FPlain: Byte;\n",
         "field public FCount: Integer [class]\nfield public FMore: string [class]\nfield public FPlain: Byte\n"},
        {"constants", "  const\n    Max = 10;\n    Title: string = 'it''s';\n",
         "const Max = 10 [const]\nconst Title: string = 'it''s' [const]\n"},
        {"parameter kinds and defaults",
         "    procedure Load(const AName: string; var ACount: Integer; out AOk: Boolean; AMode: Integer = 2);"
         " virtual; abstract;\n",
         "method procedure Load(const AName: string; var ACount: Integer; out AOk: Boolean; AMode: Integer = 2)"
         " [virtual, abstract]\n"},
        {"class function", "    class function Make(A, B: Double): TX; static;\n",
         "method function Make(A: Double; B: Double): TX [class, static]\n"},
        {"constructor and destructor",
         "    constructor Create(AOwner: TComponent); reintroduce; overload;\n    destructor Destroy; override;\n",
         "method constructor Create(AOwner: TComponent) [reintroduce, overload]\nmethod destructor Destroy() [override]\n"},
        {"directives with arguments",
         "    procedure WMPaint(var Msg: TMessage); message WM_PAINT;\n    function Calc: Integer; stdcall;\n"
         "    procedure Old; deprecated 'use New';\n    procedure Fire; dynamic;\n",
         "method procedure WMPaint(var Msg: TMessage) [message WM_PAINT]\nmethod function Calc(): Integer [stdcall]\n"
         "method procedure Old() [deprecated 'use New']\nmethod procedure Fire() [dynamic]\n"},
        {"a field named like a directive", "    procedure P; virtual;\n    Platform: string;\n",
         "method procedure P() [virtual]\nfield Platform: string\n"},
        {"properties",
         "    property Items[Index: Integer]: TItem read GetItem write SetItem; default;\n"
         "    property Count: Integer read FCount;\n"
         "    property Tag: Integer index 3 read GetTag write SetTag default 0;\n"
         "    class property Total: Integer read FTotal;\n    property Both: string;\n",
         "property Items[Index: Integer]: TItem read GetItem write SetItem [default]\n"
         "property Count: Integer read FCount\nproperty Tag: Integer read GetTag write SetTag [index 3, default 0]\n"
         "property Total: Integer read FTotal [class]\nproperty Both: string\n"},
        {"documentation comments", "    {The name.}\n    FName: string;\n    {Two\nlines}\n    procedure Go;\n    (* not this *)\n    procedure Bare;\n",
         "field FName: string {The name.}\nmethod procedure Go() {Two\nlines}\nmethod procedure Bare()\n"},
        {"visibility sections", "    FNone: Integer;\n  strict private\n    FA: Integer;\n  published\n    procedure P;\n  automated\n    procedure Q;\n",
         "field FNone: Integer\nfield strict private FA: Integer\nmethod published procedure P()\nmethod automated procedure Q()\n"},
        {"types written over lines", "    FMap: TDictionary<string,\n      TList<Integer>>;\n    FArr: array[0..3] of Byte;\n",
         "field FMap: TDictionary<string, TList<Integer>>\nfield FArr: array[0..3] of Byte\n"},
    };
    for (const Case& c : cases) {
        CodeFile file = ReadDelphi("U.pas", UnitWithClass(c.source));
        EXPECT_EQ(MemberLines(file), c.expected) << c.name;
        EXPECT_EQ(Skipped(file), "") << c.name;
    }
}

TEST(DelphiReader, ReadsEachKindOfType)
{
    const Case cases[] = {
        {"class with heritage and modifiers", "  TA = class abstract(TBase, IFoo, IBar)\n  end;",
         "class TA(TBase, IFoo, IBar) [abstract]\n"},
        {"class without a body", "  EMine = class(Exception);", "class EMine(Exception)\n"},
        {"forward declaration", "  TB = class;\n  TB = class\n    FA: TB;\n  end;", "class TB\n  field FA: TB\n"},
        {"record", "  TPoint = packed record\n    X, Y: Integer;\n    function Len: Double;\n  end;",
         "record TPoint [packed]\n  field X: Integer\n  field Y: Integer\n  method function Len(): Double\n"},
        {"interface with GUID",
         "  {Doc.}\n  IFoo = interface(IUnknown)\n    ['{00000000-0000-0000-0000-000000000001}']\n    procedure Bar;\n"
         "    property Baz: Integer read GetBaz;\n  end;",
         "interface IFoo(IUnknown) guid=00000000-0000-0000-0000-000000000001 {Doc.}\n  method procedure Bar()\n"
         "  property Baz: Integer read GetBaz\n"},
        {"dispinterface", "  IEv = dispinterface\n    ['{1}']\n    procedure Fired(A: Integer); dispid 201;\n  end;",
         "dispinterface IEv guid=1\n  method procedure Fired(A: Integer) [dispid 201]\n"},
        {"object", "  TOld = object(TBase)\n  public\n    procedure Run;\n  end;", "object TOld(TBase)\n  method public procedure Run()\n"},
        {"enumeration", "  TColor = (clRed, clGreen = 5, clBlue);", "enum TColor\n  value clRed\n  value clGreen = 5\n  value clBlue\n"},
        {"enumeration without values, as generated", "  TNone =  ;", "enum TNone\n"},
        {"nested record field types stay whole", "  TR = record\n    P: ^Integer;\n  end;", "record TR\n  field P: ^Integer\n"},
    };
    for (const Case& c : cases) {
        CodeFile file = ReadDelphi("U.pas", UnitWithTypes(c.source));
        EXPECT_EQ(Lines(file), c.expected) << c.name;
        EXPECT_EQ(Skipped(file), "") << c.name;
    }
}

// What the reader leaves alone: each row names the line and a part of the reason, and
// the declaration after it (TAfter.Keep) is still read.
TEST(DelphiReader, NamesWhatItDoesNotReadBack)
{
    struct Skip {
        const char* source;  // the lines of a type section, from line 4
        int line;
        const char* why;
    };
    const Skip cases[] = {
        {"  TList<T> = class\n    FItems: array of T;\n  end;", 4, "a generic type (TList)"},
        {"  TX = class\n    type TInner = class\n      procedure X;\n    end;\n  end;", 5, "a nested type (TX.TInner)"},
        {"  TX = class\n    {$IFDEF DEBUG}\n    procedure Trace;\n    {$ENDIF}\n  end;", 6,
         "conditional compilation ({$IFDEF DEBUG} at line 5)"},
        {"  TX = class\n    procedure Split(A: Integer;\n//## begin TX%1.public preserve=yes\n//## end TX%1.public\n"
         "      B: Integer);\n  end;",
         5, "a zone marker (line 6) splits the declaration"},
        {"  TX = class\n    123;\n  end;", 5, "unknown text in TX ('123')"},
        {"  TName = string;", 4, "a string type (TName) the model cannot express"},
        {"  TXClass = class of TX;", 4, "a class reference type (TXClass)"},
        {"  THelp = class helper for TX\n    procedure H;\n  end;", 4, "a helper type (THelp)"},
        {"  TProc = procedure(A: Integer; B: string) of object;", 4, "a procedural type (TProc)"},
        {"  TV = record\n    case Integer of\n      0: (A: Integer);\n      1: (B: Byte);\n  end;", 5, "the variant part of record TV"},
        {"  TX = class(TInterfacedObject, IFoo)\n    procedure IFoo.Bar = Baz;\n  end;", 5, "TX.IFoo: a method resolution clause"},
        {"  TR = record\n    class operator Add(A, B: TR): TR;\n  end;", 5, "TR.Add: an operator"},
        {"  TX = class\n    property Tag;\n  end;", 5, "TX.Tag: a property redeclaration without a type"},
        {"  TX = class\n    [Weak] FRef: TObject;\n  end;", 5, "an attribute [Weak]: the Delphi generator writes no"},
        {"  TX = class\n    procedure M<T>(A: T);\n  end;", 5, "TX.M: a generic method"},
        {"  TX = class\n    FRec: record A: Integer; end;\n  end;", 5, "TX.FRec: an inline record or class type"},
    };
    for (const Skip& c : cases) {
        const std::string source = UnitWithTypes(std::string(c.source) + "\n  TAfter = class\n    procedure Keep;\n  end;");
        CodeFile file = ReadDelphi("U.pas", source);
        ASSERT_FALSE(file.notReadBack.empty()) << c.source;
        EXPECT_EQ(file.notReadBack.front().line, c.line) << c.source;
        EXPECT_NE(file.notReadBack.front().why.find(c.why), std::string::npos) << c.source << "\n" << Skipped(file);
        ASSERT_FALSE(file.types.empty()) << c.source;
        EXPECT_EQ(Line(file.types.back().members.back()), "method procedure Keep()") << c.source;
    }
}

TEST(DelphiReader, NamesUnitLevelDeclarationsAndUnclosedText)
{
    const Case cases[] = {
        {"routine", "unit U;\ninterface\nprocedure Global(A: Integer); stdcall;\nimplementation\nend.",
         "3: a routine outside a class (Global)\n"},
        {"constants and variables", "unit U;\ninterface\nconst\n  Max = 3;\nvar\n  GCount: Integer;\nimplementation\nend.",
         "4: a unit-level const declaration (Max)\n6: a unit-level var declaration (GCount)\n"},
        {"included file", "unit U;\ninterface\n{$I defs.inc}\n{$I+}\nimplementation\nend.",
         "3: an included file ({$I defs.inc}) is not read\n"},
        {"type never ended", "unit U;\ninterface\ntype\n  TR = record\n    case Integer of\n      0: (A: Integer);\nimplementation\nend.",
         "5: the variant part of record TR\n4: type TR: its end is missing\n"},
        {"comment never closed", "unit U;\ninterface\ntype\n  { never closed\n  TX = class end;", "4: a comment that is never closed\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Skipped(ReadDelphi("U.pas", c.source)), c.expected) << c.name;
}

// Ids come from the zones of the implementation: the method a header implements gets its
// body zone's id (overloads told apart by their parameters), an accessor's zone gives its
// attribute's id to the accessor, the property and the field; the type's own zones give its id.
TEST(DelphiReader, TakesIdsFromTheZones)
{
    const std::string source =
        "unit Shop;\r\n\r\ninterface\r\n//## begin Shop%AA01.suses preserve=yes\r\n//## end Shop%AA01.suses\r\ntype\r\n"
        "  //## begin TCart%AA02.preface preserve=yes\r\n  //## end TCart%AA02.preface\r\n"
        "TCart = class \r\n  private\r\n    FTotal: Integer;\r\n  public\r\n"
        "    function GetTotal(): Integer;\r\n    procedure Add(A: Integer); overload;\r\n"
        "    procedure Add(A: Integer;B: Integer); overload;\r\n    procedure Clear(); virtual; abstract;\r\n"
        "    property Total: Integer read GetTotal;\r\n  end;\r\n\r\nimplementation\r\n"
        "function TCart.GetTotal(): Integer;\r\n//## begin TCart::GetTotal%AA03.getvar preserve=yes\r\n"
        "//## end TCart::GetTotal%AA03.getvar\r\nbegin\r\nend;\r\n\r\n"
        "procedure TCart.Add(A: Integer;B: Integer);\r\n//## begin TCart::Add%AA05.var preserve=yes\r\n"
        "//## end TCart::Add%AA05.var\r\nbegin\r\nend;\r\n\r\n"
        "procedure TCart.Add(A: Integer);\r\n//## begin TCart::Add%AA04.var preserve=yes\r\n"
        "//## end TCart::Add%AA04.var\r\nbegin\r\nend;\r\n\r\nend.";
    CodeFile file = ReadDelphi("Shop.pas", source);
    EXPECT_EQ(file.unitName, "Shop");
    EXPECT_EQ(file.uniqueId, "AA01");
    EXPECT_EQ(Lines(file), "class TCart #AA02\n"
                           "  field private FTotal: Integer #AA03/getbody\n"
                           "  method public function GetTotal(): Integer #AA03/getbody\n"
                           "  method public procedure Add(A: Integer) [overload] #AA04/body\n"
                           "  method public procedure Add(A: Integer; B: Integer) [overload] #AA05/body\n"
                           "  method public procedure Clear() [virtual, abstract]\n"
                           "  property public Total: Integer read GetTotal #AA03/getbody\n");
    EXPECT_EQ(Skipped(file), "");
    EXPECT_EQ(file.types[0].line, 9);
    EXPECT_EQ(file.types[0].endLine, 18);
}

TEST(DelphiReader, ReadsProgramsAndPackages)
{
    CodeFile program = ReadDelphi("Desk.dpr", "program Desk;\r\n\r\nuses\r\n//## begin Desk%B1.suses preserve=yes\r\n"
                                              "//## end Desk%B1.suses\r\n  Forms,Main in 'Main.pas',Data.Db;\r\n"
                                              "{$R *.RES}\r\nbegin\r\nend.");
    EXPECT_EQ(program.unitName, "Desk");
    EXPECT_EQ(program.uniqueId, "B1");
    EXPECT_EQ(Join(program.uses, ","), "Forms,Main,Data.Db");
    EXPECT_EQ(Skipped(program), "");
    EXPECT_EQ(ReadCode("x/Desk.DPR", "program Desk;\nuses A;\nbegin\nend.")->uses, std::vector<std::string>{"A"});
    EXPECT_EQ(ReadCode("x/N.cs", "")->language, Language::CSharp);
    EXPECT_FALSE(ReadCode("x/readme.txt", "unit U;").has_value());
    CodeFile package = ReadDelphi("P.dpk", "package P;\r\n\r\n\r\nrequires\r\n  rtl;\r\ncontains\r\n  A in 'A.pas';\r\nend.");
    EXPECT_EQ(package.unitName, "P");
    EXPECT_TRUE(package.types.empty());
    EXPECT_EQ(Skipped(package), "");
}

} // namespace

namespace {

// The statements before a body zone, both languages: "line field=value" or "line ?text"
// for a statement that assigns no field.
TEST(Initialisations, AreTheStatementsBetweenAMethodsOpeningAndItsBodyZone)
{
    struct Row {
        const char* what;
        Language language;
        const char* source;
        const char* expected;
    };
    const Row rows[] = {
        {"Delphi, with blanks and a call", Language::Delphi,
         "constructor TX.Create();\n//## begin TX::Create%A1.var preserve=yes\n//## end TX::Create%A1.var\nbegin\n"
         "  FWidth:=0;\n\n  FName := 'a;b';\n  Inherited Create;\n  //## begin TX::Create%A1.body preserve=yes\n"
         "  //## end TX::Create%A1.body\nend;\n",
         "5 FWidth=0\n7 FName='a;b'\n8 ?Inherited Create;\n"},
        {"Delphi, lower-case begin, nothing before the zone", Language::Delphi,
         "procedure TX.Run();\nBEGIN\n  //## begin TX::Run%A2.body preserve=yes\n  X:=1;\n  //## end TX::Run%A2.body\nend;\n", ""},
        {"a zone without its opening above takes nothing", Language::Delphi,
         "  //## end TX::Get%A3.getbody\n  F:=1;\n  //## begin TX::Run%A4.body preserve=yes\n  //## end TX::Run%A4.body\n", ""},
        {"C#, a comparison is no assignment", Language::CSharp,
         "public Account()\n{\n  Fbalance=0;\n  Fok = a == b;\n  Ftest == 1;\n  //## begin Account::Account%B1.body preserve=yes\n"
         "  //## end Account::Account%B1.body\n}\n",
         "3 Fbalance=0\n4 Fok=a == b\n5 ?Ftest == 1;\n"},
        {"C#, accessor zones are not bodies", Language::CSharp,
         "get\n{\n  Fx=1;\n  //## begin A::SetX%B2.getbody preserve=yes\n  //## end A::SetX%B2.getbody\n}\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string got;
        for (const Initialisation& i : ReadInitialisations(row.source, row.language))
            got += std::to_string(i.line) + " " + (i.field.empty() ? "?" + i.text : i.field + "=" + i.value) + "\n";
        EXPECT_EQ(got, row.expected);
    }
}

} // namespace
