#include "vxplat/MappedFile.h"

#include "PosixFiles.h"
#include "vxplat/Kernel.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool VxpMapFile(const wchar_t* path, const char** data, size_t* size)
{
    *data = nullptr;
    *size = 0;
    std::string native;
    bool missingParents = false;
    if (!vxp::Resolve(path, native, missingParents))
        return false;
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        vxp::FailWithErrno(missingParents);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        vxp::FailWithErrno(false);
        close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) { // a folder, a pipe, a device: nothing to map
        SetLastError(ERROR_ACCESS_DENIED);
        close(fd);
        return false;
    }
    if (st.st_size == 0) {
        close(fd);
        return true;
    }
    void* mapped = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    close(fd);
    if (mapped == MAP_FAILED) {
        errno = error;
        vxp::FailWithErrno(false);
        return false;
    }
    // Read once from start to end: the system may read ahead generously.
    madvise(mapped, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
    *data = static_cast<const char*>(mapped);
    *size = static_cast<size_t>(st.st_size);
    return true;
}

void VxpUnmapFile(const char* data, size_t size)
{
    if (data)
        munmap(const_cast<char*>(data), size);
}

void VxpReleaseMappedPages(const char* data, size_t size)
{
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
    // A private mapping nobody wrote to: the pages are read from the file again if touched.
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}
