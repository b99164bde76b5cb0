#include "VXCSharpClass.h"

#include "LmTranslate.h"
#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXCSharpAttribute.h"
#include "VXCSharpCategory.h"
#include "VXCSharpOperation.h"
#include "VXCSharpOwner.h"
#include "VXCSharpRole.h"
#include "VXCategory.h"
#include "VXClass.h"
#include "VXClassSuppliers.h"
#include "VXIdSet.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModule.h"
#include "VXOperation.h"
#include "VXOperationCollection.h"
#include "VXRole.h"
#include "VXRoleCollection.h"

#include <array>
#include <functional>
#include <optional>
#include <utility>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

namespace
{
    // Groups by the host's visibility code: 0 public, 1 private, 2 protected,
    // 3 implementation, and one for any other code.
    enum Group
    {
        GroupPublic,
        GroupPrivate,
        GroupProtected,
        GroupImplementation,
        GroupOther,
        GroupCount
    };
    enum Bucket
    {
        AttributeFields,
        RoleFields,
        Operations,
        AttributeProperties,
        RoleProperties,
        BucketCount
    };

    Group GroupOf(long visibility)
    {
        return visibility >= 0 && visibility < GroupOther ? static_cast<Group>(visibility) : GroupOther;
    }

    // A constructor assigns the initial value of every attribute with a backing field
    // that is not const (a type that is an interface has no constructors).
    void AddInitializer(CVXCSharpOwner& owner, const CVXCSharpMemberText& member)
    {
        std::wstring statement = member.Const || owner.IsInterface ? std::wstring() : member.Initialization();
        if (!statement.empty())
            owner.Initializers += CVXExtension::Unit + statement + L"\r\n";
    }

    std::wstring UniqueId(CVXElement& element)
    {
        return CVXExtension::Text(element.GetUniqueID());
    }
}

// The member texts of a type, by group and bucket, each bucket joined by CR LF.
struct CVXCSharpClass::Groups
{
    std::array<std::array<std::wstring, BucketCount>, GroupCount> Texts;

    void Add(long visibility, Bucket bucket, const std::wstring& text)
    {
        if (text.empty())
            return;
        std::wstring& target = Texts[GroupOf(visibility)][bucket];
        if (!target.empty())
            target += L"\r\n";
        target += text;
    }
    // A bucket as it stands in the type: two units in, followed by CR LF.
    std::wstring Get(int group, Bucket bucket) const
    {
        const std::wstring& text = Texts[group][bucket];
        return text.empty() ? text : CVXExtension::IndentText(text, 2) + L"\r\n";
    }
    std::wstring Fields(int group) const { return Get(group, AttributeFields) + Get(group, RoleFields); }
    std::wstring Members(int group) const
    {
        return Get(group, Operations) + Get(group, AttributeProperties) + Get(group, RoleProperties);
    }
};

CLmPtr<CVXCSharpClass> CVXCSharpClass::Create(const CLmPtr<CVXClass>& cls)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpClass>(CLmPtr<CLmRefsObject>(cls));
    }
    LM_END_TRY
}

CVXCSharpClass::CVXCSharpClass(const CLmPtr<CLmRefsObject>& cls) : CVXCSharpExtensionElement(cls) {}

CVXCSharpClass::~CVXCSharpClass() = default;

bool CVXCSharpClass::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXCSharpClass::GetClass()
{
    LM_TRY
    {
        CLmPtr<CVXClass> cls(GetOwner());
        LM_CHECK_POINTER(cls.GetTyped(), L"class");
        return cls;
    }
    LM_END_TRY
}

bool CVXCSharpClass::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode");
    }
    LM_END_TRY
}

CVXCSharpClass::TypeKind CVXCSharpClass::TypeKindOf(const std::wstring& kind)
{
    if (kind == L"class")
        return KindClass;
    if (kind == L"interface")
        return KindInterface;
    if (kind == L"struct")
        return KindStruct;
    if (kind == L"enum")
        return KindEnum;
    return KindNone;
}

