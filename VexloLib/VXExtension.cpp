#include "VXExtension.h"

#include "LmTranslate.h"
#include "VXCommon.h"
#include "VXPreservedZones.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXExtension::CVXExtension(const CLmPtr<CLmRefsObject>& parent) : CLmObject(parent) {}

CVXExtension::~CVXExtension() = default;

bool CVXExtension::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmBSTR CVXExtension::GetImplementation(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXExtension::GetDeclaration(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

void CVXExtension::Generate()
{
    LM_TRY
    {
        DoGenerate();
    }
    LM_END_TRY
}

CLmPtr<CVXCommon> CVXExtension::GetExtendedObject()
{
    LM_TRY
    {
        // The typed view of the owner is empty when the owner is no host wrapper.
        return CLmPtr<CVXCommon>(GetOwner());
    }
    LM_END_TRY
}

void CVXExtension::DoGenerate()
{
    LM_TRY
    {
    }
    LM_END_TRY
}
