#include "vxplat/Kernel.h"

bool VxpSetProcessImagePath(const wchar_t*) { return false; }  // Windows reports the real executable
