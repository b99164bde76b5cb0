#include "VXDelphiClass.h"

#include "LmTranslate.h"
#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXClass.h"
#include "VXClassSuppliers.h"
#include "VXDelphiAttribute.h"
#include "VXDelphiModel.h"
#include "VXDelphiOperation.h"
#include "VXDelphiMemberText.h"
#include "VXDelphiRole.h"
#include "VXGenerationMemo.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModule.h"
#include "VXOperation.h"
#include "VXOperationCollection.h"
#include "VXRole.h"
#include "VXRoleCollection.h"

#include <array>
#include <utility>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

namespace
{
    // The parts of a declaration, in the order the visibilities are written.
    enum Section
    {
        SectionNone,
        SectionPrivate,
        SectionProtected,
        SectionPublic,
        SectionPublished,
        SectionCount
    };
    const wchar_t* const SectionWords[SectionCount] = {L"", L"private", L"protected", L"public", L"published"};

    // The host's visibility code: 0 public, 1 private, 2 protected, 3 implementation
    // (written as published), anything else before the first section.
    Section SectionOf(long visibility)
    {
        switch (visibility)
        {
        case 0:
            return SectionPublic;
        case 1:
            return SectionPrivate;
        case 2:
            return SectionProtected;
        case 3:
            return SectionPublished;
        default:
            return SectionNone;
        }
    }

    void Add(std::vector<std::wstring>& entries, std::wstring text)
    {
        if (!text.empty())
            entries.push_back(std::move(text));
    }

    std::wstring Join(const std::vector<std::wstring>& entries)
    {
        std::wstring text;
        for (size_t i = 0; i < entries.size(); ++i)
        {
            if (i > 0)
                text += L"\r\n";
            text += entries[i];
        }
        return text;
    }
}

// Member declarations sorted by visibility, each list joined and formatted as it
// stands in the declaration.
struct CVXDelphiClass::Sections
{
    struct Lists
    {
        std::vector<std::wstring> AttributeFields, RoleFields, AttributeAccessors, RoleAccessors, Operations,
            AttributeProperties, RoleProperties;
    };
    std::array<Lists, SectionCount> Entries;

    // Operation and field lists are indented here; accessors and properties come
    // indented from their producers.
    static std::wstring Indented(const std::vector<std::wstring>& entries)
    {
        return entries.empty() ? std::wstring() : CVXDelphiModel::IndentText(Join(entries), 2) + L"\r\n";
    }
    static std::wstring Plain(const std::vector<std::wstring>& entries)
    {
        return entries.empty() ? std::wstring() : Join(entries) + L"\r\n";
    }
    std::wstring Fields(int section) const
    {
        return Indented(Entries[section].AttributeFields) + Indented(Entries[section].RoleFields);
    }
    std::wstring Members(int section) const
    {
        const Lists& lists = Entries[section];
        return Plain(lists.AttributeAccessors) + Plain(lists.RoleAccessors) + Indented(lists.Operations) +
               Plain(lists.AttributeProperties) + Plain(lists.RoleProperties);
    }
};

// What the class's declaration and implementation read of its members: the generated
// operations, attributes and roles in the host's order, each read once.
struct CVXDelphiClass::Members
{
    struct Operation
    {
        long Visibility;
        CVXDelphiOperation::Values Values;
        CLmPtr<CVXDelphiOperation> Extension; // writes the implementation
    };
    struct Data
    {
        long Visibility;
        long FieldVisibility;
        CVXDelphiMemberText Text;
    };
    std::vector<Operation> Operations;
    std::vector<Data> Attributes;
    std::vector<Data> Roles;
    // What a constructor starts with: each attribute's field initialisation.
    std::vector<std::wstring> Initializations;
};

CLmPtr<CVXDelphiClass> CVXDelphiClass::Create(const CLmPtr<CVXClass>& cls)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiClass>(CLmPtr<CLmRefsObject>(cls));
    }
    LM_END_TRY
}

CVXDelphiClass::CVXDelphiClass(const CLmPtr<CLmRefsObject>& cls) : CVXDelphiExtensionElement(cls) {}

CVXDelphiClass::~CVXDelphiClass() = default;

bool CVXDelphiClass::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXDelphiClass::GetClass()
{
    LM_TRY
    {
        CLmPtr<CVXClass> cls(GetOwner());
        LM_CHECK_POINTER(cls.GetTyped(), L"class");
        return cls;
    }
    LM_END_TRY
}

bool CVXDelphiClass::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode");
    }
    LM_END_TRY
}

CVXDelphiClass::Kind CVXDelphiClass::GetClassKind()
{
    LM_TRY
    {
        return KindOf(GetPropertyLower(L"Kind"));
    }
    LM_END_TRY
}

