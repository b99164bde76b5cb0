// The extension interface of every model item: asked to generate itself, or for its
// declaration or implementation text, in a named language ("Delphi" or "C#"). The item
// answers through its language extension object (GetExtension of the item).
#pragma once

#include "LmBSTR.h"
#include "LmPtr.h"

#include <string>

class CVXExtension;
class CVXPreservedZones;

class CVXExtensionIface
{
public:
    CVXExtensionIface();
    CVXExtensionIface(const CVXExtensionIface&) = delete;
    CVXExtensionIface& operator=(const CVXExtensionIface&) = delete;

    // Runs DoGenerate(language).
    virtual void Generate(const LmLib::Values::CLmBSTR& language);
    // The text of the item's extension in language; option is the language's own.
    virtual LmLib::Values::CLmBSTR GetImplementation(const LmLib::Values::CLmBSTR& language,
                                                     const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    virtual LmLib::Values::CLmBSTR GetDeclaration(const LmLib::Values::CLmBSTR& language,
                                                  const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    // The same texts as the add-in's own objects hand them over (see CVXExtension).
    std::wstring GetImplementationText(const LmLib::Values::CLmBSTR& language,
                                       const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    std::wstring GetDeclarationText(const LmLib::Values::CLmBSTR& language,
                                    const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    // Destroys the whole element wrapper.
    virtual ~CVXExtensionIface();
    virtual void DoGenerate(const LmLib::Values::CLmBSTR& language) = 0;

private:
    // The item's extension in language (empty when it has none).
    LmLib::CLmPtr<CVXExtension> GetItemExtension(const LmLib::Values::CLmBSTR& language);
};
