#include "RunChecks.h"

#include "Console.h"
#include "ModelSetup.h"
#include "run/TextForm.h"
#include "system/AddinSystemCalls.h"
#include "TypeMap.h"
#include "run/RunFiles.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* const kTools[] = {L"Delphi", L"C#"};

// The whole file, or nothing when it cannot be read (`limit` bytes at most when given).
bool ReadBytes(const std::wstring& path, std::string& bytes, size_t limit = 0)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) {
        bytes.append(buffer, read);
        if (limit && bytes.size() >= limit)
            break;
    }
    CloseHandle(file);
    return ok || !bytes.empty();
}

bool IsAbsolute(const std::wstring& path)
{
    return (!path.empty() && (path[0] == L'/' || path[0] == L'\\')) || (path.size() > 1 && path[1] == L':');
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

const wchar_t* KindText(ElementKind kind)
{
    switch (kind) {
    case ElementKind::InheritRelation: return L"superclass";
    case ElementKind::ClassDependency: return L"class dependency";
    case ElementKind::RealizeRelation: return L"realized interface";
    case ElementKind::HasRelationship: return L"has relationship";
    default: return L"association role";
    }
}

std::wstring ClientText(const UnresolvedReference& ref)
{
    if (!ref.client)
        return std::wstring();
    if (ref.client->kind == ElementKind::Class)
        return L" of " + QualifiedName(static_cast<const Class&>(*ref.client));
    if (ref.client->kind == ElementKind::Association) {
        const auto& association = static_cast<const Association&>(*ref.client);
        for (const Role* role : {association.role1, association.role2})
            if (role && role->cls && role->supplierName != ref.written)
                return L" in an association with " + QualifiedName(*role->cls);
    }
    return std::wstring();
}

} // namespace

