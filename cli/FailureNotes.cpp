#include "FailureNotes.h"

#include "run/RunFiles.h"

#include "vxplat/Com.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <cstdint>

namespace VexloCli {

namespace {

// Longest name of one path component on the file systems vexlo meets.
const size_t kMaxName = 255;

std::wstring ParentOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
        return std::wstring();
    if (slash == 0)
        return path.substr(0, 1);
    return path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::wstring& path, DWORD& attributes)
{
    attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// Whether a new file can be created and written in an existing folder; the reason when not.
std::wstring ProbeFolder(const std::wstring& folder)
{
    std::wstring probe = folder + L"/.vexlo-probe-" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
            return L"the folder \"" + folder + L"\" is read-only: no file can be created in it";
        if (error == ERROR_DISK_FULL)
            return L"no space is left on the device of \"" + folder + L"\"";
        return L"no file can be created in \"" + folder + L"\": " + ErrorText(error);
    }
    static const char block[65536] = {};
    DWORD written = 0;
    bool full = !WriteFile(file, block, sizeof block, &written, nullptr) && GetLastError() == ERROR_DISK_FULL;
    full = full || (!FlushFileBuffers(file) && GetLastError() == ERROR_DISK_FULL);
    CloseHandle(file);
    DeleteFileW(probe.c_str());
    return full ? L"no space is left on the device of \"" + folder + L"\"" : std::wstring();
}

} // namespace

std::wstring HresultMeaning(HRESULT hr)
{
    switch (static_cast<uint32_t>(hr)) {
    case 0xFFFFFF9Cu: return std::wstring(); // the add-in's own error: its message says what
    case 0x80004001u: return L"E_NOTIMPL: the host does not implement the member asked for";
    case 0x80004002u: return L"E_NOINTERFACE: a host object does not answer the interface asked for";
    case 0x80004003u:
        return L"E_POINTER: a host call returned no object where the add-in needed one"
               L" (for example a reference to an element the model does not hold)";
    case 0x80004004u: return L"E_ABORT: the operation was cancelled";
    case 0x80004005u: return L"E_FAIL: a host call failed without saying why";
    case 0x8000FFFFu: return L"E_UNEXPECTED: a host call failed unexpectedly";
    case 0x8007000Eu: return L"E_OUTOFMEMORY: out of memory";
    case 0x80070057u: return L"E_INVALIDARG: a host call was given an argument it does not accept";
    case 0x800703FAu:
        return L"a registry key was deleted while it was open (another program changed the registry at the same"
               L" time); running again helps";
    case 0x80020003u: return L"DISP_E_MEMBERNOTFOUND: the host object has no such member";
    case 0x80020005u: return L"DISP_E_TYPEMISMATCH: an argument of a host call has the wrong type";
    case 0x80020006u: return L"DISP_E_UNKNOWNNAME: the host object does not know the member's name";
    case 0x80020009u: return L"DISP_E_EXCEPTION: the host raised an error";
    case 0x8002000Eu: return L"DISP_E_BADPARAMCOUNT: a host call had the wrong number of arguments";
    case 0x80010105u: return L"RPC_E_SERVERFAULT: the host failed inside a call";
    default: break;
    }
    if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x80070000u)
        return L"Windows error " + std::to_wstring(hr & 0xFFFF);
    return std::wstring();
}

namespace {

std::wstring WhyNot(const std::wstring& path)
{
    DWORD attributes = 0;
    if (Exists(path, attributes)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return L"a folder of that name is in the way";
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return L"the file is read-only";
    }
    for (std::wstring part = path; !part.empty() && part != ParentOf(part); part = ParentOf(part)) {
        std::wstring name = NameOf(part);
        if (name.size() > kMaxName)
            return L"the name \"" + name.substr(0, 40) + L"...\" is too long (" + std::to_wstring(name.size()) +
                   L" characters, " + std::to_wstring(kMaxName) + L" at most)";
    }
    // The deepest folder of the path that exists.
    std::wstring folder = ParentOf(path);
    std::wstring firstMissing;
    while (!folder.empty() && !Exists(folder, attributes)) {
        firstMissing = folder;
        std::wstring up = ParentOf(folder);
        if (up == folder)
            break;
        folder = up;
    }
    if (folder.empty() && !firstMissing.empty())
        return L"the folder \"" + firstMissing + L"\" does not exist and the path names no folder that does;"
               L" the add-in creates missing folders only below an existing one (give an absolute folder)";
    if (!folder.empty() && Exists(folder, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return L"\"" + folder + L"\" is a file, not a folder, so " +
               (firstMissing.empty() ? L"no file can be created in it" : L"the folder \"" + firstMissing + L"\" cannot be created");
    if (!firstMissing.empty()) {
        if (CreateDirectoryW(firstMissing.c_str(), nullptr)) {
            RemoveDirectoryW(firstMissing.c_str());
            return std::wstring();
        }
        std::wstring why = folder.empty() ? ErrorText(GetLastError()) : ProbeFolder(folder);
        return L"the folder \"" + firstMissing + L"\" does not exist and cannot be created: " +
               (why.empty() ? ErrorText(GetLastError()) : why);
    }
    std::wstring why = ProbeFolder(folder.empty() ? std::wstring(L".") : folder);
    if (!why.empty())
        return why;
    if (path.size() > 4095)
        return L"the path is too long (" + std::to_wstring(path.size()) + L" characters)";
    return std::wstring();
}

} // namespace

// Paths are built with the add-in's backslashes; shown with one kind of slash.
std::wstring WhyCannotCreate(const std::wstring& path) { return Slashed(WhyNot(path)); }

std::vector<std::wstring> ExplainFailure(HRESULT hr, const std::wstring& description, const std::wstring& lastElement)
{
    std::vector<std::wstring> lines;
    std::wstring meaning = HresultMeaning(hr);
    if (!meaning.empty())
        lines.push_back(L"vexlo: " + std::wstring(L"HRESULT ") + L"means " + meaning);
    const std::wstring marker = L"Can't create file ";
    size_t at = description.find(marker);
    if (at != std::wstring::npos) {
        size_t start = at + marker.size();
        size_t end = description.find(L" . Error - [", start);
        size_t lineEnd = description.find(L'\n', start);
        if (end == std::wstring::npos || (lineEnd != std::wstring::npos && lineEnd < end))
            end = lineEnd;
        std::wstring path = description.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        while (!path.empty() && (path.back() == L' ' || path.back() == L'\r'))
            path.pop_back();
        std::wstring why = WhyCannotCreate(path);
        lines.push_back(L"vexlo: cannot create " + Slashed(path) + L": " +
                        (why.empty() ? std::wstring(L"no reason found; the path looks writable now") : why));
    }
    if (!lastElement.empty())
        lines.push_back(L"vexlo: the add-in was generating " + lastElement);
    return lines;
}

} // namespace VexloCli
