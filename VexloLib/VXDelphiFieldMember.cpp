#include "VXDelphiFieldMember.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXDelphiFieldMember::CVXDelphiFieldMember(const CLmPtr<CLmRefsObject>& element) : CVXDelphiExtensionElement(element) {}

CVXDelphiFieldMember::~CVXDelphiFieldMember() = default;

long CVXDelphiFieldMember::GetFieldVisibility()
{
    return 1;
}

CLmBSTR CVXDelphiFieldMember::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return Bstr(GetMemberText().FieldDeclaration());
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetReadMethodImplementation(const CLmPtr<CVXPreservedZones>& zones, int)
{
    LM_TRY
    {
        std::wstring text;
        GetMemberText().ReadMethodImplementation(text, zones);
        return Bstr(text);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetReadMethodDeclaration(const CLmPtr<CVXPreservedZones>&, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().ReadMethodDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetWriteMethodImplementation(const CLmPtr<CVXPreservedZones>& zones, int)
{
    LM_TRY
    {
        std::wstring text;
        GetMemberText().WriteMethodImplementation(text, zones);
        return Bstr(text);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetWriteMethodDeclaration(const CLmPtr<CVXPreservedZones>&, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().WriteMethodDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetPropertyDeclaration(const CLmPtr<CVXPreservedZones>&, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().PropertyDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiFieldMember::GetInitialization()
{
    LM_TRY
    {
        return Bstr(GetMemberText().Initialization());
    }
    LM_END_TRY
}
