// PNG through the writer module beside the executable, loaded on the first PNG.
#include "PngWriter.h"

#include "PngModule.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

namespace VexloDiagram {

namespace {

std::string Utf8(const std::wstring& text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

} // namespace

bool PngAvailable() { return true; }

bool WritePng(const std::wstring& moduleFolder, const std::string& svg, const std::string& file, std::string& error)
{
    static VexloWritePngFunction write = nullptr;
    if (!write) {
        const std::wstring path = (moduleFolder.empty() ? L"" : moduleFolder + L"/") + VEXLO_PNG_MODULE_NAME;
        HMODULE module = LoadLibraryW(path.c_str());
        // Through void(*)(): the one function pointer type every other converts from quietly.
        if (FARPROC proc = module ? GetProcAddress(module, "VexloWritePng") : nullptr)
            write = reinterpret_cast<VexloWritePngFunction>(reinterpret_cast<void (*)()>(proc));
        if (!write) {
            error = "the PNG writer " + Utf8(path) +
                    (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES
                         ? std::string(" is missing")
                         : std::string(" cannot be loaded (it needs librsvg and cairo)")) +
                    ": PNG output is not available (use --format svg)";
            return false;
        }
    }
    char why[512] = {};
    if (write(svg.data(), svg.size(), file.c_str(), why, sizeof why))
        return true;
    error = why;
    return false;
}

} // namespace VexloDiagram
