#include "VXHostCall.h"

namespace
{
    // A host that reports a failure through EXCEPINFO (DISP_E_EXCEPTION) instead of the
    // thread's error information: turn it into error information, so both kinds of host
    // reach the caller the same way. Takes over and frees the EXCEPINFO strings.
    [[noreturn]] void RaiseException(EXCEPINFO& exception)
    {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        HRESULT hr = exception.scode != 0 ? exception.scode : _com_error::WCodeToHRESULT(exception.wCode);
        if (!FAILED(hr))
            hr = DISP_E_EXCEPTION;
        IErrorInfo* info = nullptr;
        ICreateErrorInfo* create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&create)) && create)
        {
            create->SetDescription(exception.bstrDescription);
            create->SetSource(exception.bstrSource);
            if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))))
                info = nullptr;
            create->Release();
        }
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        throw _com_error(hr, info); // takes over the reference
    }
} // namespace

CVXHostInterface::CVXHostInterface(IDispatch* object, REFIID iid) : m_Interface(nullptr), m_Iid(&iid)
{
    void* typed = nullptr;
    if (!object || FAILED(object->QueryInterface(iid, &typed)) || !typed)
        _com_issue_error(E_POINTER);
    m_Interface = static_cast<IDispatch*>(typed);
}

CVXHostInterface::CVXHostInterface(CVXHostInterface&& other) noexcept
    : m_Interface(std::exchange(other.m_Interface, nullptr)), m_Iid(other.m_Iid)
{
}

CVXHostInterface::~CVXHostInterface()
{
    if (m_Interface)
        m_Interface->Release();
}

void CVXHostInterface::InvokeMember(DISPID id, WORD flags, VARIANTARG* args, UINT count, VARIANT* result,
                                    VARTYPE expected) const
{
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{count > 0 ? args : nullptr, nullptr, count, 0};
    if (flags & DISPATCH_PROPERTYPUT)
    {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT argError = 0;
    HRESULT hr = m_Interface->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &argError);
    if (hr == DISP_E_EXCEPTION)
        RaiseException(exception);
    if (FAILED(hr))
        _com_issue_errorex(hr, m_Interface, *m_Iid);
    if (!result || expected == VT_EMPTY || result->vt == expected)
        return;
    // An object member may answer "no object" as an empty value.
    if (expected == VT_DISPATCH && (result->vt == VT_EMPTY || result->vt == VT_NULL))
    {
        result->vt = VT_DISPATCH;
        V_DISPATCH(result) = nullptr;
        return;
    }
    // Otherwise the value is coerced as Automation would coerce it.
    VARIANT converted;
    VariantInit(&converted);
    hr = VariantChangeType(&converted, result, 0, expected);
    VariantClear(result);
    if (FAILED(hr))
        _com_issue_error(DISP_E_TYPEMISMATCH);
    *result = converted;
}
