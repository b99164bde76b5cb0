#include "LmException.h"

namespace LmLib::Errors::Exception
{
    namespace
    {
        CLmBSTR LocationLine(const CLmBSTR& detail, const char* file, int line)
        {
            CLmBSTR text;
            if (!detail.IsEmpty())
                text = detail + L" ";
            text += CLmBSTR::FromAnsi(file ? file : "");
            text += CLmBSTR::FormatString(L" - %d", line);
            return text;
        }

        // Reads one text of an error-information object; empty when it has none.
        template <class Getter>
        CLmBSTR ReadErrorText(IErrorInfo* info, Getter getter)
        {
            CLmBSTR text;
            if (info)
            {
                BSTR value = nullptr;
                if (SUCCEEDED((info->*getter)(&value)) && value)
                {
                    text = value;
                    SysFreeString(value);
                }
            }
            return text;
        }
    }

    CLmException::CLmException(const CLmBSTR& message, const CLmBSTR& detail, const char* file, int line,
                               long code)
        : m_Message(message), m_Where(LocationLine(CLmBSTR(), file, line)), m_Code(static_cast<LONG>(code))
    {
        if (!detail.IsEmpty())
            m_Message += L" " + detail;
    }

    CLmException::CLmException(const _com_error& error, const CLmBSTR& detail, const char* file, int line)
        : m_Where(LocationLine(CLmBSTR(), file, line)), m_Code(error.Error())
    {
        IErrorInfo* info = error.ErrorInfo();
        m_Message = ReadErrorText(info, &IErrorInfo::GetDescription);
        CLmBSTR source = ReadErrorText(info, &IErrorInfo::GetSource);
        if (info)
            info->Release();
        if (!detail.IsEmpty())
            m_Message += L" " + detail;
        m_Message += L" [" + source + L" ]";
    }

    CLmException::CLmException(const CLmException& other)
        : m_Message(other.m_Message), m_Where(other.m_Where), m_Code(other.m_Code)
    {
    }

    CLmException& CLmException::operator=(const CLmException& other)
    {
        m_Message = other.m_Message;
        m_Where = other.m_Where;
        m_Code = other.m_Code;
        return *this;
    }

    CLmException::~CLmException() = default;

    void CLmException::AddTrace(const CLmBSTR& detail, const char* file, int line)
    {
        m_Where += L"\r\n" + LocationLine(detail, file, line);
    }

    CLmBSTR CLmException::GetMessage() const
    {
        return m_Message;
    }

    CLmBSTR CLmException::GetLocation() const
    {
        return m_Where;
    }

    HRESULT CLmException::ReportError() const
    {
        try
        {
            ICreateErrorInfo* create = nullptr;
            if (SUCCEEDED(CreateErrorInfo(&create)) && create)
            {
                create->SetGUID(IID_IDispatch);
                CLmBSTR description = L"\r\n" + m_Message + L"\r\n" + m_Where;
                create->SetDescription(description.GetBSTR());
                IErrorInfo* info = nullptr;
                if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info)
                {
                    SetErrorInfo(0, info);
                    info->Release();
                }
                create->Release();
            }
        }
        catch (...)
        {
            // The code is what matters to the caller; missing error information is not.
        }
        return m_Code;
    }

    CLmBSTR CLmException::ComposeMessage(const CLmBSTR& text, long code)
    {
        return text + L" " + CLmBSTR::FormatString(L". Error - [%X]", static_cast<unsigned>(code));
    }

    void CLmException::Raise(const char* file, int line, long code, const wchar_t* format, ...)
    {
        va_list args;
        va_start(args, format);
        CLmBSTR text;
        try
        {
            text = CLmBSTR::FormatStringV(format, args);
        }
        catch (...)
        {
            va_end(args);
            throw;
        }
        va_end(args);
        CLmException error(ComposeMessage(text, code), CLmBSTR(), file, line, code);
        throw CLmException(error);
    }

    CLmException CLmException::Unknown(const char* file, int line)
    {
        return CLmException(ComposeMessage(L"Unknown error...", LmErrorGeneral), CLmBSTR(), file, line,
                            LmErrorGeneral);
    }

    void CLmException::CheckPointer(const char* file, int line, const void* pointer, const wchar_t* name)
    {
        if (!pointer)
            Raise(file, line, LmErrorNullPointer, L"El puntero del elemento %s no puede ser NULL", name);
    }
}
