// Resources of a module: FindResourceW, LoadResource, LockResource, SizeofResource.
//
// On Windows these are the SDK's, reading what the resource compiler put into the
// image. Elsewhere a module has no resource section: its build compiles the resource
// data into the module and registers it here with a VxpResourceTable object at load
// time. Each module links its own copy of this layer, so the table holds the
// resources of the module that contains the caller; the module handle is not
// consulted.
#pragma once

#include "vxplat/Types.h"

#ifdef _WIN32
#else

struct HRSRC__;
typedef HRSRC__* HRSRC;

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define RT_RCDATA MAKEINTRESOURCEW(10)

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// A name or type is an integer made by MAKEINTRESOURCEW, "#<decimal>" for the same
// integer, or a string compared without regard to case.
HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// Exported under its plain name, as kernel32 exports it: GetProcAddress finds it (the
// add-in hooks it).
extern "C" HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL WINAPI FreeResource(HGLOBAL hResData);

// One resource compiled into the module. type and name follow the rules above.
struct VxpResource {
    LPCWSTR type;
    LPCWSTR name;
    const void* data;
    DWORD size;
};

// Adds count resources (kept by address: they must live as long as the module).
void VxpAddResources(const VxpResource* resources, size_t count);
// Removes them again.
void VxpRemoveResources(const VxpResource* resources);

// A static object of this class registers a module's resources while it is loaded.
class VxpResourceTable {
public:
    VxpResourceTable(const VxpResource* resources, size_t count) : m_resources(resources)
    {
        VxpAddResources(resources, count);
    }
    ~VxpResourceTable() { VxpRemoveResources(m_resources); }
    VxpResourceTable(const VxpResourceTable&) = delete;
    VxpResourceTable& operator=(const VxpResourceTable&) = delete;

private:
    const VxpResource* m_resources;
};

#endif
