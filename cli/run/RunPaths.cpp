#include "RunPaths.h"

#include "vxplat/CodePage.h"
#include "Console.h"

#include <algorithm>
#include <cwctype>

namespace VexloCli {

namespace fs = std::filesystem;

std::wstring Slashed(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::wstring ParentFolder(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
        return std::wstring();
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

fs::path PathOf(const std::wstring& text)
{
    std::string utf8 = Narrow(text);
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring WideOf(const fs::path& path)
{
    std::u8string utf8 = path.u8string();
    if (utf8.empty())
        return std::wstring();
    const char* bytes = reinterpret_cast<const char*>(utf8.data());
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

bool IsSymbolicLink(const std::wstring& path)
{
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(PathOf(Slashed(path)), error));
}

bool IsDanglingLink(const std::wstring& path)
{
    std::error_code error;
    fs::path p = PathOf(Slashed(path));
    return fs::is_symlink(fs::symlink_status(p, error)) && !fs::exists(p, error);
}

std::wstring Ansi(std::string_view text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string AnsiBytes(const std::wstring& text)
{
    if (text.empty())
        return {};
    int length =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                            nullptr);
    return narrow;
}

} // namespace VexloCli
