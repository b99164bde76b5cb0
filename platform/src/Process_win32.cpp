#include "vxplat/Process.h"

#include <windows.h>

#include <cstdio>

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring out(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                      static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

// One argument quoted as the C runtime splits a command line.
std::wstring Quoted(const std::wstring& arg)
{
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

} // namespace

int VxpRunProgram(const std::vector<std::string>& args, std::string& output, bool withErrors)
{
    if (args.empty())
        return -1;
    // cmd.exe /c takes the whole line in one more pair of quotes.
    std::wstring line = L"\"";
    for (const std::string& a : args)
        line += Quoted(Wide(a)) + L" ";
    if (withErrors)
        line += L"2>&1";
    line += L"\"";
    FILE* pipe = _wpopen(line.c_str(), L"rb");
    if (!pipe)
        return -1;
    char buffer[65536];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    return _pclose(pipe);
}
