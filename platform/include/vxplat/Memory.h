// Virtual memory: page protection and allocation at a chosen address.
//
// On Windows these are the SDK's. Elsewhere they sit over mmap/mprotect: the
// protection codes are translated to read/write/execute bits, the previous
// protection is read from the process's own memory map, and an allocation at a
// given address fails instead of landing elsewhere when that address is taken.
#pragma once

#include "vxplat/Types.h"

#ifdef _WIN32
#else

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_WRITECOPY 0x08
#define PAGE_EXECUTE 0x10
#define PAGE_EXECUTE_READ 0x20
#define PAGE_EXECUTE_READWRITE 0x40
#define PAGE_EXECUTE_WRITECOPY 0x80

#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define MEM_DECOMMIT 0x00004000
#define MEM_RELEASE 0x00008000

#define ERROR_INVALID_ADDRESS 487L

BOOL WINAPI VirtualProtect(LPVOID lpAddress, SIZE_T dwSize, DWORD flNewProtect, PDWORD lpflOldProtect);
LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect);
BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType);

#endif
