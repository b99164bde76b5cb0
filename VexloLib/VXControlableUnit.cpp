#include "VXControlableUnit.h"

CVXControlableUnit::CVXControlableUnit(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXControlableUnit::~CVXControlableUnit() = default;
