// The server's object map: its two creatable classes, in registration order.
#pragma once

#include "VXServerModule.h"

extern const VXObjectMapEntry g_VXObjectMap[];
extern const UINT g_VXObjectMapCount;
