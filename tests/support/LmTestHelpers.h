// Helpers that the suites over the foundation library and the add-in share.
#pragma once

#include "LmBSTR.h"
#include "LmException.h"

#include <gtest/gtest.h>

#include <string>

namespace VexloTest {

// The text of a value, with embedded nulls, as a std::wstring ("" for null).
inline std::wstring Text(const LmLib::Values::CLmBSTR& text)
{
    return text.GetBSTR() ? std::wstring(text.GetBSTR(), static_cast<size_t>(text.Length())) : std::wstring();
}

// Runs f, which must raise a CLmException, and hands the exception back.
template <class F>
LmLib::Errors::Exception::CLmException Raised(F&& f)
{
    using LmLib::Errors::Exception::CLmException;
    try {
        f();
    } catch (const CLmException& error) {
        return error;
    }
    ADD_FAILURE() << "no CLmException was raised";
    return CLmException(LmLib::Values::CLmBSTR(L"none"), LmLib::Values::CLmBSTR(), "", 0, 0);
}

} // namespace VexloTest
