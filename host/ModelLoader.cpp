#include "ModelLoader.h"
#include "loader/Builder.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"
#include "vxplat/MappedFile.h"

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

// The model file mapped: its pages go back to the system behind the reader, so that a
// large model's text is not resident beside the whole model built from it.
class MappedModelFile {
public:
    explicit MappedModelFile(const std::wstring& fileName)
        : m_mapped(VxpMapFile(fileName.c_str(), &m_data, &m_size))
    {
    }
    MappedModelFile(const MappedModelFile&) = delete;
    MappedModelFile& operator=(const MappedModelFile&) = delete;
    ~MappedModelFile() { VxpUnmapFile(m_data, m_size); }
    bool Mapped() const { return m_mapped; }
    std::string_view Text() const { return {m_data, m_size}; }
    // Lets go of the pages well behind `offset`: the reader still looks at the last
    // values it read (and would read a page again from the file, only slower).
    void PassedTo(size_t offset)
    {
        constexpr size_t kKeep = 4 << 20;
        if (offset < kKeep || offset - kKeep <= m_released)
            return;
        VxpReleaseMappedPages(m_data + m_released, offset - kKeep - m_released);
        m_released = offset - kKeep;
    }

private:
    const char* m_data = nullptr;
    size_t m_size = 0;
    bool m_mapped;
    size_t m_released = 0;
};

std::unique_ptr<Model> LoadText(std::string_view text, const std::wstring& fileName, const LoadOptions& options,
                                MappedModelFile* mapped)
{
    auto model = std::make_unique<Model>();
    Builder builder(*model, options);
    if (options.onDocument)
        options.onDocument(builder.Parse(text, fileName));
    PetalReader reader = builder.Reader(text, fileName);
    if (mapped)
        reader.OnProgress(8 << 20, [mapped](size_t offset) { mapped->PassedTo(offset); });
    builder.BuildModel(reader);
    return model;
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
    return LoadText(text, fileName, options, nullptr);
}

std::unique_ptr<Model> LoadRoseModel(const std::wstring& fileName, const LoadOptions& options)
{
    // A file that cannot be mapped (a pipe, a device) is read whole, and one that cannot
    // be read at all says why.
    MappedModelFile mapped(fileName);
    if (mapped.Mapped())
        return LoadText(mapped.Text(), fileName, options, &mapped);
    const FileText text = ReadModelFile(fileName);
    return LoadRoseModelFromText(text, fileName, options);
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
