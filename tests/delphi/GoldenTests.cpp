// Whole generated files compared byte for byte with expected files written by hand
// (tests/delphi/golden): one model per component layout.
#include "DelphiTestSupport.h"

namespace DelphiTest {
namespace {

class GoldenTest : public GenerationTest {
protected:
    Subsystem* delphi = nullptr;

    void SetUp() override
    {
        GenerationTest::SetUp();
        delphi = build.AddSubsystem(build.components, L"Delphi");
    }

    void ExpectGolden(const std::wstring& fileName)
    {
        GenTest::ExpectGolden(Output(L"Delphi\\" + fileName), SourceDir() / "tests" / "delphi" / "golden" / Narrow(fileName));
    }

    std::wstring PathOf(const std::wstring& fileName) const { return dir.wstring() + L"\\Delphi\\" + fileName; }
};

// A unit: classes in dependency order (TCircle comes first in the component but
// inherits from TShape), the uses list from "AdditionalIncludes" and the component of a
// superclass, fields, accessors and a property with "virtual", a constructor that
// initialises a field, abstract, override and overloaded methods with a calling
// convention after the other directives, class documentation, a reflexive aggregate
// role with a protected read-only property (and a non-aggregate role that adds nothing).
TEST_F(GoldenTest, UnitWithClassesInDependencyOrderAndUsedUnits)
{
    Class* base = build.AddClass(L"TBase", L"Q-TBase");
    build.AddModule(delphi, L"Base", L"", {base});

    Class* shape = build.AddClass(L"TShape", L"Q-TShape");
    shape->documentation = L"A shape.";
    build.Inherit(shape, base);
    Attribute* width = build.AddAttribute(shape, L"Width", L"Integer", PublicAccess, L"0");
    for (const wchar_t* flag : {L"IsProperty", L"GenerateGetOperation", L"GenerateSetOperation"})
        ModelBuilder::Set(width, flag, L"TRUE");
    ModelBuilder::Set(width, L"Kind", L"virtual");
    ModelBuilder::Set(build.AddOperation(shape, L"Create"), L"Type", L"constructor");
    ModelBuilder::Set(build.AddOperation(shape, L"Area", L"Double"), L"Kind", L"abstract");

    Class* circle = build.AddClass(L"TCircle", L"Q-TCircle");
    build.Inherit(circle, shape);
    build.AddAttribute(circle, L"Radius", L"Double");
    Association* family = build.Associate(L"Family", circle, L"Parent", true, circle, L"Children", false);
    family->role1->exportControl = ProtectedAccess;
    ModelBuilder::Set(family->role1, L"IsProperty", L"TRUE");
    ModelBuilder::Set(family->role1, L"GenerateGetOperation", L"true");
    ModelBuilder::Set(family->role2, L"IsProperty", L"TRUE");
    ModelBuilder::Set(build.AddOperation(circle, L"Area", L"Double"), L"Kind", L"Override");
    Operation* scale = build.AddOperation(circle, L"Scale", L"", ProtectedAccess);
    build.AddParameter(scale, L"AFactor", L"Double");
    build.AddParameter(scale, L"ACenter", L"");
    ModelBuilder::Set(scale, L"IsOverload", L"TRUE");
    ModelBuilder::Set(scale, L"CallingConvention", L"stdcall");

    Module* shapes = build.AddModule(delphi, L"Shapes", L"unit", {circle, shape});
    ModelBuilder::Set(shapes, L"AdditionalIncludes", L"SysUtils");

    Generate(shapes);
    ExpectGolden(L"Shapes.pas");
    std::vector<std::wstring> expectedLog = {L"[Code generation]", L"Class TShape to " + PathOf(L"Shapes.pas"),
                                             L"Class TCircle to " + PathOf(L"Shapes.pas")};
    EXPECT_EQ(expectedLog, log);
}

// A unit of the other kinds: an interface with GUID (accessors and methods without
// directives, "overload;" kept, no fields), a class with a base class and an interface
// in its heritage and a member of the host's implementation visibility ("published"),
// an enum, and an object type with operation documentation.
TEST_F(GoldenTest, UnitWithInterfaceEnumAndObjectKinds)
{
    Class* base = build.AddClass(L"TBase", L"Q-TBase");
    build.AddModule(delphi, L"Base", L"", {base});

    Class* shape = build.AddClass(L"IShape", L"Q-IShape");
    ModelBuilder::Set(shape, L"Kind", L"Interface");
    ModelBuilder::Set(shape, L"GUID", L"11111111-2222-3333-4444-555555555555");
    Attribute* name = build.AddAttribute(shape, L"Name", L"string", PublicAccess);
    ModelBuilder::Set(name, L"IsProperty", L"TRUE");
    ModelBuilder::Set(name, L"GenerateGetOperation", L"TRUE");
    ModelBuilder::Set(name, L"Kind", L"virtual");
    Operation* draw = build.AddOperation(shape, L"Draw");
    ModelBuilder::Set(draw, L"IsOverload", L"TRUE");
    ModelBuilder::Set(draw, L"Kind", L"virtual");

    Class* square = build.AddClass(L"TSquare", L"Q-TSquare");
    build.Inherit(square, base);
    build.Inherit(square, shape);
    build.AddOperation(square, L"Paint", L"", ImplementationAccess);

    Class* color = build.AddClass(L"TColor", L"Q-TColor");
    ModelBuilder::Set(color, L"Kind", L"enum");
    build.AddAttribute(color, L"clRed", L"");
    build.AddAttribute(color, L"clGreen", L"");

    Class* point = build.AddClass(L"TPoint", L"Q-TPoint");
    ModelBuilder::Set(point, L"Kind", L"object");
    build.AddAttribute(point, L"X", L"Integer");
    Operation* move = build.AddOperation(point, L"Move");
    move->documentation = L"Moves it.";
    build.AddParameter(move, L"DX", L"Integer");

    Module* kinds = build.AddModule(delphi, L"Kinds", L"UNIT", {square, shape, color, point});
    Generate(kinds);
    ExpectGolden(L"Kinds.pas");
}

// A program: uses list, the "resources" zone with its default, the "programbody" zone
// with "DefaultProgramBody"; its class is logged but not written.
TEST_F(GoldenTest, Program)
{
    Class* shape = build.AddClass(L"TShape", L"Q-TShape");
    build.AddModule(delphi, L"Shapes", L"unit", {shape});
    Class* app = build.AddClass(L"TApp", L"Q-TApp");
    build.Depend(app, shape);
    Module* desk = build.AddModule(delphi, L"Desk", L"program", {app});
    ModelBuilder::Set(desk, L"AdditionalIncludes", L"Forms");
    ModelBuilder::Set(desk, L"DefaultProgramBody", L"  Application.Run;");

    Generate(desk);
    ExpectGolden(L"Desk.dpr");
    std::vector<std::wstring> expectedLog = {L"[Code generation]", L"Class TApp to " + PathOf(L"Desk.dpr")};
    EXPECT_EQ(expectedLog, log);
}

// A package: the "requires" and "contains" zones, no class text, the class logged.
TEST_F(GoldenTest, Package)
{
    Class* tool = build.AddClass(L"TTool", L"Q-TTool");
    build.AddAttribute(tool, L"Size", L"Integer");
    Module* tools = build.AddModule(delphi, L"Tools", L"package", {tool});
    ModelBuilder::Set(tools, L"AdditionalIncludes", L"SysUtils");

    Generate(tools);
    ExpectGolden(L"Tools.dpk");
    std::vector<std::wstring> expectedLog = {L"[Code generation]", L"Class TTool to " + PathOf(L"Tools.dpk")};
    EXPECT_EQ(expectedLog, log);
}

// A library: laid out like a program, with the "library" keyword and an "exports"
// zone before the main block.
TEST_F(GoldenTest, Library)
{
    Module* plugin = build.AddModule(delphi, L"Plugin", L"library");
    ModelBuilder::Set(plugin, L"AdditionalIncludes", L"SysUtils");
    ModelBuilder::Set(plugin, L"DefaultProgramBody", L"  InitPlugin;");

    Generate(plugin);
    ExpectGolden(L"Plugin.dpr");
    EXPECT_EQ(std::vector<std::wstring>{L"[Code generation]"}, log);
}

} // namespace
} // namespace DelphiTest
