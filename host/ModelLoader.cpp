#include "ModelLoader.h"
#include "loader/Builder.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace RoseHost {

namespace {

using namespace Loading;

// Why a file cannot be read, in the words of the error the system gave.
std::wstring WhyUnreadable(const std::wstring& fileName)
{
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return L"is a folder";
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return L"no such file";
    case ERROR_ACCESS_DENIED: return L"cannot read the file: access is denied";
    default: return L"cannot read the file (system error " + std::to_wstring(error) + L")";
    }
}

FileText ReadModelFile(const std::wstring& fileName)
{
    FileText text;
    if (!ReadWholeFile(fileName, text))
        throw RoseLoadError(fileName, 0, 0, WhyUnreadable(fileName));
    return text;
}

} // namespace

std::wstring ExpandVirtualPath(const std::wstring& name, const std::map<std::wstring, std::wstring>& pathMap,
                               const std::wstring& file, unsigned line, unsigned column)
{
    if (name.empty() || name[0] != L'$')
        return name;
    const size_t end = name.find_first_of(L"\\/");
    const std::wstring symbol = name.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    const std::wstring rest = end == std::wstring::npos ? std::wstring() : name.substr(end);
    for (const auto& [key, folder] : pathMap) {
        std::wstring_view k = key;
        if (!k.empty() && k[0] == L'$')
            k.remove_prefix(1);
        if (EqualsNoCase(k, symbol)) {
            std::wstring dir = folder;
            while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/') && !rest.empty())
                dir.pop_back();
            return dir + rest;
        }
    }
    throw RoseLoadError(file, line, column, L"the virtual path symbol \"$" + symbol + L"\" is not in the path map");
}

// With a reader of the documents (diagrams) attached, each file is parsed into a document
// for it first, then read again for the model.
std::unique_ptr<Model> LoadRoseModelFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    if (options.onDocument)
        options.onDocument(builder.Parse(text, fileName));
    PetalReader reader = builder.Reader(text, fileName);
    builder.BuildModel(reader);
    return model;
}

std::unique_ptr<Model> LoadRoseModel(const std::wstring& fileName, const LoadOptions& options)
{
    FileText text = ReadModelFile(fileName);
    if (options.onDocument)
        return LoadRoseModelFromText(text, fileName, options);
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    PetalReader reader = builder.Reader(text, fileName);
    builder.OwnText(reader);
    builder.BuildModel(reader);
    return model;
}

DefaultPropertySets LoadPropertyFileFromText(std::string_view text, const std::wstring& fileName,
                                             const LoadOptions& options)
{
    Model scratch;
    Builder builder(scratch, options);
    PetalReader reader = builder.Reader(text, fileName);
    DefaultPropertySets sets;
    builder.BuildPropertyFile(reader, sets);
    return sets;
}

DefaultPropertySets LoadPropertyFile(const std::wstring& fileName, const LoadOptions& options)
{
    const FileText text = ReadModelFile(fileName);
    return LoadPropertyFileFromText(text, fileName, options);
}

void ResolveEnumerations(Model& model)
{
    Loading::Builder::ResolveEnumerations(model.defaults, &model);
}

void MergePropertyFile(Model& model, const std::wstring& fileName, const LoadOptions& options)
{
    model.MergeDefaults(LoadPropertyFile(fileName, options));
}

} // namespace RoseHost
