// Whole generated C# files compared byte for byte with expected files written by hand
// (tests/csharp/golden).
#include "CSharpTestSupport.h"

namespace CSharpTest {
namespace {

class GoldenTest : public CSharpGenerationTest {
protected:
    void ExpectGolden(const Module* module)
    {
        GenTest::ExpectGolden(FileOf(module), SourceDir() / "tests" / "csharp" / "golden" / (Narrow(module->name) + ".cs"));
    }
};

// Banking.cs: a file without a using list; a class without bases and with documentation
// of two lines; every visibility group (public, private, protected, implementation and
// an unknown export control) with each of its buckets: fields and role fields (always
// private), operations, attribute properties, role properties; a role with many
// targets, a reflexive aggregation and non-aggregate roles (no text); an empty return
// type; a class with "GenerateCode" FALSE (an empty line, still logged).
TEST_F(GoldenTest, VisibilityGroupsAndRoles)
{
    Class* bank = build.AddClass(L"Bank", L"Q-Bank");
    bank->documentation = L"A bank.\r\nOf accounts.";
    Class* account = build.AddClass(L"Account", L"Q-Account");
    Class* hidden = build.AddClass(L"Hidden", L"Q-Hidden");
    Set(hidden, L"GenerateCode", L"FALSE");
    build.AddOperation(hidden, L"Nothing", L"void");

    build.AddOperation(bank, L"Open", L"void");
    build.AddOperation(bank, L"Audit", L"bool", PrivateAccess);
    build.AddOperation(bank, L"Check", L"", ProtectedAccess);
    build.AddOperation(bank, L"Settle", L"void", ImplementationAccess);
    build.AddOperation(bank, L"Trace", L"void", 7);
    build.AddOperation(bank, L"Close", L"void");
    struct Member {
        const wchar_t* name;
        const wchar_t* type;
        int16_t access;
        bool property;
    };
    for (const Member& m : {Member{L"balance", L"decimal", PublicAccess, true}, {L"code", L"string", PrivateAccess, false},
                            {L"rate", L"double", ProtectedAccess, true}, {L"limit", L"int", ImplementationAccess, true},
                            {L"tag", L"object", 7, true}})
        Set(build.AddAttribute(bank, m.name, m.type, m.access), L"IsProperty", m.property ? L"TRUE" : L"FALSE");
    Set(bank->attributes.back(), L"GenerateDataMember", L"FALSE");

    Association* holds = build.Associate(L"Holds", bank, L"accounts", true, account, L"bank", false);
    holds->role1->cardinality = L"0..n";
    Association* chain = build.Associate(L"Chain", bank, L"parent", true, bank, L"branches", false);
    chain->role1->exportControl = PrivateAccess;
    Association* books = build.Associate(L"Books", bank, L"ledger", true, account, L"owner", false);
    books->role1->exportControl = ImplementationAccess;
    for (Role* role : {holds->role1, chain->role1, chain->role2, books->role1})
        Set(role, L"IsProperty", L"TRUE");

    Module* banking = AddComponent(L"Banking", {bank, hidden});
    Generate(banking);
    ExpectGolden(banking);
    std::vector<std::wstring> expectedLog = {L"[Code generation]", L"Class Bank to " + PathOf(banking),
                                             L"Class Hidden to " + PathOf(banking)};
    EXPECT_EQ(expectedLog, log);
}

// Shapes.cs: accessor variants (get only, set only, neither, abstract), const, readonly
// and documented fields, indexers, operations of every "Kind" and "Type", a
// constructor with initializers (none for const attributes, attributes without a field
// or without a value, or roles), a method named like its class that returns void, and
// role fields with "Const" and "InitValue".
TEST_F(GoldenTest, MembersOfEveryKind)
{
    Class* shape = build.AddClass(L"Shape", L"Q-Shape");
    Set(shape, L"Inheritance", L"abstract");

    Operation* ctor = build.AddOperation(shape, L"Shape", L"Shape");
    build.AddParameter(ctor, L"size", L"int");
    build.AddParameter(ctor, L"name", L"string");
    build.AddOperation(shape, L"Shape", L"void", PublicAccess, L"Q-Shape-Shape2");
    Operation* draw = build.AddOperation(shape, L"Draw", L"void");
    build.AddParameter(draw, L"g", L"Graphics");
    build.AddParameter(draw, L"x", L"int");
    Set(draw, L"Kind", L"common");
    Set(draw, L"Type", L"operation");
    Operation* resize = build.AddOperation(shape, L"Resize", L"void");
    Set(resize, L"Kind", L"virtual");
    Set(resize, L"Type", L"new");
    Operation* area = build.AddOperation(shape, L"Area", L"double");
    area->documentation = L"Computes the area.";
    Set(area, L"Kind", L"abstract");
    Set(build.AddOperation(shape, L"Count", L"int", ProtectedAccess), L"Kind", L"static");
    Set(build.AddOperation(shape, L"ToString", L"string"), L"Kind", L"override");
    Set(build.AddOperation(shape, L"Changed", L"EventHandler", PrivateAccess), L"Type", L"event");
    Set(build.AddOperation(shape, L"Init", L""), L"Type", L"new");

    // name, type, initial value, then properties as name=value pairs
    struct Member {
        const wchar_t* name;
        const wchar_t* type;
        const wchar_t* init;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> properties;
    };
    const Member members[] = {
        {L"width", L"int", L"1", {{L"IsProperty", L"TRUE"}, {L"GenerateSetOperation", L"FALSE"}}},
        {L"height", L"int", L"2", {{L"IsProperty", L"TRUE"}, {L"GenerateGetOperation", L"FALSE"}}},
        {L"depth", L"int", L"", {{L"IsProperty", L"TRUE"}, {L"GenerateGetOperation", L"FALSE"},
                                  {L"GenerateSetOperation", L"FALSE"}, {L"Kind", L"override"}}},
        {L"area", L"double", L"", {{L"IsProperty", L"TRUE"}, {L"Kind", L"abstract"}, {L"GenerateDataMember", L"FALSE"}}},
        {L"sides", L"int", L"4", {{L"Const", L"TRUE"}}},
        {L"origin", L"Point", L"", {{L"ReadOnly", L"TRUE"}}},
        {L"unit", L"string", L"\"cm\"", {{L"Const", L"TRUE"}, {L"ReadOnly", L"TRUE"}}},
        {L"nothing", L"int", L"", {{L"Const", L"TRUE"}}},
        {L"items", L"string", L"", {{L"IsProperty", L"TRUE"}, {L"Parameters", L"int i"}, {L"Kind", L"virtual"},
                                     {L"GenerateDataMember", L"FALSE"}}},
        {L"scale", L"double", L"1.0", {{L"GenerateDataMember", L"FALSE"}}},
        {L"color", L"int", L"3", {{L"IsProperty", L"TRUE"}, {L"Kind", L"static"}}},
    };
    for (const Member& m : members) {
        Attribute* attribute = build.AddAttribute(shape, m.name, m.type, PublicAccess, m.init);
        for (const auto& [name, value] : m.properties)
            Set(attribute, name, value);
    }
    shape->attributes[0]->documentation = L"Width in mm.";
    shape->attributes[8]->documentation = L"Item text.";

    Association* nest = build.Associate(L"Nest", shape, L"outer", true, shape, L"inner", false);
    Set(nest->role1, L"IsProperty", L"TRUE");
    Set(nest->role1, L"GenerateSetOperation", L"FALSE");
    Set(nest->role1, L"Parameters", L"int level");
    Set(nest->role1, L"InitValue", L"this");
    Association* blank = build.Associate(L"Blank", shape, L"empty", true, shape, L"full", false);
    Set(blank->role1, L"Const", L"TRUE");
    Set(blank->role1, L"InitValue", L"null");

    Module* shapes = AddComponent(L"Shapes", {shape});
    Generate(shapes);
    ExpectGolden(shapes);
}

// Nested.cs: a using list (three leading empty lines; categories in order of first
// appearance, the empty path of a package that is no namespace left out, two packages
// with the same path each written); namespaces nested with a plain package between
// them and the whole type indented by the depth; a base list with a superclass and two
// interfaces from namespaces, given interface-first; an interface with "GUID" and
// documentation; the classes ordered by exchange (the host lists the derived class
// first).
TEST_F(GoldenTest, NamespacesBaseListsAndUsingList)
{
    Category* outer = AddPackage(nullptr, L"Outer");
    Category* middle = AddPackage(outer, L"Middle", L"FALSE");
    Category* inner = AddPackage(middle, L"Inner", L"true");
    Category* core = AddPackage(nullptr, L"Core", L"True");
    Category* ui = AddPackage(nullptr, L"Ui");

    Class* record = build.AddClass(L"Record", L"Q-Record", inner);
    build.Depend(record, build.AddClass(L"Clock", L"Q-Clock", middle));
    build.Depend(record, build.AddClass(L"Timer", L"Q-Timer", outer));

    Class* stored = build.AddClass(L"IStored", L"Q-IStored", core);
    stored->documentation = L"Stored things.";
    Set(stored, L"Kind", L"interface");
    Set(stored, L"GUID", L"12345678-1234-1234-1234-123456789ABC");
    Operation* save = build.AddOperation(stored, L"Save", L"bool");
    build.AddParameter(save, L"path", L"string");
    Set(save, L"Kind", L"virtual");
    Set(build.AddOperation(stored, L"Changed", L"void", PrivateAccess), L"Type", L"event");
    Attribute* key = build.AddAttribute(stored, L"Key", L"string", PublicAccess);
    Set(key, L"IsProperty", L"TRUE");
    Set(key, L"Kind", L"virtual");

    Class* shown = build.AddClass(L"IShown", L"Q-IShown", ui);
    Set(shown, L"Kind", L"Interface");

    Class* item = build.AddClass(L"Item", L"Q-Item", inner);
    Set(item, L"Accessibility", L"internal");
    Set(item, L"Inheritance", L"sealed");
    build.Inherit(item, stored);
    build.Inherit(item, record);
    build.Inherit(item, shown);
    build.Depend(item, build.AddClass(L"Plain", L"Q-Plain"));
    build.AddParameter(build.AddOperation(item, L"Run", L"void"), L"times", L"int");

    Module* nested = AddComponent(L"Nested", {item, record, stored});
    Generate(nested);
    ExpectGolden(nested);
    std::vector<std::wstring> expectedLog = {L"[Code generation]", L"Class Record to " + PathOf(nested),
                                             L"Class IStored to " + PathOf(nested), L"Class Item to " + PathOf(nested)};
    EXPECT_EQ(expectedLog, log);
}

// Modes.cs: enums (the layout Vexlo chose): values in model order, an initial value as
// the number, documentation, access word; no modifier, bases, operations or roles; an
// enum without values; inside a namespace and at the top.
TEST_F(GoldenTest, Enums)
{
    Class* base = build.AddClass(L"Base", L"Q-Base");
    Class* mode = build.AddClass(L"Mode", L"Q-Mode", AddPackage(nullptr, L"Core"));
    mode->documentation = L"Modes.";
    for (const auto& [name, value] : {std::pair{L"Kind", L"Enum"}, {L"Accessibility", L"internal"},
                                      {L"Inheritance", L"sealed"}})
        Set(mode, name, value);
    build.AddAttribute(mode, L"Fast", L"", PublicAccess, L"1");
    build.AddAttribute(mode, L"Slow", L"int", PrivateAccess);
    build.AddOperation(mode, L"Run", L"void");
    build.Inherit(mode, base);
    build.Associate(L"Pick", mode, L"picked", true, base, L"picker", false);
    Class* empty = build.AddClass(L"Empty", L"Q-Empty");
    Set(empty, L"Kind", L"enum");

    Module* modes = AddComponent(L"Modes", {mode, empty});
    Generate(modes);
    ExpectGolden(modes);
}

} // namespace
} // namespace CSharpTest
