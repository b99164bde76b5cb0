// Calling the host's automation objects: the one place where arguments and results are
// marshalled through VARIANTs.
//
// Every wrapper operation that reaches the host is one line over this:
//
//   return GetIRoseClass().Call<CLmBSTR>(RoseHost::Disp::Class::GetAssignedLanguage);
//   return ItemInterface().Get<LmLib::CLmPtr<CVXModel>>(RoseHost::Disp::Item::Model);
//
// CVXHostInterface asks the host object for the typed interface (QueryInterface; an
// object that is missing or does not answer raises the COM error E_POINTER), then
// calls members through IDispatch::Invoke by DISPID. Arguments go on the stack: a
// CLmBSTR is lent to the host without a copy (an [in] string stays the caller's), a
// short or a LONG travels by value. Results are taken over: a string result becomes
// the CLmBSTR returned, an object result is handed to the Create of the wrapper class
// asked for (no parent) and the call's reference is dropped afterwards. A failed
// HRESULT raises a _com_error carrying the error information the host left, so the
// host's description reaches the user. Nothing is allocated beyond what the host hands
// back.
#pragma once

#include "LmBSTR.h"
#include "LmPtr.h"
#include "LmRefsObject.h"

#include <vxplat/Com.h>

#include <cstddef>
#include <utility>

// One counted reference to a host object returned by a call; released at the end.
class CVXDispatchRef
{
public:
    CVXDispatchRef() noexcept : m_Object(nullptr) {}
    // Takes over the reference of object (which may be null).
    explicit CVXDispatchRef(IDispatch* object) noexcept : m_Object(object) {}
    CVXDispatchRef(CVXDispatchRef&& other) noexcept : m_Object(std::exchange(other.m_Object, nullptr)) {}
    CVXDispatchRef& operator=(CVXDispatchRef&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_Object = std::exchange(other.m_Object, nullptr);
        }
        return *this;
    }
    CVXDispatchRef(const CVXDispatchRef&) = delete;
    CVXDispatchRef& operator=(const CVXDispatchRef&) = delete;
    ~CVXDispatchRef() { Reset(); }

    IDispatch* Get() const noexcept { return m_Object; }
    explicit operator bool() const noexcept { return m_Object != nullptr; }
    void Reset() noexcept
    {
        if (m_Object)
            std::exchange(m_Object, nullptr)->Release();
    }

private:
    IDispatch* m_Object;
};

namespace VXHost
{
    // How a result type is read from the VARIANT a member answered.
    template <class R>
    struct Result;

    template <>
    struct Result<void>
    {
        static constexpr VARTYPE Type = VT_EMPTY;
        static void Take(VARIANT& value) { VariantClear(&value); }
    };

    template <>
    struct Result<LmLib::Values::CLmBSTR>
    {
        static constexpr VARTYPE Type = VT_BSTR;
        static LmLib::Values::CLmBSTR Take(VARIANT& value) noexcept
        {
            LmLib::Values::CLmBSTR text;
            *text.GetAddress() = V_BSTR(&value);  // the host's string becomes the result
            value.vt = VT_EMPTY;
            return text;
        }
    };

    template <>
    struct Result<short>
    {
        static constexpr VARTYPE Type = VT_I2;
        static short Take(VARIANT& value) noexcept { return V_I2(&value); }
    };

    // An automation boolean (VARIANT_BOOL): the host's 16-bit value unchanged.
    struct Bool
    {
        VARIANT_BOOL value;
    };
    template <>
    struct Result<Bool>
    {
        static constexpr VARTYPE Type = VT_BOOL;
        static Bool Take(VARIANT& value) noexcept { return Bool{V_BOOL(&value)}; }
    };

    template <>
    struct Result<CVXDispatchRef>
    {
        static constexpr VARTYPE Type = VT_DISPATCH;
        static CVXDispatchRef Take(VARIANT& value) noexcept
        {
            IDispatch* object = V_DISPATCH(&value);
            value.vt = VT_EMPTY;
            return CVXDispatchRef(object);
        }
    };

    // An object result wrapped at once by W::Create (no parent).
    template <class W>
    struct Result<LmLib::CLmPtr<W>>
    {
        static constexpr VARTYPE Type = VT_DISPATCH;
        static LmLib::CLmPtr<W> Take(VARIANT& value)
        {
            CVXDispatchRef object = Result<CVXDispatchRef>::Take(value);
            return W::Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject>(), object.Get());
        }
    };

    // Arguments: lent to the host for the length of the call.
    inline void SetArgument(VARIANTARG& arg, const LmLib::Values::CLmBSTR& value) noexcept
    {
        arg.vt = VT_BSTR;
        V_BSTR(&arg) = value.GetBSTR();
    }
    inline void SetArgument(VARIANTARG& arg, short value) noexcept
    {
        arg.vt = VT_I2;
        V_I2(&arg) = value;
    }
    inline void SetArgument(VARIANTARG& arg, LONG value) noexcept
    {
        arg.vt = VT_I4;
        V_I4(&arg) = value;
    }
}

// The typed interface of one host object, held for the length of one operation.
class CVXHostInterface
{
public:
    // QueryInterface of object for iid; raises the COM error E_POINTER when object is
    // null or does not answer the interface.
    CVXHostInterface(IDispatch* object, REFIID iid);
    CVXHostInterface(CVXHostInterface&& other) noexcept;
    CVXHostInterface(const CVXHostInterface&) = delete;
    CVXHostInterface& operator=(const CVXHostInterface&) = delete;
    CVXHostInterface& operator=(CVXHostInterface&&) = delete;
    ~CVXHostInterface();

    IDispatch* GetInterface() const noexcept { return m_Interface; }
    REFIID GetIid() const noexcept { return *m_Iid; }

    // Property read.
    template <class R>
    R Get(DISPID id) const
    {
        return Invoke<R>(id, DISPATCH_PROPERTYGET);
    }
    // Method call; arguments in declaration order.
    template <class R, class... A>
    R Call(DISPID id, const A&... args) const
    {
        return Invoke<R>(id, DISPATCH_METHOD, args...);
    }
    // Property write.
    template <class A>
    void Put(DISPID id, const A& value) const
    {
        VARIANTARG arg;
        VXHost::SetArgument(arg, value);
        InvokeMember(id, DISPATCH_PROPERTYPUT, &arg, 1, nullptr, VT_EMPTY);
    }

private:
    template <class R, class... A>
    R Invoke(DISPID id, WORD flags, const A&... args) const
    {
        constexpr std::size_t count = sizeof...(A);
        VARIANTARG argv[count > 0 ? count : 1];
        // The host reads its arguments last one first.
        [[maybe_unused]] std::size_t slot = count;
        (VXHost::SetArgument(argv[--slot], args), ...);
        VARIANT result;
        VariantInit(&result);
        InvokeMember(id, flags, argv, static_cast<UINT>(count), &result, VXHost::Result<R>::Type);
        return VXHost::Result<R>::Take(result);
    }

    // Invokes the member; on success result holds a value of type expected (an object
    // result may be a null object). A failure raises a _com_error with the host's error
    // information.
    void InvokeMember(DISPID id, WORD flags, VARIANTARG* args, UINT count, VARIANT* result,
                      VARTYPE expected) const;

    IDispatch* m_Interface;
    const IID* m_Iid;
};
