// The class factory of one object-map entry. The module keeps one for its whole
// life; references handed out beyond the module's own keep the module locked.
#pragma once

#include "VXServerModule.h"

class CVXClassFactory : public IClassFactory
{
public:
    // A new factory holding the module's reference (null when out of memory).
    static IClassFactory* Create(VXCreatorFunction create);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // An outer unknown is accepted only together with IID_IUnknown.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    explicit CVXClassFactory(VXCreatorFunction create);
    virtual ~CVXClassFactory();

    VXCreatorFunction m_Create;
    LONG m_RefCount;
};
