#include "VXExtensionIface.h"

#include "LmTranslate.h"
#include "VXPreservedZones.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CVXExtensionIface::CVXExtensionIface() = default;

CVXExtensionIface::~CVXExtensionIface() = default;

void CVXExtensionIface::Generate(const CLmBSTR& language)
{
    LM_TRY
    {
        DoGenerate(language);
    }
    LM_END_TRY
}

// No language extension exists yet, so no item has text in any language.
CLmBSTR CVXExtensionIface::GetImplementation(const CLmBSTR&, CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXExtensionIface::GetDeclaration(const CLmBSTR&, CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}
