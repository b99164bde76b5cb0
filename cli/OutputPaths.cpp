#include "OutputPaths.h"

#include "vxplat/Crt.h"

#include <cwctype>
#include <string_view>

namespace VexloCli {

namespace {

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        _wcsupr(text.data());
    return text;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

bool IsTrue(const std::wstring& value) { return Upper(value) == L"TRUE"; }

struct Folder {
    std::wstring path;
    std::wstring base;
    const RoseHost::Element* setBy = nullptr;
    std::wstring unknownSymbol;
    const RoseHost::Element* badName = nullptr;
};

Folder ModelFolder(const RoseHost::Model& model, const std::wstring& tool, const PathSymbolLookup& lookup)
{
    Folder f;
    f.path = ExpandPathSymbol(model.GetPropertyValue(model, tool, L"Directory"), lookup, &f.unknownSymbol);
    f.base = f.path;
    f.setBy = &model;
    return f;
}

// The add-in's rule: a folder of its own (upper-cased), the parent's folder ("."), or the
// parent's folder and the package name ("AUTO GENERATE").
Folder SubsystemFolder(const RoseHost::Model& model, const RoseHost::Subsystem& subsystem, const std::wstring& tool,
                       const PathSymbolLookup& lookup)
{
    std::wstring unknown;
    std::wstring v = Upper(ExpandPathSymbol(model.GetPropertyValue(subsystem, tool, L"Directory"), lookup, &unknown));
    if (!IsDirectoryKeyword(v)) {
        Folder f;
        f.path = f.base = v;
        f.setBy = &subsystem;
        f.unknownSymbol = unknown;
        return f;
    }
    if (!subsystem.parent)
        return ModelFolder(model, tool, lookup);
    Folder f = SubsystemFolder(model, *subsystem.parent, tool, lookup);
    if (v == L"AUTO GENERATE" && !subsystem.isRoot) {
        if (!f.path.empty())
            f.path += L"\\";
        f.path += subsystem.name;
        if (!f.badName && !IsPlainName(subsystem.name))
            f.badName = &subsystem;
    }
    return f;
}

} // namespace

std::wstring ExpandPathSymbol(const std::wstring& path, const PathSymbolLookup& lookup, std::wstring* unknown)
{
    // Only a leading "$" starts a symbol, as in the add-in.
    if (path.empty() || path[0] != L'$')
        return path;
    size_t slash = path.find(L'\\');
    std::wstring symbol = path.substr(1, slash == std::wstring::npos ? std::wstring::npos : slash - 1);
    std::wstring rest = slash == std::wstring::npos ? std::wstring() : path.substr(slash);
    if (symbol.empty())
        return rest;
    std::optional<std::wstring> value = lookup ? lookup(symbol) : std::nullopt;
    if (value && !value->empty())
        return *value + rest;
    if (unknown)
        *unknown = symbol;
    return rest;
}

bool IsDirectoryKeyword(const std::wstring& value)
{
    std::wstring upper = Upper(value);
    return upper == L"AUTO GENERATE" || upper == L".";
}

bool IsPlainName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"/\\:<>\"|?*").find(c) != std::wstring_view::npos)
            return false;
    // Windows opens its devices under these names, with any extension ("NUL.pas"): the
    // text would go to the device, not into the output folder.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (wchar_t& c : stem)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (stem == device)
            return false;
    return !((stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) && stem.size() == 4 &&
             stem[3] >= L'0' && stem[3] <= L'9');
}

std::optional<ComponentOutput> ComponentOutputOf(const RoseHost::Model& model, const RoseHost::Module& module,
                                                 const PathSymbolLookup& lookup)
{
    const std::wstring& tool = module.language;
    if (tool != L"Delphi" && tool != L"C#")
        return std::nullopt;
    ComponentOutput out;
    out.generated = IsTrue(model.GetPropertyValue(module, tool, L"GenerateCode"));
    std::wstring fileName = module.name;
    if (tool == L"Delphi") {
        out.kind = Lower(model.GetPropertyValue(module, tool, L"ComponentKind"));
        if (out.kind == L"unit")
            fileName += L".pas";
        else if (out.kind == L"program" || out.kind == L"library")
            fileName += L".dpr";
        else if (out.kind == L"package")
            fileName += L".dpk";
    } else {
        fileName += L".cs";
    }
    Folder folder = module.parentSubsystem ? SubsystemFolder(model, *module.parentSubsystem, tool, lookup)
                                           : ModelFolder(model, tool, lookup);
    out.path = folder.path + L"\\" + fileName;
    out.base = folder.base;
    out.baseSetBy = folder.setBy;
    out.unknownSymbol = folder.unknownSymbol;
    out.badName = folder.badName ? folder.badName : IsPlainName(module.name) ? nullptr : &module;
    return out;
}

} // namespace VexloCli
