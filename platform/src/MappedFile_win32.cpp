#include "vxplat/MappedFile.h"

#include <windows.h>

#include <cstdint>

bool VxpMapFile(const wchar_t* path, const char** data, size_t* size)
{
    *data = nullptr;
    *size = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length) || static_cast<unsigned long long>(length.QuadPart) > SIZE_MAX) {
        if (GetLastError() == ERROR_SUCCESS)
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        CloseHandle(file);
        return false;
    }
    if (length.QuadPart == 0) {
        CloseHandle(file);
        return true;
    }
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    if (!mapping)
        return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping); // the view keeps the mapping
    if (!view)
        return false;
    *data = static_cast<const char*>(view);
    *size = static_cast<size_t>(length.QuadPart);
    return true;
}

void VxpUnmapFile(const char* data, size_t)
{
    if (data)
        UnmapViewOfFile(data);
}

void VxpReleaseMappedPages(const char* data, size_t size)
{
    // Unlocking pages that were never locked takes them out of the working set.
    if (data && size)
        VirtualUnlock(const_cast<char*>(data), size);
}
