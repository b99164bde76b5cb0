// Helpers for the C# generator's tests: the shared generation helpers with the tool
// "C#", and a component package "CSharp" whose files land in <scratch>/CSharp.
#pragma once

#include "GenerationTestSupport.h"

namespace CSharpTest {

using namespace GenTest;

class CSharpGenerationTest : public GenerationTest {
protected:
    Subsystem* csharp = nullptr;

    CSharpGenerationTest() : GenerationTest(L"C#") {}

    void SetUp() override
    {
        GenerationTest::SetUp();
        csharp = build.AddSubsystem(build.components, L"CSharp");
    }

    void Set(Element* element, const std::wstring& name, const std::wstring& value) { build.Prop(element, name, value); }

    // A namespace package ("IsNamespace" TRUE) or a plain one.
    Category* AddPackage(Category* parent, const std::wstring& name, const wchar_t* isNamespace = L"TRUE",
                         const std::wstring& quid = L"")
    {
        Category* category = build.AddCategory(parent ? parent : build.root, name, quid);
        Set(category, L"IsNamespace", isNamespace);
        return category;
    }

    Module* AddComponent(const std::wstring& name, std::vector<Class*> classes = {})
    {
        return build.AddModule(csharp, name, L"", std::move(classes));
    }

    fs::path FileOf(const Module* module) const { return Output(L"CSharp\\" + module->name + L".cs"); }
    std::wstring PathOf(const Module* module) const { return dir.wstring() + L"\\CSharp\\" + module->name + L".cs"; }

    // Generates the component and returns its file's bytes.
    std::string GenerateText(Module* module)
    {
        Generate(module);
        return ReadBytes(FileOf(module));
    }
};

} // namespace CSharpTest
