// The generation protocol: every item's extension in a language, generation requests
// passed from classes to components, the output file object that reads the old file's
// zones and replaces the file in one step.
#include "DelphiTestSupport.h"

#include "VXAssociation.h"
#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXCategory.h"
#include "VXClassDependency.h"
#include "VXClassDependencyCollection.h"
#include "VXDelphiExtension.h"
#include "VXDelphiModule.h"
#include "VXExtension.h"
#include "VXGenerator.h"
#include "VXHasRelationship.h"
#include "VXHasRelationshipCollection.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModel.h"
#include "VXModuleVisibilityRelationship.h"
#include "VXModuleVisibilityRelationshipCollection.h"
#include "VXOperation.h"
#include "VXOperationCollection.h"
#include "VXParameter.h"
#include "VXParameterCollection.h"
#include "VXPreservedZones.h"
#include "VXRole.h"
#include "VXRoleCollection.h"
#include "VXSubsystem.h"

#include <functional>
#include <typeinfo>

namespace DelphiTest {
namespace {

class ExtensionTest : public GenerationTest {
protected:
    Subsystem* delphi = nullptr;
    Class* base = nullptr;
    Class* cls = nullptr;
    Module* first = nullptr;
    Module* second = nullptr;

    void SetUp() override
    {
        GenerationTest::SetUp();
        delphi = build.AddSubsystem(build.components, L"Delphi");
        base = build.AddClass(L"TBase", L"Q-TBase");
        cls = build.AddClass(L"TThing", L"Q-TThing");
        build.Inherit(cls, base);
        build.Depend(cls, base);
        cls->hasRelations.push_back(build.AddRelation(ElementKind::HasRelationship, cls, base));
        build.AddAttribute(cls, L"Size", L"Integer");
        build.AddParameter(build.AddOperation(cls, L"Run"), L"A", L"Integer");
        build.Associate(L"Link", cls, L"Next", true, base, L"Back", false);
        // The class is in two components, second first in its list.
        second = build.AddModule(delphi, L"Second", L"unit", {cls});
        first = build.AddModule(delphi, L"First", L"unit", {cls});
        build.ModuleDepends(first, second);
    }

