// The zone guard's old files after their first reading: found by path, their bytes let go
// and read again when asked for (checked against the print of the first reading), and
// what the run asks of them without their bytes (identity, print, line ends).
#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/RunFiles.h"

#include "vxplat/Files.h"

namespace VexloCli {

bool ZoneGuard::OldIsBase(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && file->base && file->baseIsOriginal;
}

VxpFileIdentity ZoneGuard::IdentityOf(const std::wstring& path) const
{
    const File* file = Find(path);
    return file ? file->identity : VxpFileIdentity();
}

const ZoneGuard::File* ZoneGuard::Find(const std::wstring& path) const
{
    auto it = m_byPath.find(Lower(Slashed(path)));
    return it == m_byPath.end() ? nullptr : &m_files[it->second];
}

const std::string* ZoneGuard::OriginalText(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES ? &file->Original() : nullptr;
}

const std::string* ZoneGuard::TextForAddin(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES ? &file->Text() : nullptr;
}

void ZoneGuard::LetGo(const std::wstring& path) const
{
    if (const File* file = Find(path))
        file->LetGo();
}

bool ZoneGuard::HasOld(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TextPrint ZoneGuard::PrintOf(const std::wstring& path) const
{
    const File* file = Find(path);
    return file ? file->print : TextPrint();
}

int ZoneGuard::OldLineEnds(const std::wstring& path) const
{
    const File* file = Find(path);
    return file ? file->lineEnds : -1;
}

bool ZoneGuard::IsOld(const std::wstring& path, const std::string& text) const
{
    const File* file = Find(path);
    return file && file->Holds(text);
}

std::optional<bool> ZoneGuard::NewIsOld(const std::wstring& path) const
{
    auto it = m_byPath.find(Lower(Slashed(path)));
    if (it == m_byPath.end() || it->second >= m_unchanged.size())
        return std::nullopt;
    return m_unchanged[it->second];
}

const std::string& ZoneGuard::File::Original() const
{
    if (original)
        return *original;
    // Read again: the bytes must be those first read, or the run would work from text
    // the user has changed since (and the commit would refuse it in the end anyway).
    std::optional<std::string> bytes = ReadWhole(path);
    if (!bytes || VexloCli::PrintOf(*bytes) != print)
        throw CliError(ExitUserText, path + L": " +
                                         (bytes ? L"the file changed after the run read it"
                                                : L"the file cannot be read again (" + LastErrorText() + L")") +
                                         L"; the run does not overwrite text it has not seen. Run again to "
                                         L"generate from the file as it is now. Every file of the run is as it "
                                         L"was before.");
    original = std::move(bytes);
    return *original;
}

void ZoneGuard::File::LetGo() const
{
    if (!reloadable)
        return;
    zones.reset();
    cutText.reset();
    if (!cutRanges.empty())
        std::vector<Cut>().swap(cuts);
    original.reset();
}

} // namespace VexloCli
