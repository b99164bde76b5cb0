// Base of the wrappers of host collections. A collection holds no elements of its own:
// every access asks the host again. The wrappers count from 0, the host from 1.
#pragma once

#include "VXBase.h"

class CVXCollection : public CVXBase
{
public:
    CVXCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCollection() override;

protected:
    // The host's 16-bit Count, sign-extended (a negative count makes every loop empty).
    LONG HostCount(REFIID iid, DISPID countId) const
    {
        return HostInterface(iid).Get<short>(countId);
    }
    // The element at index (from 0): the host's GetAt(index + 1), wrapped by W::Create.
    template <class W>
    LmLib::CLmPtr<W> HostAt(REFIID iid, DISPID getAtId, LONG index) const
    {
        return HostInterface(iid).Call<LmLib::CLmPtr<W>>(getAtId, static_cast<LONG>(index + 1));
    }
};