unsigned CodePageOfCharSet(int charSet)
{
    static const std::map<int, unsigned> pages = {
        {77, 10000}, {128, 932}, {129, 949}, {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
        {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}, {255, 437},
    };
    auto it = pages.find(charSet);
    return it == pages.end() ? 0 : it->second;
}

int ReadCharSet(const std::wstring& modelPath)
{
    std::string head;
    if (!ReadBytes(modelPath, head, 4096))
        return -1;
    size_t petal = head.find("(object Petal");
    if (petal == std::string::npos)
        return -1;
    size_t end = head.find(')', petal);
    size_t at = head.find("charSet", petal);
    if (at == std::string::npos || (end != std::string::npos && at > end))
        return -1;
    at += 7;
    while (at < head.size() && (head[at] == ' ' || head[at] == '\t'))
        ++at;
    if (at >= head.size() || head[at] < '0' || head[at] > '9')
        return -1;
    int value = 0;
    for (; at < head.size() && head[at] >= '0' && head[at] <= '9' && value < 100000; ++at)
        value = value * 10 + (head[at] - '0');
    return value;
}

CodePageChoice ChooseCodePage(const Options& options)
{
    if (options.codePage)
        return {options.codePage, L"--codepage"};
    if (const char* acp = std::getenv("VEXLO_ACP"); acp && *acp)
        return {0, L"VEXLO_ACP"};
    int charSet = ReadCharSet(options.path);
    if (unsigned page = CodePageOfCharSet(charSet))
        return {page, L"the model's charSet " + std::to_wstring(charSet)};
    return {0, L"the default"};
}

void ApplyCodePage(const CodePageChoice& choice)
{
    // The add-in's conversions follow (system/AddinSystemCalls); a code page this system
    // cannot convert at all is said here.
    const bool convertible = !choice.codePage || MultiByteToWideChar(choice.codePage, 0, "a", 1, nullptr, 0) > 0;
    if (!convertible)
        Warn(L"code page " + std::to_wstring(choice.codePage) + L" cannot be converted here; the system's (" +
             std::to_wstring(GetACP()) + L") is used");
    SetAddinCodePage(convertible ? choice.codePage : 0);
}

std::wstring CodePageText(const CodePageChoice& choice)
{
    return std::to_wstring(choice.codePage ? choice.codePage : GetACP()) + L" (" + choice.reason + L")";
}

std::shared_ptr<Model> LoadForRun(const Options& options, const std::wstring& executableFolder, CodePageChoice& codePage,
                                  const PrepareLoad& prepare)
{
    std::wstring propertiesFolder = FindPropertiesFolder(executableFolder);
    if (propertiesFolder.empty())
        Warn(L"the property sets Delphi.pty and CSharp.pty were not found; only the model's own properties apply");
    codePage = ChooseCodePage(options);
    ApplyCodePage(codePage);
    Options run = options;
    run.codePage = codePage.codePage;
    std::shared_ptr<Model> model = LoadModel(run, propertiesFolder, prepare);
    if (!options.language.empty())
        AssignLanguage(*model, options.language);
    if (!options.outDir.empty())
        SetOutputDirectory(*model, options.outDir);
    if (!options.typeMap.empty()) {
        const VexloTypes::TypeMap& map = TypeMapOf(options.typeMap);
        size_t mapped = VexloTypes::ApplyTypeMap(*model, map, [](const Class& cls) { return LanguageOf(cls); });
        ErrLine(L"vexlo: type map " + map.name + L": " + std::to_wstring(mapped) + L" type text(s) of the model mapped");
    }
    MakeFoldersAbsolute(*model);
    ReportUnresolved(*model);
    return model;
}

const VexloTypes::TypeMap& TypeMapOf(const std::wstring& nameOrFile)
{
    if (const VexloTypes::TypeMap* builtin = VexloTypes::BuiltinTypeMap(nameOrFile))
        return *builtin;
    static std::map<std::wstring, VexloTypes::TypeMap> files;
    if (auto it = files.find(nameOrFile); it != files.end())
        return it->second;
    std::optional<std::string> text = ReadWhole(nameOrFile);
    if (!text)
        throw CliError(ExitModelLoad, nameOrFile + L": the type map cannot be read: " + LastErrorText() +
                                          L" (--type-map takes a file, or one of the built-in maps " +
                                          VexloTypes::BuiltinTypeMapNames() + L")");
    VexloTypes::TypeMap map;
    std::wstring error;
    if (!VexloTypes::ParseTypeMap(*text, nameOrFile, map, error))
        throw CliError(ExitModelLoad, error);
    return files.emplace(nameOrFile, std::move(map)).first->second;
}

std::wstring DescribeLastHanded(const Model& model, const Element* module, const Element* cls)
{
    std::wstring text;
    if (module && module->kind == ElementKind::Module)
        text = L"component " + QualifiedName(static_cast<const Module&>(*module));
    if (cls && cls->kind == ElementKind::Class) {
        const auto& c = static_cast<const Class&>(*cls);
        bool external = std::find(model.externalClasses.begin(), model.externalClasses.end(), &c) !=
                        model.externalClasses.end();
        text += (text.empty() ? L"class " : L"; the last class it asked the host for was ") + QualifiedName(c) +
                (external ? L" (not in the model)" : L"");
    }
    return text;
}

void ReportUnresolved(const Model& model)
{
    std::map<std::wstring, size_t> count;
    for (const UnresolvedReference& ref : model.unresolved)
        ++count[ref.written];
    std::set<std::wstring> told;
    // Ends at elements the model holds but that are no classes: one line per kind. Use
    // cases at the end of an actor's association are what the modeling tool itself stores
    // for every use-case diagram: no warning for them.
    std::map<std::wstring, std::vector<const UnresolvedReference*>> others;
    for (const UnresolvedReference& ref : model.unresolved) {
        if (!told.insert(ref.written).second)
            continue;
        if (ref.namedKind == L"UseCase")
            continue;
        if (!ref.namedKind.empty()) {
            others[ref.namedKind].push_back(&ref);
            continue;
        }
        size_t sep = ref.written.rfind(L"::");
        std::wstring name = sep == std::wstring::npos ? ref.written : ref.written.substr(sep + 2);
        size_t more = count[ref.written] - 1;
        Warn(ref.file + L":" + std::to_wstring(ref.line) + L": the class \"" + ref.written + L"\" (" +
             KindText(ref.kind) + ClientText(ref) + L") is not in the model" +
             (more ? L"; " + std::to_wstring(more) + L" more reference" + (more > 1 ? L"s" : L"") : std::wstring()) +
             L"; it stands as an external class \"" + name + L"\" (no package, no component, no language)");
    }
    for (const auto& [kind, refs] : others) {
        std::wstring names;
        for (size_t i = 0; i < refs.size() && i < 8; ++i)
            names += (i ? L", \"" : L"\"") + refs[i]->written + L"\"";
        if (refs.size() > 8)
            names += L", ...";
        Warn(refs.front()->file + L":" + std::to_wstring(refs.front()->line) + L": " + std::to_wstring(refs.size()) +
             L" relation or role end" + (refs.size() > 1 ? L"s name elements" : L" names an element") + L" of type " +
             kind + L", not classes (" + names + L"); each stands as an external class of its name");
    }
}

std::wstring AbsoluteFolder(const std::wstring& folder)
{
    if (folder.empty() || folder[0] == L'$' || IsAbsolute(folder))
        return folder;
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size())
        return folder;
    return std::wstring(buffer.data(), length);
}

