#include "VXObjectMap.h"

#include "VXRoseCSharpAddin.h"
#include "VXRoseDelphiAddin.h"
#include "VexloIds.h"

// Registration and class-object lookup walk the map in this order.
const VXObjectMapEntry g_VXObjectMap[] = {
    {&CLSID_VXRoseDelphiAddin, IDR_VXROSEDELPHIADDIN, &CVXRoseDelphiAddin::CreateInstance},
    {&CLSID_VXRoseCSharpAddin, IDR_VXROSECSHARPADDIN, &CVXRoseCSharpAddin::CreateInstance},
};
const UINT g_VXObjectMapCount = sizeof g_VXObjectMap / sizeof g_VXObjectMap[0];
