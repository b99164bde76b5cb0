// Standard exception translation, used around the body of every operation.
//
//   CLmBSTR CLmFile::GetPath() { LM_TRY { return m_Path; } LM_END_TRY }
//
//   STDMETHODIMP CVXSomething::OnActivate(...)       // COM boundary
//   { LM_TRY { ...; } LM_END_TRY_REPORT }            // falls through to S_OK
//
//   LM_RAISE(-100, L"Can't create file %s", path.GetBSTR());
//   LM_CHECK_POINTER(m_FunctionAddress, L"m_FunctionAddress!=NULL");
//
// LM_END_TRY adds this method's location to a passing CLmException and throws it on,
// turns a _com_error into a CLmException (description and source, its HRESULT) and
// anything else into "Unknown error..." (-100) located at this method. LM_END_TRY_REPORT
// does the same but, instead of throwing, publishes the error as the thread's COM
// error information and returns its code. The location is LM_FILE and the line of the
// handler, so the trail names each method crossed, innermost first.
#pragma once

#include "LmException.h"

namespace LmLib::Errors::Exception
{
    // The source file name relative to the project root: trails must not carry the
    // build machine's paths. The build passes the root as LM_SOURCE_ROOT (and usually
    // maps it away from __FILE__ already, in which case nothing matches here).
    constexpr const char* LmSourceName(const char* path)
    {
#ifdef LM_SOURCE_ROOT
        const char* root = LM_SOURCE_ROOT;
        const char* rest = path;
        while (*root && *rest == *root)
        {
            ++root;
            ++rest;
        }
        return *root ? path : rest;
#else
        return path;
#endif
    }
}

#define LM_FILE (::LmLib::Errors::Exception::LmSourceName(__FILE__))

#define LM_TRY try

#define LM_END_TRY                                                                                    \
    catch (::LmLib::Errors::Exception::CLmException & lmError)                                        \
    {                                                                                                 \
        lmError.AddTrace(::LmLib::Values::CLmBSTR(), LM_FILE, __LINE__);                              \
        throw ::LmLib::Errors::Exception::CLmException(lmError);                                      \
    }                                                                                                 \
    catch (const _com_error& lmComError)                                                              \
    {                                                                                                 \
        throw ::LmLib::Errors::Exception::CLmException(lmComError, ::LmLib::Values::CLmBSTR(), LM_FILE, \
                                                       __LINE__);                                     \
    }                                                                                                 \
    catch (...)                                                                                       \
    {                                                                                                 \
        throw ::LmLib::Errors::Exception::CLmException::Unknown(LM_FILE, __LINE__);                   \
    }

#define LM_END_TRY_REPORT                                                                             \
    catch (::LmLib::Errors::Exception::CLmException & lmError)                                        \
    {                                                                                                 \
        lmError.AddTrace(::LmLib::Values::CLmBSTR(), LM_FILE, __LINE__);                              \
        return lmError.ReportError();                                                                 \
    }                                                                                                 \
    catch (const _com_error& lmComError)                                                              \
    {                                                                                                 \
        return ::LmLib::Errors::Exception::CLmException(lmComError, ::LmLib::Values::CLmBSTR(), LM_FILE, \
                                                        __LINE__)                                     \
            .ReportError();                                                                           \
    }                                                                                                 \
    catch (...)                                                                                       \
    {                                                                                                 \
        return ::LmLib::Errors::Exception::CLmException::Unknown(LM_FILE, __LINE__).ReportError();    \
    }                                                                                                 \
    return S_OK;

// Raises a library error: the formatted text, a blank and ". Error - [%X]" of the code.
#define LM_RAISE(code, ...) ::LmLib::Errors::Exception::CLmException::Raise(LM_FILE, __LINE__, (code), __VA_ARGS__)

// Raises "El puntero del elemento <name> no puede ser NULL" (-201) for a null pointer.
#define LM_CHECK_POINTER(pointer, name) \
    ::LmLib::Errors::Exception::CLmException::CheckPointer(LM_FILE, __LINE__, (pointer), (name))