    // Every kind of item wrapper that has an extension, with the extension class the
    // "Delphi" name must give ("CSharp" in place of "Delphi" for "C#").
    std::vector<std::pair<CLmPtr<CVXItem>, std::string>> Items()
    {
        CLmPtr<CVXClass> thing = Wrap<CVXClass>(cls);
        CLmPtr<CVXModule> module = Wrap<CVXModule>(first);
        CLmPtr<CVXOperation> operation = thing->GetOperations()->GetAt(0);
        CLmPtr<CVXRole> role = thing->GetRoles()->GetAt(0);
        return {
            {Wrap<CVXModel>(build.model.get()), "CVXDelphiModel"},
            {Wrap<CVXCategory>(build.root), "CVXDelphiCategory"},
            {Wrap<CVXSubsystem>(delphi), "CVXDelphiSubsystem"},
            {module, "CVXDelphiModule"},
            {module->GetDependencies()->GetAt(0), "CVXDelphiModuleVisibilityRelationship"},
            {thing, "CVXDelphiClass"},
            {thing->GetInheritRelations()->GetAt(0), "CVXDelphiInheritRelation"},
            {thing->GetClassDependencies()->GetAt(0), "CVXDelphiClassDependency"},
            {thing->GetHasRelations()->GetAt(0), "CVXDelphiHasRelationship"},
            {thing->GetAttributes()->GetAt(0), "CVXDelphiAttribute"},
            {operation, "CVXDelphiOperation"},
            {operation->GetParameters()->GetAt(0), "CVXDelphiParameter"},
            {role, "CVXDelphiRole"},
            {role->GetAssociation(), "CVXDelphiAssociation"},
        };
    }
};

TEST_F(ExtensionTest, EveryItemHasItsExtensionPerLanguageByExactNameOnly)
{
    for (auto& [item, delphiClass] : Items()) {
        ASSERT_TRUE(item) << delphiClass;
        for (const std::wstring tool : {L"Delphi", L"C#"}) {
            std::string expected = delphiClass;
            if (tool == L"C#")
                expected.replace(expected.find("Delphi"), 6, "CSharp");
            CLmPtr<CVXExtension> extension = item->GetExtension(CLmBSTR(tool.c_str()));
            ASSERT_TRUE(extension) << expected;
            EXPECT_NE(std::string::npos, std::string(typeid(*extension.GetTyped()).name()).find(expected))
                << expected;
            EXPECT_EQ(tool, Text(extension->GetToolName()));
            EXPECT_EQ(static_cast<CVXCommon*>(item.GetTyped()), extension->GetExtendedObject().GetTyped())
                << "the extension's parent is the item itself";
            EXPECT_NE(extension.GetTyped(), item->GetExtension(CLmBSTR(tool.c_str())).GetTyped())
                << "a new extension for every request";
        }
        // The names are compared exactly; any other name gives nothing.
        for (const wchar_t* language : {L"delphi", L"DELPHI", L"Delphi ", L"", L"c#", L"C# ", L"Pascal"})
            EXPECT_FALSE(item->GetExtension(CLmBSTR(language))) << delphiClass << " / " << Narrow(language);
        EXPECT_TRUE(Text(item->GetDeclaration(CLmBSTR(L"Pascal"), nullptr, 0)).empty());
        EXPECT_TRUE(Text(item->GetImplementation(CLmBSTR(L"Pascal"), nullptr, 0)).empty());
    }
}

TEST_F(ExtensionTest, NothingHappensWithoutComponentOrLanguage)
{
    Class* lonely = build.AddClass(L"TLonely", L"Q-TLonely");
    Wrap<CVXClass>(lonely)->Generate(CLmBSTR(L"Delphi"));
    for (const wchar_t* language : {L"delphi", L"C#", L""}) {
        Wrap<CVXClass>(cls)->Generate(CLmBSTR(language));
        Generate(first, language);
    }
    // Items other than classes and components write nothing.
    for (auto& [item, name] : Items())
        if (name != "CVXDelphiModule" && name != "CVXDelphiClass")
            item->Generate(CLmBSTR(L"Delphi"));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ExtensionTest, GeneratorReadsTheOldFilesZonesOnce)
{
    fs::path file = dir / "Old.pas";
    CLmBSTR path(file.wstring().c_str());
    CLmPtr<CVXGenerator> none = CVXGenerator::Create(path, nullptr);
    ASSERT_TRUE(none) << "a generator exists without an old file";
    EXPECT_EQ(0, none->GetZones()->GetCount());

    WriteBytes(file, "x\r\n//## begin A%ID1.body preserve=no\r\n  old\r\n//## end A%ID1.body\r\n"
                     "//## begin B%ID2.body preserve=yes\r\n//## end B%ID2.body\r\n");
    CLmPtr<CVXGenerator> generator = CVXGenerator::Create(path, nullptr);
    ASSERT_TRUE(generator);
    CLmPtr<CVXPreservedZones> zones = generator->GetZones();
    ASSERT_EQ(2, zones->GetCount());
    CLmPtr<CVXPreservedZone> found = zones->FindZone(CLmBSTR(L"ID1"), CLmBSTR(L"body"));
    ASSERT_TRUE(found);
    EXPECT_EQ(L"  old\r\n", Text(found->GetText()));

    // The zones stay readable after the file changed or went away.
    fs::remove(file);
    EXPECT_EQ(L"  old\r\n", Text(zones->FindZone(CLmBSTR(L"ID1"), CLmBSTR(L"body"))->GetText()));

    // Replacing writes the ANSI text as it is, without a byte-order mark.
    ASSERT_TRUE(generator->ReplaceFile(CLmBSTR(L"caf\xE9\r\nend.")));
    EXPECT_EQ("caf\xE9\r\nend.", ReadBytes(file));
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// A text ends where a host string made of it would end, at its first terminator, also
// when one of the add-in's objects hands it to another: a component's text holds its
// classes' texts cut there.
TEST_F(ExtensionTest, HandedTextsEndWhereHostStringsEnd)
{
    cls->documentation = std::wstring(L"cut\0here", 8);
    const CLmPtr<CVXItem> items[] = {Wrap<CVXClass>(cls), Wrap<CVXModule>(first)};
    for (const CLmPtr<CVXItem>& item : items) {
        for (const wchar_t* tool : {L"Delphi", L"C#"}) {
            const CLmBSTR language(tool);
            const std::wstring declaration = item->GetDeclarationText(language, nullptr, 0);
            EXPECT_EQ(Text(item->GetDeclaration(language, nullptr, 0)), declaration) << Narrow(tool);
            EXPECT_EQ(Text(item->GetImplementation(language, nullptr, 0)),
                      item->GetImplementationText(language, nullptr, 0)) << Narrow(tool);
            EXPECT_EQ(std::wstring::npos, declaration.find(L"here")) << Narrow(tool);
        }
    }
    EXPECT_NE(std::wstring::npos, items[1]->GetDeclarationText(CLmBSTR(L"Delphi"), nullptr, 0).find(L"  {cut\r\n"));
}

TEST(Extension, ExtendedObjectIsEmptyForAParentThatIsNoHostWrapper)
{
    CLmPtr<LmLib::Object::CLmRefsObject> plain(LmLib::LmCreateObject<LmLib::Object::CLmObject>(nullptr));
    CLmPtr<CVXDelphiModule> extension = LmLib::LmCreateObject<CVXDelphiModule>(plain);
    ASSERT_TRUE(extension);
    EXPECT_FALSE(extension->GetExtendedObject());
    EXPECT_EQ(L"Delphi", Text(extension->GetToolName()));
    // Its texts need a component: the missing one is reported, not dereferenced.
    EXPECT_EQ(-201, Raised([&] { extension->GetImplementation(nullptr, 0); }).m_Code);
}

} // namespace
} // namespace DelphiTest
