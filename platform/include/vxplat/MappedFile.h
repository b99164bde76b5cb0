// A file's bytes mapped read-only into memory, for reading a large file once from its
// start to its end: the pages already read can go back to the system while the rest is
// read, and are read from the file again should they be touched once more.
#pragma once

#include <cstddef>

// Maps the whole file; false with the system's error set (ERROR_ACCESS_DENIED for a
// folder, a pipe or a device).
// An empty file gives *data = nullptr and *size = 0.
bool VxpMapFile(const wchar_t* path, const char** data, size_t* size);
void VxpUnmapFile(const char* data, size_t size);
// The whole pages inside [data, data + size) leave the process's resident memory.
void VxpReleaseMappedPages(const char* data, size_t size);
