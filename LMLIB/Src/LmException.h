// The one exception type that crosses the layers of the library and the add-in.
#pragma once

#include "LmBSTR.h"

namespace LmLib::Errors::Exception
{
    using LmLib::Values::CLmBSTR;

    class CLmException
    {
    public:
        // message [+ " " + detail]; the trail starts with "file - line".
        CLmException(const CLmBSTR& message, const CLmBSTR& detail, const char* file, int line, long code);
        // description [+ " " + detail] + " [" + source + " ]", code = the HRESULT.
        CLmException(const _com_error& error, const CLmBSTR& detail, const char* file, int line);
        CLmException(const CLmException& other);
        CLmException& operator=(const CLmException& other);
        virtual ~CLmException();

        // Appends "\r\n" and one location line ("detail file - line") to the trail.
        void AddTrace(const CLmBSTR& detail, const char* file, int line);
        CLmBSTR GetMessage() const;
        CLmBSTR GetLocation() const;

        // Publishes the error as the thread's COM error information; returns m_Code.
        HRESULT ReportError() const;

        // text + " " + ". Error - [%X]" of the code.
        static CLmBSTR ComposeMessage(const CLmBSTR& text, long code);
        // Formats the message, composes it with the code and throws a copy.
        [[noreturn]] static void Raise(const char* file, int line, long code, const wchar_t* format, ...);
        // The translation of an exception that is neither CLmException nor _com_error.
        static CLmException Unknown(const char* file, int line);
        // "El puntero del elemento %s no puede ser NULL" (-201) when pointer is null.
        static void CheckPointer(const char* file, int line, const void* pointer, const wchar_t* name);

    protected:
        CLmBSTR m_Message;
        CLmBSTR m_Where;

    public:
        LONG m_Code;
    };

    // Codes shown in the messages' ". Error - [%X]" suffix.
    const long LmErrorGeneral = -100;
    const long LmErrorNullPointer = -201;
}

namespace LmLib
{
    using Errors::Exception::CLmException;
}
