#include "vxplat/CodePage.h"

bool VxpSetAnsiCodePage(UINT) { return false; }  // the system's own ANSI code page rules on Windows
