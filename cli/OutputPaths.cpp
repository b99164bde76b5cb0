#include "OutputPaths.h"

#include "vxplat/Crt.h"

#include <cwctype>

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

} // namespace

std::wstring ExpandPathSymbol(const std::wstring& path, const PathSymbolLookup& lookup)
{
    size_t dollar = path.find(L'$');
    if (path.empty() || dollar == std::wstring::npos)
        return path;
    size_t slash = path.find(L'\\', dollar);
    std::wstring symbol = path.substr(dollar + 1, slash == std::wstring::npos ? std::wstring::npos : slash - dollar - 1);
    std::wstring rest = slash == std::wstring::npos ? std::wstring() : path.substr(slash);
    if (symbol.empty())
        return rest;
    std::optional<std::wstring> value = lookup ? lookup(symbol) : std::nullopt;
    if (value && !value->empty())
        return *value + rest;
    return rest;
}

std::wstring ModelDirectory(const RoseHost::Model& model, const std::wstring& tool, const PathSymbolLookup& lookup)
{
    return ExpandPathSymbol(model.GetPropertyValue(model, tool, L"Directory"), lookup);
}

std::wstring SubsystemDirectory(const RoseHost::Model& model, const RoseHost::Subsystem& subsystem,
                                const std::wstring& tool, const PathSymbolLookup& lookup)
{
    std::wstring v = Upper(ExpandPathSymbol(model.GetPropertyValue(subsystem, tool, L"Directory"), lookup));
    if (v != L"AUTO GENERATE" && v != L".")
        return v;
    if (!subsystem.parent)
        return ModelDirectory(model, tool, lookup);
    std::wstring d = SubsystemDirectory(model, *subsystem.parent, tool, lookup);
    if (v == L"AUTO GENERATE" && !subsystem.isRoot) {
        if (!d.empty())
            d += L"\\";
        d += subsystem.name;
    }
    return d;
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
    std::wstring folder = module.parentSubsystem ? SubsystemDirectory(model, *module.parentSubsystem, tool, lookup)
                                                 : ModelDirectory(model, tool, lookup);
    out.path = folder + L"\\" + fileName;
    return out;
}

} // namespace VexloCli
