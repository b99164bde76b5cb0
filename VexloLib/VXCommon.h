// Base of the wrappers of host automation objects: holds one counted IDispatch.
#pragma once

#include "LmObject.h"
#include "VXHostCall.h"

#include <vxplat/Com.h>

// The parent given to a wrapper at creation (empty for none).
using CVXParentPtr = LmLib::CLmPtr<LmLib::Object::CLmRefsObject>;

class CVXCommon : public LmLib::Object::CLmObject
{
public:
    // Adds its own reference to object (which may be null).
    CVXCommon(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCommon() override;

    void OnDestroy() override;
    // True when a host object is held.
    bool Initialize(CVXParentPtr parent) override;
    // References the new object, releases the old one, stores the new one (null allowed).
    virtual void SetDispatch(IDispatch* object);

    // A new counted reference to the held object (null when there is none).
    IDispatch* GetDispatch() const;

protected:
    // The held object's typed interface iid, for one operation's host calls.
    CVXHostInterface HostInterface(REFIID iid) const { return CVXHostInterface(m_Dispatch, iid); }

    IDispatch* m_Dispatch;
};
