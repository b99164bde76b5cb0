// Reading one element's tool properties, each exactly as the host answers it (one
// GetPropertyValue per read).
//
// A member's settings are a run of reads on the same element; the reader holds the
// element for the whole run instead of fetching it for each read, and the tool and
// property names go to the host as strings made once per process instead of once per
// read:
//
//   CVXToolProperties properties(GetElement(), ToolName);
//   bool isProperty = properties.IsTrue(L"IsProperty");
#pragma once

#include "LmBSTR.h"
#include "LmPtr.h"

#include <string>

class CVXElement;

class CVXToolProperties
{
public:
    // element must not be empty.
    CVXToolProperties(LmLib::CLmPtr<CVXElement> element, const wchar_t* tool);

    LmLib::Values::CLmBSTR Value(const wchar_t* name) const;
    // True only for "TRUE" in any letter case.
    bool IsTrue(const wchar_t* name) const;
    // The value in lower case, for comparing enumerated values.
    std::wstring Lower(const wchar_t* name) const;
    std::wstring Text(const wchar_t* name) const;

    // One read without a reader.
    static LmLib::Values::CLmBSTR Read(CVXElement& element, const wchar_t* tool, const wchar_t* name);
    // The host string holding name, made at its first use; the same object every time.
    static const LmLib::Values::CLmBSTR& Name(const wchar_t* name);

private:
    LmLib::CLmPtr<CVXElement> m_Element;
    const LmLib::Values::CLmBSTR& m_Tool;
};
