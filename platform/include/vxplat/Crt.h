// C run-time functions whose Microsoft form differs from the C standard.
#pragma once

#include "vxplat/Types.h"

#ifdef _WIN32
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#else

#include <cstdarg>

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// Microsoft wide printf: in a wide format "%s" and "%c" take wide arguments and
// "%S"/"%C" narrow ones ("%hs"/"%ls" are explicit). Writes at most count
// characters; returns the length written, or a negative value when the text did
// not fit (then the buffer is not necessarily terminated).
int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...);

// Splits a path into drive ("C:"), folder (with its trailing separator), file
// name and extension (with its dot). Any output may be NULL; "\" and "/" both
// separate.
void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname, wchar_t* ext);

int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
int _stricmp(const char* a, const char* b);
int _strnicmp(const char* a, const char* b, size_t count);
wchar_t* _wcsupr(wchar_t* s);
wchar_t* _wcslwr(wchar_t* s);

#endif
