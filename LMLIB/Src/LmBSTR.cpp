#include "LmBSTR.h"

#include <vxplat/CodePage.h>
#include <vxplat/Crt.h>
#include <vxplat/Kernel.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace LmLib::Values
{
    namespace
    {
        // Work buffers of Format grow in steps of this many characters.
        const size_t FormatStep = 1024;
        // A formatter that keeps failing past this size is not short of room.
        const size_t FormatLimit = 64u * 1024u * 1024u;

        int SafeLength(const wchar_t* text)
        {
            return text ? static_cast<int>(wcslen(text)) : 0;
        }
    }

    CLmBSTR::CLmBSTR() noexcept : m_str(nullptr)
    {
    }

    CLmBSTR::CLmBSTR(const wchar_t* text) : m_str(nullptr)
    {
        if (text)
        {
            m_str = SysAllocString(text);
            if (!m_str)
                _com_issue_error(E_OUTOFMEMORY);
        }
    }

    CLmBSTR::CLmBSTR(const CLmBSTR& other) : m_str(nullptr)
    {
        if (other.m_str)
            m_str = Allocate(other.m_str, other.Length());
    }

    CLmBSTR::CLmBSTR(CLmBSTR&& other) noexcept : m_str(other.m_str)
    {
        other.m_str = nullptr;
    }

    CLmBSTR::~CLmBSTR()
    {
        Clear();
    }

    CLmBSTR& CLmBSTR::operator=(const CLmBSTR& other)
    {
        if (m_str != other.m_str)
            Attach(other.m_str ? Allocate(other.m_str, other.Length()) : nullptr);
        return *this;
    }

    CLmBSTR& CLmBSTR::operator=(CLmBSTR&& other) noexcept
    {
        if (this != &other)
        {
            Attach(other.m_str);
            other.m_str = nullptr;
        }
        return *this;
    }

    CLmBSTR& CLmBSTR::operator=(const wchar_t* text)
    {
        // The text may live inside the old string: copy before freeing.
        BSTR copy = nullptr;
        if (text)
        {
            copy = SysAllocString(text);
            if (!copy)
                _com_issue_error(E_OUTOFMEMORY);
        }
        Attach(copy);
        return *this;
    }

    BSTR CLmBSTR::Allocate(const wchar_t* text, int length)
    {
        BSTR result = SysAllocStringLen(text, static_cast<UINT>(length));
        if (!result)
            _com_issue_error(E_OUTOFMEMORY);
        return result;
    }

    void CLmBSTR::Attach(BSTR text) noexcept
    {
        if (m_str)
            SysFreeString(m_str);
        m_str = text;
    }

    int CLmBSTR::TextLength() const noexcept
    {
        return SafeLength(m_str);
    }

    CLmBSTR CLmBSTR::FromAnsi(const char* text, int length)
    {
        CLmBSTR result;
        if (!text || length == 0)
            return result;
        int needed = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
        if (needed <= 0)
            _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
        BSTR buffer = Allocate(nullptr, needed);
        MultiByteToWideChar(CP_ACP, 0, text, length, buffer, needed);
        // With length -1 the converted terminator is counted: drop it.
        int resultLength = length < 0 ? needed - 1 : needed;
        buffer[resultLength] = L'\0';
        if (resultLength == needed)
            result.Attach(buffer);
        else
        {
            result.Attach(Allocate(buffer, resultLength));
            SysFreeString(buffer);
        }
        return result;
    }

    std::string CLmBSTR::ToAnsi() const
    {
        return ToAnsi(m_str, Length());
    }

    std::string CLmBSTR::ToAnsi(const wchar_t* text, int length)
    {
        if (length == 0)
            return std::string();
        int needed = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
        if (needed <= 0)
            _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
        std::string result(static_cast<size_t>(needed), '\0');
        if (WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), needed, nullptr, nullptr) <= 0)
            _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
        return result;
    }

    BSTR CLmBSTR::Copy() const
    {
        return m_str ? Allocate(m_str, Length()) : nullptr;
    }

    void CLmBSTR::Clear() noexcept
    {
        Attach(nullptr);
    }

    CLmBSTR CLmBSTR::Empty()
    {
        return CLmBSTR();
    }

    int CLmBSTR::Length() const noexcept
    {
        return m_str ? static_cast<int>(SysStringLen(m_str)) : 0;
    }

    CLmBSTR& CLmBSTR::operator+=(const CLmBSTR& other)
    {
        int left = Length();
        int right = other.Length();
        if (right == 0)
            return *this;
        BSTR result = Allocate(nullptr, left + right);
        if (left)
            wmemcpy(result, m_str, static_cast<size_t>(left));
        wmemcpy(result + left, other.m_str, static_cast<size_t>(right));
        result[left + right] = L'\0';
        Attach(result);
        return *this;
    }

    namespace
    {
        CLmBSTR Concatenate(const wchar_t* left, int leftLength, const wchar_t* right, int rightLength)
        {
            CLmBSTR result;
            if (leftLength + rightLength == 0)
                return result;
            BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(leftLength + rightLength));
            if (!text)
                _com_issue_error(E_OUTOFMEMORY);
            if (leftLength)
                wmemcpy(text, left, static_cast<size_t>(leftLength));
            if (rightLength)
                wmemcpy(text + leftLength, right, static_cast<size_t>(rightLength));
            text[leftLength + rightLength] = L'\0';
            *result.GetAddress() = text;
            return result;
        }
    }

    CLmBSTR operator+(const CLmBSTR& left, const CLmBSTR& right)
    {
        return Concatenate(left.GetBSTR(), left.Length(), right.GetBSTR(), right.Length());
    }

    CLmBSTR operator+(const CLmBSTR& left, const wchar_t* right)
    {
        return Concatenate(left.GetBSTR(), left.Length(), right, SafeLength(right));
    }

    CLmBSTR operator+(const wchar_t* left, const CLmBSTR& right)
    {
        return Concatenate(left, SafeLength(left), right.GetBSTR(), right.Length());
    }

    bool CLmBSTR::operator==(const wchar_t* text) const noexcept
    {
        if (!m_str || !text)
            return !m_str && !text;
        return wcscmp(m_str, text) == 0;
    }

    CLmBSTR CLmBSTR::FormatStringV(const wchar_t* format, va_list args)
    {
        CLmBSTR result;
        if (!format)
            return result;
        size_t size = wcslen(format) + FormatStep;
        std::vector<wchar_t> buffer;
        for (;;)
        {
            buffer.assign(size, L'\0');
            va_list attempt;
            va_copy(attempt, args);
            int written = _vsnwprintf(buffer.data(), size, format, attempt);
            va_end(attempt);
            if (written >= 0)
            {
                result.Attach(Allocate(buffer.data(), written));
                return result;
            }
            size += FormatStep;
            if (size > FormatLimit)
                _com_issue_error(E_OUTOFMEMORY);
        }
    }

    CLmBSTR CLmBSTR::FormatString(const wchar_t* format, ...)
    {
        va_list args;
        va_start(args, format);
        CLmBSTR result;
        try
        {
            result = FormatStringV(format, args);
        }
        catch (...)
        {
            va_end(args);
            throw;
        }
        va_end(args);
        return result;
    }

    CLmBSTR CLmBSTR::FormatV(const wchar_t* format, va_list args)
    {
        *this = FormatStringV(format, args);
        return *this;
    }

    CLmBSTR CLmBSTR::Format(const wchar_t* format, ...)
    {
        va_list args;
        va_start(args, format);
        try
        {
            *this = FormatStringV(format, args);
        }
        catch (...)
        {
            va_end(args);
            throw;
        }
        va_end(args);
        return *this;
    }

    int CLmBSTR::Find(const wchar_t* text) const
    {
        if (!m_str || !text)
            return -1;
        const wchar_t* found = wcsstr(m_str, text);
        return found ? static_cast<int>(found - m_str) : -1;
    }

    int CLmBSTR::ReverseFind(const wchar_t* text) const
    {
        if (!m_str || !text)
            return -1;
        size_t step = wcslen(text);
        int last = -1;
        const wchar_t* position = m_str;
        while (const wchar_t* found = wcsstr(position, text))
        {
            last = static_cast<int>(found - m_str);
            if (step == 0)
                break;
            position = found + step;
        }
        return last;
    }

    int CLmBSTR::Count(const wchar_t* text) const
    {
        return Count(0, text);
    }

    int CLmBSTR::Count(int start, const wchar_t* text) const
    {
        if (!m_str || !text || !*text || start < 0 || start > TextLength())
            return 0;
        size_t step = wcslen(text);
        int count = 0;
        for (const wchar_t* p = wcsstr(m_str + start, text); p; p = wcsstr(p + step, text))
            ++count;
        return count;
    }

    void CLmBSTR::Replace(const wchar_t* oldText, const wchar_t* newText)
    {
        if (!m_str || !oldText || !*oldText)
            return;
        int count = Count(oldText);
        if (count == 0)
            return;
        if (!newText)
            newText = L"";
        int oldLength = SafeLength(oldText);
        int newLength = SafeLength(newText);
        int length = Length() - (oldLength - newLength) * count;
        BSTR result = Allocate(nullptr, length);
        wchar_t* out = result;
        const wchar_t* in = m_str;
        const wchar_t* end = m_str + Length();
        for (const wchar_t* found = wcsstr(in, oldText); found; found = wcsstr(in, oldText))
        {
            wmemcpy(out, in, static_cast<size_t>(found - in));
            out += found - in;
            wmemcpy(out, newText, static_cast<size_t>(newLength));
            out += newLength;
            in = found + oldLength;
        }
        wmemcpy(out, in, static_cast<size_t>(end - in));
        out += end - in;
        *out = L'\0';
        Attach(result);
    }

    CLmBSTR CLmBSTR::Left(int n) const
    {
        CLmBSTR result;
        n = std::min(n, Length());
        if (n > 0)
            result.Attach(Allocate(m_str, n));
        return result;
    }

    CLmBSTR CLmBSTR::Mid(int start, int count) const
    {
        int length = Length();
        if (count == 0)
            count = length - start;
        if (start == 0 && count >= length)
            return *this;
        CLmBSTR result;
        if (start >= 0 && count > 0 && start + count <= length)
            result.Attach(Allocate(m_str + start, count));
        return result;
    }

    CLmBSTR CLmBSTR::Right(int n) const
    {
        int length = Length();
        if (length <= n)
            return *this;
        CLmBSTR result;
        if (n > 0)
            result.Attach(Allocate(m_str + length - n, n));
        return result;
    }

    std::vector<CLmBSTR> CLmBSTR::Split(const CLmBSTR& separator) const
    {
        std::vector<CLmBSTR> pieces;
        if (separator.IsEmpty() || IsEmpty())
            return pieces;
        if (Find(separator.m_str) < 0)
        {
            pieces.push_back(*this);
            return pieces;
        }
        size_t step = static_cast<size_t>(separator.Length());
        const wchar_t* position = m_str;
        for (const wchar_t* found = wcsstr(position, separator.m_str); found;
             found = wcsstr(position, separator.m_str))
        {
            if (found > position)
            {
                CLmBSTR piece;
                piece.Attach(Allocate(position, static_cast<int>(found - position)));
                pieces.push_back(std::move(piece));
            }
            position = found + step;
        }
        const wchar_t* end = m_str + Length();
        if (end > position)
        {
            CLmBSTR piece;
            piece.Attach(Allocate(position, static_cast<int>(end - position)));
            pieces.push_back(std::move(piece));
        }
        return pieces;
    }

    void CLmBSTR::MakeUpper()
    {
        if (IsEmpty())
            return;
        std::string text = ToAnsi();
        CharUpperA(text.data());
        *this = FromAnsi(text.data(), static_cast<int>(text.size()));
    }

    void CLmBSTR::MakeLower()
    {
        if (IsEmpty())
            return;
        std::string text = ToAnsi();
        CharLowerA(text.data());
        *this = FromAnsi(text.data(), static_cast<int>(text.size()));
    }

    void CLmBSTR::MakeReverse()
    {
        if (!IsEmpty())
            std::reverse(m_str, m_str + Length());
    }

    void CLmBSTR::Fill(wchar_t ch)
    {
        if (!IsEmpty())
            std::fill(m_str, m_str + Length(), ch);
    }

    void CLmBSTR::Trim()
    {
        int length = Length();
        int first = 0;
        while (first < length && iswspace(static_cast<wint_t>(m_str[first])))
            ++first;
        int last = length;
        while (last > first && iswspace(static_cast<wint_t>(m_str[last - 1])))
            --last;
        if (first == 0 && last == length)
            return;
        Attach(last > first ? Allocate(m_str + first, last - first) : nullptr);
    }
}
