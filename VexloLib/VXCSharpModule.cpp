#include "VXCSharpModule.h"

#include "LmTranslate.h"
#include "VXCSharpCategory.h"
#include "VXCSharpClass.h"
#include "VXCategory.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXClassOrder.h"
#include "VXGenerator.h"
#include "VXIdSet.h"
#include "VXModule.h"
#include "VXModuleOutput.h"
#include "VXPreservedZones.h"

#include <utility>
#include <vector>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpModule> CVXCSharpModule::Create(const CLmPtr<CVXModule>& module)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpModule>(CLmPtr<CLmRefsObject>(module));
    }
    LM_END_TRY
}

CVXCSharpModule::CVXCSharpModule(const CLmPtr<CLmRefsObject>& module) : CVXCSharpExtensionElement(module) {}

CVXCSharpModule::~CVXCSharpModule() = default;

bool CVXCSharpModule::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXModule> CVXCSharpModule::GetModule()
{
    LM_TRY
    {
        CLmPtr<CVXModule> module(GetOwner());
        LM_CHECK_POINTER(module.GetTyped(), L"module");
        return module;
    }
    LM_END_TRY
}

bool CVXCSharpModule::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModule::GetFileName()
{
    LM_TRY
    {
        return GetModule()->GetName() + L".cs";
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModule::GetFilePath()
{
    LM_TRY
    {
        return CVXModuleOutput::GetFilePath(GetModule(), ToolName, GetFileName());
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXCategory>> CVXCSharpModule::GetUsedCategories()
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXCategory>> used;
        CVXIdSet ids;
        CLmPtr<CVXClassCollection> classes = GetModule()->GetAssignedClasses();
        for (LONG i = 0, count = classes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClass> cls = classes->GetAt(i);
            CLmPtr<CVXCSharpClass> extension(cls.IsNull() ? CLmPtr<CVXExtension>()
                                                          : cls->GetExtension(CLmBSTR(ToolName)));
            if (extension.IsNull())
                continue;
            for (const CLmPtr<CVXCategory>& category : extension->GetUsedCategories())
            {
                if (ids.Add(Text(category->GetUniqueID())))
                    used.push_back(category);
            }
        }
        return used;
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXModule>> CVXCSharpModule::GetUsedModules()
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXModule>> used;
        CVXIdSet ids(Text(GetModule()->GetUniqueID()));
        CLmPtr<CVXClassCollection> classes = GetModule()->GetAssignedClasses();
        for (LONG i = 0, count = classes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClass> cls = classes->GetAt(i);
            CLmPtr<CVXCSharpClass> extension(cls.IsNull() ? CLmPtr<CVXExtension>()
                                                          : cls->GetExtension(CLmBSTR(ToolName)));
            if (extension.IsNull())
                continue;
            for (const CLmPtr<CVXModule>& module : extension->GetUsedModules())
            {
                if (ids.Add(Text(module->GetUniqueID())))
                    used.push_back(module);
            }
        }
        return used;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModule::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpModule::GetDeclaration(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetDeclarationText(zones, option));
    }
    LM_END_TRY
}

std::wstring CVXCSharpModule::GetDeclarationText(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        if (!IsGenerated())
            return std::wstring();
        CLmPtr<CVXModule> module = GetModule();
        CVXModuleOutput::WriteLog(module, CLmBSTR(L"[Code generation]"));

        std::wstring usings;
        for (const CLmPtr<CVXCategory>& category : GetUsedCategories())
        {
            std::wstring name = CVXCSharpCategory::GetNamespace(category);
            if (!name.empty())
                usings += L"using " + name + L";" + L"\r\n";
        }

        const CLmBSTR path = GetFilePath();
        const CLmBSTR tool(ToolName);
        std::vector<std::wstring> declarations;
        size_t typesLength = 0;
        for (const CLmPtr<CVXClass>& cls : CVXClassOrder::GetOrderedClasses(module))
        {
            declarations.push_back(cls->GetDeclarationText(tool, zones, option));
            typesLength += declarations.back().size() + 2;
            CVXModuleOutput::WriteLog(module, CLmBSTR(L"Class ") + cls->GetName() + L" to " + path);
        }

        std::wstring text;
        // The type texts are copied once, into a text made large enough for them all.
        text.reserve(typesLength + usings.size() + 256);
        text += L"\r\n";
        if (!usings.empty())
            text += L"\r\n\r\n";
        // The user's lines of this zone stand at the left margin: taken back as found.
        text += Zone(zones, Text(module->GetName()), Text(module->GetUniqueID()), L"suses", std::wstring(),
                     std::wstring());
        if (!usings.empty())
            text += usings + L"\r\n";
        for (const std::wstring& declaration : declarations)
        {
            text += declaration;
            text += L"\r\n";
        }
        return Handed(std::move(text));
    }
    LM_END_TRY
}

void CVXCSharpModule::DoGenerate()
{
    LM_TRY
    {
        if (!IsGenerated())
            return;
        CLmBSTR path = GetFilePath();
        CLmPtr<CVXGenerator> generator = CVXGenerator::Create(path, CLmPtr<CLmRefsObject>(this));
        LM_CHECK_POINTER(generator.GetTyped(), L"generator");
        CVXModuleOutput::WriteFile(generator, path, GetDeclarationText(generator->GetZones(), 0));
    }
    LM_END_TRY
}