CVXDelphiClass::Kind CVXDelphiClass::KindOf(const std::wstring& kind)
{
    LM_TRY
    {
        if (kind == L"class")
            return KindClass;
        if (kind == L"interface")
            return KindInterface;
        if (kind == L"dispinterface")
            return KindDispinterface;
        if (kind == L"object")
            return KindObject;
        if (kind == L"enum")
            return KindEnum;
        return KindUnknown;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiClass::GetGuid()
{
    LM_TRY
    {
        return GetProperty(L"GUID");
    }
    LM_END_TRY
}

CVXDelphiClass::Members CVXDelphiClass::ReadMembers(const std::wstring& name, const std::wstring& kind)
{
    LM_TRY
    {
        const CLmBSTR tool(ToolName);
        CLmPtr<CVXClass> cls = GetClass();
        Members members;

        CLmPtr<CVXOperationCollection> operations = cls->GetOperations();
        for (LONG i = 0, count = operations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXOperation> operation = operations->GetAt(i);
            if (operation.IsNull())
                continue;
            CLmPtr<CVXDelphiOperation> extension(operation->GetExtension(tool));
            if (extension.IsNull() || !extension->IsGenerated())
                continue;
            long visibility = operation->GetVisibility();
            members.Operations.push_back({visibility, extension->ReadValues(&name, &kind), std::move(extension)});
        }

        CLmPtr<CVXAttributeCollection> attributes = cls->GetAttributes();
        for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
            if (attribute.IsNull())
                continue;
            CLmPtr<CVXDelphiAttribute> extension(attribute->GetExtension(tool));
            if (extension.IsNull())
                continue;
            CVXDelphiMemberText member = extension->GetMemberText(&name, &kind);
            if (!member.Generated)
                continue;
            members.Initializations.push_back(member.Initialization());
            long visibility = attribute->GetVisibility();
            members.Attributes.push_back({visibility, extension->GetFieldVisibility(), std::move(member)});
        }

        CLmPtr<CVXRoleCollection> roles = cls->GetRoles();
        for (LONG i = 0, count = roles->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXRole> role = roles->GetAt(i);
            if (role.IsNull())
                continue;
            CLmPtr<CVXDelphiRole> extension(role->GetExtension(tool));
            if (extension.IsNull())
                continue;
            CVXDelphiMemberText member = extension->GetMemberText();
            if (!member.Generated)
                continue;
            long visibility = role->GetVisibility();
            members.Roles.push_back({visibility, extension->GetFieldVisibility(), std::move(member)});
        }
        return members;
    }
    LM_END_TRY
}

std::shared_ptr<const CVXDelphiClass::Members> CVXDelphiClass::GetMembers(const std::wstring& name,
                                                                          const std::wstring& id,
                                                                          const std::wstring& kind)
{
    LM_TRY
    {
        // The name goes into the key with the id: two classes that a damaged model
        // gives the same id still get their own members.
        return CVXGenerationMemo::Get<Members>(id + L'\n' + name, [&] { return ReadMembers(name, kind); });
    }
    LM_END_TRY
}

void CVXDelphiClass::CollectSections(const Members& members, Sections& sections)
{
    LM_TRY
    {
        for (const Members::Operation& operation : members.Operations)
            Add(sections.Entries[SectionOf(operation.Visibility)].Operations,
                CVXDelphiOperation::DeclarationText(operation.Values));

        for (const Members::Data& attribute : members.Attributes)
        {
            const CVXDelphiMemberText& member = attribute.Text;
            Sections::Lists& lists = sections.Entries[SectionOf(attribute.Visibility)];
            Add(sections.Entries[SectionOf(attribute.FieldVisibility)].AttributeFields, member.FieldDeclaration());
            Add(lists.AttributeProperties, member.PropertyDeclaration(2));
            Add(lists.AttributeAccessors, member.ReadMethodDeclaration(2));
            Add(lists.AttributeAccessors, member.WriteMethodDeclaration(2));
        }

        for (const Members::Data& role : members.Roles)
        {
            // Role accessors and properties follow the role's visibility, as those of
            // attributes follow the attribute's.
            const CVXDelphiMemberText& member = role.Text;
            Sections::Lists& lists = sections.Entries[SectionOf(role.Visibility)];
            Add(sections.Entries[SectionOf(role.FieldVisibility)].RoleFields, member.FieldDeclaration());
            Add(lists.RoleProperties, member.PropertyDeclaration(2));
            Add(lists.RoleAccessors, member.ReadMethodDeclaration(2));
            Add(lists.RoleAccessors, member.WriteMethodDeclaration(2));
        }
    }
    LM_END_TRY
}

std::wstring CVXDelphiClass::GetHeritage()
{
    LM_TRY
    {
        std::wstring base;
        std::wstring interfaces;
        CLmPtr<CVXInheritRelationCollection> relations = GetClass()->GetInheritRelations();
        for (LONG i = 0, count = relations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXInheritRelation> relation = relations->GetAt(i);
            if (relation.IsNull())
                continue;
            CLmPtr<CVXClass> superclass = relation->GetSupplierClass();
            if (!HasHostObject(superclass))
                continue;
            std::wstring kind = Lower(GetToolProperty(*superclass, ToolName, L"Kind"));
            std::wstring name = Text(superclass->GetName());
            if (IsInterfaceKind(kind))
                interfaces += (interfaces.empty() ? L"" : L",") + name;
            else
                base = name;
        }
        std::wstring heritage = base;
        if (!base.empty() && !interfaces.empty())
            heritage += L",";
        heritage += interfaces;
        return heritage.empty() ? heritage : L"(" + heritage + L")";
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiClass::GetDeclaration(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetDeclarationText(zones, option));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiClass::GetImplementation(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetImplementationText(zones, option));
    }
    LM_END_TRY
}

std::wstring CVXDelphiClass::GetDeclarationText(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        if (!IsGenerated())
            return std::wstring();
        CLmPtr<CVXClass> cls = GetClass();
        const std::wstring name = Text(cls->GetName());
        const std::wstring id = Text(cls->GetUniqueID());
        const std::wstring unit = Unit;
        const std::wstring kindText = GetPropertyLower(L"Kind");
        Kind kind = KindOf(kindText);
        CVXGenerationMemo::Get<Settings>(id + L'\n' + name, [&] { return Settings{kindText}; });

        std::wstring text = Zone(zones, name, id, L"preface", unit, std::wstring());
        if (kind == KindEnum)
        {
            std::wstring values;
            CLmPtr<CVXAttributeCollection> attributes = cls->GetAttributes();
            for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
            {
                CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
                if (attribute.IsNull())
                    continue;
                values += (values.empty() ? L"" : L",") + Text(attribute->GetName());
            }
            if (!values.empty())
                values = L"(" + values + L")";
            text += unit + name + L" = " + L" " + values + L";" + L"\r\n";
            text += Zone(zones, name, id, L"postscript", unit, std::wstring());
            return Handed(std::move(text));
        }

        std::wstring keyword = L"class";
        if (kind == KindInterface)
            keyword = L"interface";
        else if (kind == KindDispinterface)
            keyword = L"dispinterface";
        else if (kind == KindObject)
            keyword = L"object"; // an old-style Delphi object type
        text += unit;
        CLmBSTR documentation = cls->GetDocumentation();
        if (!documentation.IsEmpty())
            text += unit + L"{" + Text(documentation) + L"}" + L"\r\n";
        text += name + L" = " + keyword + L" " + GetHeritage() + L"\r\n";

        Sections sections;
        CollectSections(*GetMembers(name, id, kindText), sections);
        if (kind == KindInterface || kind == KindDispinterface)
        {
            std::wstring guid = Text(GetGuid());
            if (!guid.empty())
                text += unit + unit + L"['{" + guid + L"}']" + L"\r\n";
            text += Zone(zones, name, id, L"initial", unit, std::wstring());
            for (int section = SectionNone; section < SectionCount; ++section)
                text += sections.Members(section);
        }
        else
        {
            text += sections.Fields(SectionNone);
            text += Zone(zones, name, id, L"initial", unit, std::wstring());
            text += sections.Members(SectionNone);
            for (int section = SectionPrivate; section < SectionCount; ++section)
            {
                text += unit + SectionWords[section] + L"\r\n";
                text += sections.Fields(section);
                text += Zone(zones, name, id, SectionWords[section], unit, std::wstring());
                text += sections.Members(section);
            }
        }
        text += unit + L"end;" + L"\r\n";
        text += Zone(zones, name, id, L"postscript", unit, std::wstring());
        return Handed(std::move(text));
    }
    LM_END_TRY
}

