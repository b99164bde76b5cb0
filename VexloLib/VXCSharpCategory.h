// The C# extension of a logical package: whether it is a namespace, and the dotted
// namespace path of the namespace packages from the top down to it.
#pragma once

#include "VXCSharpExtension.h"

class CVXCategory;

class CVXCSharpCategory : public CVXCSharpExtension
{
public:
    static LmLib::CLmPtr<CVXCSharpCategory> Create(const LmLib::CLmPtr<CVXCategory>& category);

    explicit CVXCSharpCategory(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& category);
    ~CVXCSharpCategory() override;

    // The names of the namespace packages on the chain of parents, outermost first,
    // ending with this package when it is a namespace, joined by "."; packages that
    // are not namespaces add nothing.
    virtual LmLib::Values::CLmBSTR GetNamespace();
    virtual LmLib::CLmPtr<CVXCategory> GetCategory();

    // The package's "IsNamespace" property.
    bool IsNamespace();
    static bool IsNamespace(CVXCategory& category);
    // GetNamespace of category, walked here without an extension per level.
    static std::wstring GetNamespace(const LmLib::CLmPtr<CVXCategory>& category);
};
