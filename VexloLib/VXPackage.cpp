#include "VXPackage.h"

CVXPackage::CVXPackage(const CVXParentPtr& parent, IDispatch* object) : CVXControlableUnit(parent, object) {}

CVXPackage::~CVXPackage() = default;
