#include "VXBase.h"

#include "LmTranslate.h"

CVXBase::CVXBase(const CVXParentPtr& parent, IDispatch* object) : CVXCommon(parent, object) {}

CVXBase::~CVXBase() = default;

bool CVXBase::Initialize(CVXParentPtr)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}