void MakeFoldersAbsolute(Model& model)
{
    for (const wchar_t* tool : kTools) {
        std::wstring value = model.GetPropertyValue(model, tool, L"Directory");
        if (value.empty())
            value = L".";
        std::wstring absolute = AbsoluteFolder(value);
        if (absolute != model.GetPropertyValue(model, tool, L"Directory"))
            SetOwnProperty(model, tool, L"Directory", absolute);
        for (Subsystem* subsystem : model.allSubsystems) {
            std::wstring own = model.GetPropertyValue(*subsystem, tool, L"Directory");
            std::wstring upper = Upper(own);
            if (own.empty() || upper == L"AUTO GENERATE" || upper == L".")
                continue;
            std::wstring made = AbsoluteFolder(own);
            if (made != own)
                SetOwnProperty(*subsystem, tool, L"Directory", made);
        }
    }
}

namespace {

// Whether the code page reads every byte below 0x80 as the same character and writes it
// back so, one by one and in a row: a text of such bytes alone then comes back unchanged
// (no double-byte page has a lead byte below 0x80). Pages that shift state do not count.
bool KeepsAscii(UINT page)
{
    if ((page >= 50220 && page <= 50229) || page == 52936 || page == 65000)
        return false;
    static std::map<UINT, bool> known;
    auto [it, added] = known.try_emplace(page, false);
    if (!added)
        return it->second;
    std::string ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    wchar_t wide[0x80] = {};
    char back[0x80] = {};
    const int n = static_cast<int>(ascii.size());
    bool same = MultiByteToWideChar(page, 0, ascii.data(), n, wide, n) == n &&
                WideCharToMultiByte(page, 0, wide, n, back, n, nullptr, nullptr) == n &&
                std::string(back, static_cast<size_t>(n)) == ascii;
    for (int i = 0; same && i < n; ++i)
        same = wide[i] == static_cast<wchar_t>(ascii[static_cast<size_t>(i)]);
    return it->second = same;
}

bool IsAscii(const std::string& bytes)
{
    // Eight bytes at a time: old files are megabytes.
    uint64_t high = 0;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        high |= word;
    }
    for (; i < bytes.size(); ++i)
        high |= static_cast<unsigned char>(bytes[i]);
    return (high & 0x8080808080808080ull) == 0;
}

} // namespace

std::optional<std::wstring> UnrepresentableBytes(const std::wstring& path, const std::string& bytes, unsigned codePage)
{
    const UINT page = codePage ? codePage : GetACP();
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF)
        return std::nullopt;
    if ((IsAscii(bytes) && KeepsAscii(page)) || IsUtf8Text(bytes))
        return std::nullopt; // a UTF-8 file is read as UTF-8 (run/TextForm)
    int length = static_cast<int>(bytes.size());
    int wide = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(wide, 0)), L'\0');
    if (wide > 0)
        MultiByteToWideChar(page, 0, bytes.data(), length, text.data(), wide);
    int narrow = wide > 0 ? WideCharToMultiByte(page, 0, text.data(), wide, nullptr, 0, nullptr, nullptr) : 0;
    std::string back(static_cast<size_t>(std::max(narrow, 0)), '\0');
    if (narrow > 0)
        WideCharToMultiByte(page, 0, text.data(), wide, back.data(), narrow, nullptr, nullptr);
    if (back == bytes)
        return std::nullopt;
    size_t at = 0;
    while (at < bytes.size() && at < back.size() && bytes[at] == back[at])
        ++at;
    size_t line = 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(at), '\n'));
    size_t column = at + 1;
    for (size_t i = at; i > 0; --i)
        if (bytes[i - 1] == '\n') {
            column = at - (i - 1);
            break;
        }
    return path + L":" + std::to_wstring(line) + L":" + std::to_wstring(column) +
           L": the old file holds bytes that code page " + std::to_wstring(page) +
           L" cannot represent; they will not come back unchanged when the file is rewritten"
           L" (--codepage N reads and writes it in another code page)";
}

} // namespace VexloCli
