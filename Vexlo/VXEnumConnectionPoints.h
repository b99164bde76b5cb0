// The enumerator of the add-in classes' connection points: they offer none.
#pragma once

#include <vxplat/Com.h>

class CVXEnumConnectionPoints : public IEnumConnectionPoints
{
public:
    // A new empty enumerator with one reference (null when out of memory).
    static IEnumConnectionPoints* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cConnections) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumConnectionPoints** ppEnum) override;

private:
    CVXEnumConnectionPoints();
    virtual ~CVXEnumConnectionPoints();

    ULONG m_RefCount;
};
