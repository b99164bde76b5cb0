// Runs registry scripts in the registrar syntax of the COM frameworks:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {clsid} = s 'Name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Values: s (text), e (expandable text), d (number, decimal or 0x hex), b (hex
// bytes). Names may be quoted ('Name', with '' for a quote); %NAME% is replaced by
// the value given with AddReplacement (%% stands for %).
//
// Register: every key is created and given its values; a ForceRemove key is first
// deleted with all its subkeys; a Delete key is deleted. Unregister: ForceRemove and
// Delete keys are deleted with their subkeys; NoRemove keys stay; the named values
// a script sets are deleted; any other key is deleted once its own entries are gone,
// unless it still has subkeys or named values that others put there.
#pragma once

#include "vxplat/Com.h"

#include <string>
#include <utility>
#include <vector>

class CVXRegistrar
{
public:
    void AddReplacement(const wchar_t* name, const wchar_t* value);

    // The whole script is checked before anything is written; a script that does not
    // parse changes nothing and answers DISP_E_EXCEPTION.
    HRESULT RegisterScript(const wchar_t* script);
    HRESULT UnregisterScript(const wchar_t* script);

    // Runs the script held by the module's resource of the given id and type (the
    // script text is in the ANSI code page).
    HRESULT RunResource(HMODULE module, UINT id, const wchar_t* type, bool doRegister);

private:
    HRESULT Run(const wchar_t* script, bool doRegister);

    std::vector<std::pair<std::wstring, std::wstring>> m_Replacements;
};