std::wstring CVXDelphiClass::GetImplementationText(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        // Within a file, the declaration has read the class's settings already.
        CLmPtr<CVXClass> cls;
        std::wstring name;
        std::wstring id;
        std::shared_ptr<const Settings> settings;
        if (CVXGenerationMemo::IsActive())
        {
            cls = GetClass();
            name = Text(cls->GetName());
            id = Text(cls->GetUniqueID());
            settings = CVXGenerationMemo::Find<Settings>(id + L'\n' + name);
        }
        if (!settings && !IsGenerated())
            return std::wstring();
        const std::wstring kindText = settings ? settings->Kind : GetPropertyLower(L"Kind");
        Kind kind = KindOf(kindText);
        if (kind == KindInterface || kind == KindDispinterface || kind == KindEnum)
            return std::wstring();
        if (cls.IsNull())
        {
            cls = GetClass();
            name = Text(cls->GetName());
            id = Text(cls->GetUniqueID());
        }
        std::shared_ptr<const Members> members = GetMembers(name, id, kindText);
        // Every body goes straight into the class's text, followed by an empty line.
        std::wstring text;
        auto separate = [&text](bool appended) {
            if (appended)
                text += L"\r\n\r\n";
        };
        for (const Members::Data& attribute : members->Attributes)
        {
            separate(attribute.Text.ReadMethodImplementation(text, zones));
            separate(attribute.Text.WriteMethodImplementation(text, zones));
        }
        for (const Members::Data& role : members->Roles)
        {
            separate(role.Text.ReadMethodImplementation(text, zones));
            separate(role.Text.WriteMethodImplementation(text, zones));
        }
        for (const Members::Operation& operation : members->Operations)
            separate(operation.Extension->ImplementationText(text, operation.Values, zones, &members->Initializations));
        return Handed(std::move(text));
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXModule>> CVXDelphiClass::GetRequiredModules()
{
    LM_TRY
    {
        return CVXClassSuppliers::GetSupplierModules(GetClass());
    }
    LM_END_TRY
}
