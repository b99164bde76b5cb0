#include "VXDelphiModule.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXClassOrder.h"
#include "VXDelphiClass.h"
#include "VXGenerationMemo.h"
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

CLmPtr<CVXDelphiModule> CVXDelphiModule::Create(const CLmPtr<CVXModule>& module)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiModule>(CLmPtr<CLmRefsObject>(module));
    }
    LM_END_TRY
}

CVXDelphiModule::CVXDelphiModule(const CLmPtr<CLmRefsObject>& module) : CVXDelphiExtensionElement(module) {}

CVXDelphiModule::~CVXDelphiModule() = default;

bool CVXDelphiModule::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXModule> CVXDelphiModule::GetModule()
{
    LM_TRY
    {
        CLmPtr<CVXModule> module(GetOwner());
        LM_CHECK_POINTER(module.GetTyped(), L"module");
        return module;
    }
    LM_END_TRY
}

bool CVXDelphiModule::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode");
    }
    LM_END_TRY
}

CVXDelphiModule::ComponentKind CVXDelphiModule::GetComponentKind()
{
    LM_TRY
    {
        std::wstring kind = GetPropertyLower(L"ComponentKind");
        if (kind == L"library")
            return KindLibrary;
        if (kind == L"program")
            return KindProgram;
        if (kind == L"unit")
            return KindUnit;
        if (kind == L"package")
            return KindPackage;
        return KindUnknown;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetDefaultProgramBody()
{
    LM_TRY
    {
        return GetProperty(L"DefaultProgramBody");
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetAdditionalIncludes()
{
    LM_TRY
    {
        return GetProperty(L"AdditionalIncludes");
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetFileName()
{
    LM_TRY
    {
        CLmBSTR name = GetModule()->GetName();
        switch (GetComponentKind())
        {
        case KindUnit:
            return name + L".pas";
        case KindProgram:
        case KindLibrary: // Delphi keeps libraries in project files too
            return name + L".dpr";
        case KindPackage:
            return name + L".dpk";
        default:
            return name;
        }
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetFilePath()
{
    LM_TRY
    {
        return CVXModuleOutput::GetFilePath(GetModule(), ToolName, GetFileName());
    }
    LM_END_TRY
}

void CVXDelphiModule::WriteLog(const CLmBSTR& text)
{
    LM_TRY
    {
        CVXModuleOutput::WriteLog(GetModule(), text);
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXClass>> CVXDelphiModule::GetOrderedClasses()
{
    LM_TRY
    {
        return CVXClassOrder::GetOrderedClasses(GetModule());
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXModule>> CVXDelphiModule::GetUsedModules()
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXModule>> used;
        CVXIdSet ids(Text(GetModule()->GetUniqueID()));
        CLmPtr<CVXClassCollection> classes = GetModule()->GetAssignedClasses();
        for (LONG i = 0, count = classes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClass> cls = classes->GetAt(i);
            if (cls.IsNull())
                continue;
            CLmPtr<CVXDelphiClass> extension(cls->GetExtension(CLmBSTR(ToolName)));
            if (extension.IsNull())
                continue;
            for (const CLmPtr<CVXModule>& module : extension->GetRequiredModules())
            {
                if (ids.Add(Text(module->GetUniqueID())))
                    used.push_back(module);
            }
        }
        return used;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetDeclaration(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetDeclarationText(zones, option));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiModule::GetImplementation(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetImplementationText(zones, option));
    }
    LM_END_TRY
}

std::wstring CVXDelphiModule::GetDeclarationText(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        std::wstring text;
        AppendDeclaration(text, zones, 0);
        return text;
    }
    LM_END_TRY
}

std::wstring CVXDelphiModule::GetImplementationText(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        std::wstring text;
        AppendImplementation(text, zones, 0);
        return text;
    }
    LM_END_TRY
}

void CVXDelphiModule::EndAtTerminator(std::wstring& text, size_t start)
{
    size_t end = text.find(L'\0', start);
    if (end != std::wstring::npos)
        text.resize(end);
}

void CVXDelphiModule::AppendDeclaration(std::wstring& text, const CLmPtr<CVXPreservedZones>& zones, size_t slack)
{
    LM_TRY
    {
        if (!IsGenerated())
            return;
        WriteLog(CLmBSTR(L"[Code generation]"));
        CLmPtr<CVXModule> module = GetModule();
        const std::wstring name = Text(module->GetName());
        const std::wstring id = Text(module->GetUniqueID());
        const CLmBSTR path = GetFilePath();
        ComponentKind kind = GetComponentKind();

        std::wstring uses = Text(GetAdditionalIncludes());
        for (const CLmPtr<CVXModule>& used : GetUsedModules())
            uses += (uses.empty() ? L"" : L",") + Text(used->GetName());

        // Only a unit declares its classes; the other kinds still log them.
        std::vector<CLmPtr<CVXClass>> classes = GetOrderedClasses();
        std::vector<std::wstring> declarations;
        size_t typesLength = 0;
        const CLmBSTR tool(ToolName);
        for (const CLmPtr<CVXClass>& cls : classes)
        {
            if (kind == KindUnit)
            {
                declarations.push_back(cls->GetDeclarationText(tool, zones, 0));
                typesLength += declarations.back().size() + 2;
            }
            WriteLog(CLmBSTR(L"Class ") + cls->GetName() + L" to " + path);
        }

        // The class texts are copied once, into a text made large enough for them all.
        const size_t start = text.size();
        text.reserve(start + typesLength + uses.size() + 256 + slack);
        if (kind == KindUnit)
            text += L"interface\r\n";
        if (kind == KindUnit || kind == KindProgram || kind == KindLibrary)
        {
            if (!uses.empty())
                text += L"\r\nuses\r\n";
            text += Zone(zones, name, id, L"suses", std::wstring(), std::wstring());
            if (!uses.empty())
                text += Unit + uses + L";" + L"\r\n";
        }
        if (kind == KindProgram || kind == KindLibrary)
            text += Zone(zones, name, id, L"resources", std::wstring(), Unit + std::wstring(L"{$R *.RES}") + L"\r\n");
        if (kind == KindLibrary)
            text += Zone(zones, name, id, L"exports", std::wstring(), std::wstring());
        if (kind == KindUnit && !classes.empty())
        {
            text += L"type\r\n";
            for (const std::wstring& declaration : declarations)
            {
                text += declaration;
                text += L"\r\n";
            }
        }
        EndAtTerminator(text, start);
    }
    LM_END_TRY
}

void CVXDelphiModule::AppendImplementation(std::wstring& text, const CLmPtr<CVXPreservedZones>& zones, size_t slack)
{
    LM_TRY
    {
        if (!IsGenerated())
            return;
        CLmPtr<CVXModule> module = GetModule();
        const std::wstring name = Text(module->GetName());
        const std::wstring id = Text(module->GetUniqueID());
        ComponentKind kind = GetComponentKind();
        const size_t start = text.size();
        if (kind == KindUnit)
        {
            std::wstring head = L"implementation\r\n";
            head += Zone(zones, name, id, L"iuses", std::wstring(), std::wstring());
            CLmPtr<CVXClassCollection> classes = module->GetAssignedClasses();
            std::vector<std::wstring> implementations;
            size_t length = head.size();
            const CLmBSTR tool(ToolName);
            for (LONG i = 0, count = classes->GetCount(); i < count; ++i)
            {
                CLmPtr<CVXClass> cls = classes->GetAt(i);
                if (cls.IsNull())
                    continue;
                implementations.push_back(cls->GetImplementationText(tool, zones, 0));
                length += implementations.back().size() + 2;
            }
            text.reserve(start + length + slack);
            text += head;
            for (const std::wstring& implementation : implementations)
            {
                text += implementation;
                text += L"\r\n";
            }
        }
        else if (kind == KindProgram || kind == KindLibrary)
        {
            text += L"\r\n";
            text += Zone(zones, name, id, L"programbody", std::wstring(), Text(GetDefaultProgramBody()) + L"\r\n");
        }
        EndAtTerminator(text, start);
    }
    LM_END_TRY
}

std::wstring CVXDelphiModule::BuildText(const CLmPtr<CVXPreservedZones>& zones)
{
    LM_TRY
    {
        CLmPtr<CVXModule> module = GetModule();
        const std::wstring name = Text(module->GetName());
        const std::wstring id = Text(module->GetUniqueID());
        std::wstring text;
        switch (GetComponentKind())
        {
        case KindUnit:
        {
            // The parts go straight into the file's text, each grown once for its classes;
            // the implementation leaves room for the end of the file.
            text += L"unit " + name + L";" + L"\r\n\r\n";
            AppendDeclaration(text, zones, 0);
            text += L"\r\n";
            AppendImplementation(text, zones, 1024 + 8 * (name.size() + id.size()));
            text += L"initialization\r\n";
            text += Zone(zones, name, id, L"initialization", std::wstring(), std::wstring());
            text += L"finalization\r\n";
            text += Zone(zones, name, id, L"finalization", std::wstring(), std::wstring());
            text += L"end.";
            break;
        }
        case KindProgram:
        case KindLibrary:
            text = (GetComponentKind() == KindProgram ? L"program " : L"library ") + name + L";" + L"\r\n";
            AppendDeclaration(text, zones, 0);
            text += L"\r\nbegin";
            AppendImplementation(text, zones, 0);
            text += L"end.";
            break;
        case KindPackage:
            text = L"package " + name + L";" + L"\r\n\r\n";
            AppendDeclaration(text, zones, 0);
            text += L"\r\n";
            AppendImplementation(text, zones, 0);
            text += L"requires\r\n";
            text += Zone(zones, name, id, L"requires", std::wstring(), std::wstring());
            text += L"contains\r\n";
            text += Zone(zones, name, id, L"contains", std::wstring(), std::wstring());
            text += L"end.";
            break;
        default:
            break;
        }
        return Handed(std::move(text));
    }
    LM_END_TRY
}

void CVXDelphiModule::DoGenerate()
{
    LM_TRY
    {
        if (!IsGenerated())
            return;
        // What the file's texts read of the host is kept until the file is written.
        CVXGenerationMemo::Scope memo;
        CLmBSTR path = GetFilePath();
        CLmPtr<CVXGenerator> generator = CVXGenerator::Create(path, CLmPtr<CLmRefsObject>(this));
        LM_CHECK_POINTER(generator.GetTyped(), L"generator");
        CVXModuleOutput::WriteFile(generator, path, BuildText(generator->GetZones()));
    }
    LM_END_TRY
}
