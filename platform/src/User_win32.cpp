#include "vxplat/User.h"

VxpMessageBoxHandler VxpSetMessageBoxHandler(VxpMessageBoxHandler) { return nullptr; }  // real message boxes
