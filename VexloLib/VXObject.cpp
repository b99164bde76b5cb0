#include "VXObject.h"

CVXObject::CVXObject(const CVXParentPtr& parent, IDispatch* object) : CVXCommon(parent, object) {}

CVXObject::~CVXObject() = default;

void CVXObject::OnDestroy() {}
