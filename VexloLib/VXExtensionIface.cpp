#include "VXExtensionIface.h"

#include "LmTranslate.h"
#include "VXExtension.h"
#include "VXItem.h"
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

// The item answers through its extension in the language; a language without an
// extension has no text.
CLmBSTR CVXExtensionIface::GetImplementation(const CLmBSTR& language, const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        CLmPtr<CVXExtension> extension = GetItemExtension(language);
        return extension.IsNull() ? CLmBSTR() : extension->GetImplementation(zones, option);
    }
    LM_END_TRY
}

CLmBSTR CVXExtensionIface::GetDeclaration(const CLmBSTR& language, const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        CLmPtr<CVXExtension> extension = GetItemExtension(language);
        return extension.IsNull() ? CLmBSTR() : extension->GetDeclaration(zones, option);
    }
    LM_END_TRY
}

std::wstring CVXExtensionIface::GetImplementationText(const CLmBSTR& language, const CLmPtr<CVXPreservedZones>& zones,
                                                      long option)
{
    LM_TRY
    {
        CLmPtr<CVXExtension> extension = GetItemExtension(language);
        return extension.IsNull() ? std::wstring() : extension->GetImplementationText(zones, option);
    }
    LM_END_TRY
}

std::wstring CVXExtensionIface::GetDeclarationText(const CLmBSTR& language, const CLmPtr<CVXPreservedZones>& zones,
                                                   long option)
{
    LM_TRY
    {
        CLmPtr<CVXExtension> extension = GetItemExtension(language);
        return extension.IsNull() ? std::wstring() : extension->GetDeclarationText(zones, option);
    }
    LM_END_TRY
}

CLmPtr<CVXExtension> CVXExtensionIface::GetItemExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Every holder of this interface is an item (the interface is CVXItem's second base).
        CVXItem* item = dynamic_cast<CVXItem*>(this);
        return item ? item->GetExtension(language) : CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}