CVXCSharpClass::TypeKind CVXCSharpClass::GetTypeKind()
{
    LM_TRY
    {
        return TypeKindOf(GetPropertyLower(L"Kind"));
    }
    LM_END_TRY
}

int CVXCSharpClass::GetAccessibility()
{
    LM_TRY
    {
        static const wchar_t* const words[] = {L"public", L"private", L"protected", L"internal",
                                               L"protected internal"};
        std::wstring value = GetPropertyLower(L"Accessibility");
        for (int i = 0; i < 5; ++i)
            if (value == words[i])
                return i;
        return -1;
    }
    LM_END_TRY
}

int CVXCSharpClass::GetInheritance()
{
    LM_TRY
    {
        std::wstring value = GetPropertyLower(L"Inheritance");
        if (value == L"common")
            return 1;
        if (value == L"abstract")
            return 2;
        if (value == L"sealed")
            return 3;
        return 0;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpClass::GetGuid()
{
    LM_TRY
    {
        return GetProperty(L"GUID");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpClass::GetNamespace()
{
    LM_TRY
    {
        return Bstr(CVXCSharpCategory::GetNamespace(GetClass()->GetParentCategory()));
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpClass::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CVXCSharpOwner CVXCSharpClass::ReadOwner(const CLmPtr<CVXClass>& cls)
{
    LM_TRY
    {
        CVXCSharpOwner owner;
        if (!HasHostObject(cls))
            return owner;
        owner.ClassName = Text(cls->GetName());
        owner.IsInterface = TypeKindOf(Lower(GetToolProperty(*cls, ToolName, L"Kind"))) == KindInterface;
        return owner;
    }
    LM_END_TRY
}

void CVXCSharpClass::ReadInitializers(const CLmPtr<CVXClass>& cls, CVXCSharpOwner& owner)
{
    LM_TRY
    {
        owner.InitializersKnown = true;
        owner.Initializers.clear();
        if (!HasHostObject(cls) || owner.IsInterface)
            return;
        CLmPtr<CVXAttributeCollection> attributes = cls->GetAttributes();
        for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
            CLmPtr<CVXCSharpAttribute> extension(attribute.IsNull() ? CLmPtr<CVXExtension>()
                                                                    : attribute->GetExtension(CLmBSTR(ToolName)));
            if (extension.IsNull())
                continue;
            AddInitializer(owner, extension->GetMemberText(owner));
        }
    }
    LM_END_TRY
}

void CVXCSharpClass::CollectMembers(const CLmPtr<CVXPreservedZones>& zones, CVXCSharpOwner& owner, Groups& groups)
{
    LM_TRY
    {
        const CLmBSTR tool(ToolName);
        const int level = owner.Depth + 2;
        CLmPtr<CVXClass> cls = GetClass();

        // Attributes first: their texts also give the constructors' initial values.
        owner.InitializersKnown = true;
        owner.Initializers.clear();
        CLmPtr<CVXAttributeCollection> attributes = cls->GetAttributes();
        for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
            if (attribute.IsNull())
                continue;
            CLmPtr<CVXCSharpAttribute> extension(attribute->GetExtension(tool));
            if (extension.IsNull())
                continue;
            CVXCSharpMemberText member = extension->GetMemberText(owner);
            if (!member.HasText())
                continue;
            groups.Add(extension->GetFieldBucket(), AttributeFields, member.FieldText());
            groups.Add(member.Visibility, AttributeProperties, member.PropertyText(zones, level, owner));
            AddInitializer(owner, member);
        }

        CLmPtr<CVXOperationCollection> operations = cls->GetOperations();
        for (LONG i = 0, count = operations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXOperation> operation = operations->GetAt(i);
            if (operation.IsNull())
                continue;
            CLmPtr<CVXCSharpOperation> extension(operation->GetExtension(tool));
            if (extension.IsNull() || !extension->IsGenerated())
                continue;
            // The method's text reads the visibility already, except in an interface.
            std::optional<long> visibility;
            const std::wstring method = extension->GetMethodText(zones, level, owner, &visibility);
            groups.Add(visibility ? *visibility : operation->GetVisibility(), Operations, method);
        }

        CLmPtr<CVXRoleCollection> roles = cls->GetRoles();
        for (LONG i = 0, count = roles->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXRole> role = roles->GetAt(i);
            if (role.IsNull())
                continue;
            CLmPtr<CVXCSharpRole> extension(role->GetExtension(tool));
            if (extension.IsNull())
                continue;
            CVXCSharpMemberText member = extension->GetMemberText(owner);
            if (!member.HasText())
                continue;
            groups.Add(extension->GetFieldBucket(), RoleFields, member.FieldText());
            groups.Add(member.Visibility, RoleProperties, member.PropertyText(zones, level, owner));
        }
    }
    LM_END_TRY
}

std::wstring CVXCSharpClass::GetBaseList()
{
    LM_TRY
    {
        std::wstring classes;
        std::wstring interfaces;
        CLmPtr<CVXInheritRelationCollection> relations = GetClass()->GetInheritRelations();
        for (LONG i = 0, count = relations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXInheritRelation> relation = relations->GetAt(i);
            if (relation.IsNull())
                continue;
            CLmPtr<CVXClass> supplier = relation->GetSupplierClass();
            if (!HasHostObject(supplier))
                continue;
            std::wstring name = CVXCSharpCategory::GetNamespace(supplier->GetParentCategory());
            if (!name.empty())
                name += L".";
            name += Text(supplier->GetName());
            if (TypeKindOf(Lower(GetToolProperty(*supplier, ToolName, L"Kind"))) == KindInterface)
                interfaces += (interfaces.empty() ? L"" : L",") + name;
            else
                classes += name;
        }
        std::wstring bases = classes;
        if (!classes.empty() && !interfaces.empty())
            bases += L",";
        bases += interfaces;
        return bases.empty() ? bases : L": " + bases;
    }
    LM_END_TRY
}

std::wstring CVXCSharpClass::GetEnumBody()
{
    LM_TRY
    {
        // One value per attribute, in host order; an initial value gives it its number.
        const std::wstring indentation = std::wstring(Unit) + Unit;
        std::wstring values;
        CLmPtr<CVXAttributeCollection> attributes = GetClass()->GetAttributes();
        for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
            if (attribute.IsNull())
                continue;
            if (!values.empty())
                values += L",\r\n";
            values += indentation + Text(attribute->GetName());
            std::wstring value = Text(attribute->GetInitValue());
            if (!value.empty())
                values += L" = " + value;
        }
        return values.empty() ? values : values + L"\r\n";
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpClass::GetDeclaration(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Bstr(GetDeclarationText(zones, option));
    }
    LM_END_TRY
}

std::wstring CVXCSharpClass::GetDeclarationText(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        if (!IsGenerated())
            return std::wstring();
        CLmPtr<CVXClass> cls = GetClass();
        const std::wstring unit = Unit;
        CVXCSharpOwner owner;
        owner.ClassName = Text(cls->GetName());
        const std::wstring& name = owner.ClassName;
        const std::wstring id = UniqueId(*cls);
        const TypeKind kind = GetTypeKind();
        owner.IsInterface = kind == KindInterface;

        // Namespace blocks, innermost package first; each outer one takes the inner
        // ones, indented, into its braces.
        std::wstring opening;
        std::wstring closing;
        for (CLmPtr<CVXCategory> category = cls->GetParentCategory(); !category.IsNull();
             category = category->GetParentCategory())
        {
            if (!CVXCSharpCategory::IsNamespace(*category))
                continue;
            std::wstring separator = opening.empty() ? L"" : L"\r\n";
            opening = L"namespace " + Text(category->GetName()) + L"\r\n{" + separator + IndentText(opening, 1);
            closing = IndentText(closing, 1) + L"\r\n}\r\n";
            ++owner.Depth;
        }
        if (!opening.empty())
            opening += L"\r\n";
        const int depth = owner.Depth;
        auto unindent = [depth](const std::wstring& found) { return UnindentText(found, depth); };
        auto zone = [&](const wchar_t* tag, const std::wstring& indentation) {
            return Zone(zones, name, id, tag, indentation, std::wstring(), unindent);
        };

        std::wstring access;
        switch (GetAccessibility())
        {
        case 0:
            access = L"public ";
            break;
        case 1:
            access = L"private ";
            break;
        case 2:
            access = L"protected ";
            break;
        case 3:
            access = L"internal ";
            break;
        case 4:
            access = L"protected internal ";
            break;
        default:
            break;
        }
        std::wstring keyword = L"class";
        if (kind == KindInterface)
            keyword = L"interface";
        else if (kind == KindStruct)
            keyword = L"struct";
        else if (kind == KindEnum)
            keyword = L"enum";

        std::wstring text = zone(L"preface", unit);
        text += DocumentationComment(Text(cls->GetDocumentation()), unit);
        if (kind == KindEnum)
        {
            // An enum has no modifier, no bases and only its values.
            text += unit + access + keyword + L" " + name + L" " + L"\r\n";
            text += unit + L"{\r\n";
            text += GetEnumBody();
        }
        else
        {
            std::wstring modifier;
            int inheritance = GetInheritance();
            if (inheritance == 2)
                modifier = L"abstract ";
            else if (inheritance == 3)
                modifier = L"sealed ";
            text += unit + access + modifier + keyword + L" " + name + L" " + GetBaseList() + L"\r\n";
            text += unit + L"{\r\n";

            Groups groups;
            CollectMembers(zones, owner, groups);
            const std::wstring members = unit + unit;
            if (kind == KindInterface)
            {
                std::wstring guid = Text(GetGuid());
                if (!guid.empty())
                    text += unit + L"['{" + guid + L"}']" + L"\r\n";
                text += zone(L"initial", members);
                for (int group : {GroupOther, GroupPrivate, GroupProtected, GroupPublic, GroupImplementation})
                    text += groups.Members(group);
            }
            else
            {
                text += groups.Fields(GroupOther);
                text += zone(L"initial", members);
                text += groups.Members(GroupOther);
                static const struct
                {
                    Group Which;
                    const wchar_t* Comment;
                    const wchar_t* Tag;
                } sections[] = {{GroupPrivate, L"//private", L"private"},
                                {GroupProtected, L"//protected", L"protected"},
                                {GroupPublic, L"//public", L"public"},
                                {GroupImplementation, L"//internal", L"internal"}};
                for (const auto& section : sections)
                {
                    text += members + section.Comment + L"\r\n";
                    text += groups.Fields(section.Which);
                    text += zone(section.Tag, members);
                    text += groups.Members(section.Which);
                }
            }
        }
        text += unit + L"}\r\n";
        text += zone(L"postscript", unit);
        if (depth > 0)
            text = IndentText(text, depth);
        if (opening.empty() && closing.empty())
            return Handed(std::move(text));
        std::wstring whole;
        whole.reserve(opening.size() + text.size() + closing.size());
        whole += opening;
        whole += text;
        whole += closing;
        return Handed(std::move(whole));
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXCategory>> CVXCSharpClass::GetUsedCategories()
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXCategory>> categories;
        CVXIdSet ids;
        for (const CLmPtr<CVXClass>& supplier : CVXClassSuppliers::GetSupplierClasses(GetClass()))
        {
            CLmPtr<CVXCategory> category = supplier->GetParentCategory();
            if (category.IsNull())
                continue;
            if (ids.Add(UniqueId(*category)))
                categories.push_back(category);
        }
        return categories;
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXModule>> CVXCSharpClass::GetUsedModules()
{
    LM_TRY
    {
        return CVXClassSuppliers::GetSupplierModules(GetClass());
    }
    LM_END_TRY
}
