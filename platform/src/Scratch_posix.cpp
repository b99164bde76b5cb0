#include "vxplat/Scratch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring Wide(const std::string& text)
{
    // Paths here are UTF-8; ASCII is by far the rule for temporary folders.
    std::wstring wide;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        wchar_t w = extra ? (c & (0x3F >> extra)) : c;
        for (int k = 1; k <= extra && i + static_cast<size_t>(k) < text.size(); ++k)
            w = (w << 6) | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3F);
        wide += w;
        i += static_cast<size_t>(extra) + 1;
    }
    return wide;
}

// Why the folder cannot hold scratch files ("" when it can).
std::string Unusable(const std::string& folder)
{
    struct stat st {};
    if (folder.empty() || folder[0] != '/')
        return "it is not an absolute path";
    if (stat(folder.c_str(), &st) != 0)
        return std::string("it cannot be looked at (") + std::strerror(errno) + ")";
    if (!S_ISDIR(st.st_mode))
        return "it is not a folder";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "this user may not write in it";
    return std::string();
}

} // namespace

std::wstring VxpUserScratchFolder(std::wstring* warning, std::wstring* error)
{
    warning->clear();
    error->clear();
    std::string base = "/tmp";
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir) {
        std::string why = Unusable(tmpdir);
        if (why.empty())
            base = tmpdir;
        else
            *warning = L"TMPDIR=" + Wide(tmpdir) + L" is not usable for scratch files (" + Wide(why) +
                       L"); using /tmp instead";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    std::string folder = base + "/vexlo-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = Wide(folder) + L": cannot be created (" + Wide(std::strerror(errno)) + L")";
        return std::wstring();
    }
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        *error = Wide(folder) + L": is not a folder of this user's own (a link, or another user's)";
        return std::wstring();
    }
    if ((st.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        *error = Wide(folder) + L": cannot be made private (" + Wide(std::strerror(errno)) + L")";
        return std::wstring();
    }
    return Wide(folder);
}
