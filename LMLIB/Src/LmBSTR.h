// The owned automation string: the one text type of the library and the add-in.
#pragma once

#include <vxplat/Com.h>

#include <cstdarg>
#include <string>
#include <vector>

namespace LmLib::Values
{
    class CLmBSTR
    {
    public:
        CLmBSTR() noexcept;
        CLmBSTR(const wchar_t* text);
        CLmBSTR(const CLmBSTR& other);
        CLmBSTR(CLmBSTR&& other) noexcept;
        virtual ~CLmBSTR();

        CLmBSTR& operator=(const CLmBSTR& other);
        CLmBSTR& operator=(CLmBSTR&& other) noexcept;
        CLmBSTR& operator=(const wchar_t* text);

        // 8-bit text in the system ANSI code page; length -1 reads up to the terminator.
        static CLmBSTR FromAnsi(const char* text, int length = -1);
        // The value in the system ANSI code page (one piece, no terminator counted).
        std::string ToAnsi() const;
        // The same for length characters of any wide text.
        static std::string ToAnsi(const wchar_t* text, int length);

        BSTR GetBSTR() const noexcept { return m_str; }
        BSTR* GetAddress() noexcept { return &m_str; }
        BSTR Copy() const;
        void Clear() noexcept;
        static CLmBSTR Empty();
        int Length() const noexcept;
        bool IsEmpty() const noexcept { return Length() == 0; }

        CLmBSTR& operator+=(const CLmBSTR& other);

        // Null equals only null; otherwise an exact comparison of the characters.
        bool operator==(const wchar_t* text) const noexcept;
        bool operator==(const CLmBSTR& other) const noexcept { return *this == other.m_str; }

        // Microsoft wide-printf conventions: "%s" takes a wide string.
        CLmBSTR Format(const wchar_t* format, ...);
        CLmBSTR FormatV(const wchar_t* format, va_list args);
        static CLmBSTR FormatString(const wchar_t* format, ...);
        static CLmBSTR FormatStringV(const wchar_t* format, va_list args);

        int Find(const wchar_t* text) const;
        int ReverseFind(const wchar_t* text) const;
        int Count(const wchar_t* text) const;
        int Count(int start, const wchar_t* text) const;
        void Replace(const wchar_t* oldText, const wchar_t* newText);
        CLmBSTR Left(int n) const;
        CLmBSTR Mid(int start, int count = 0) const;
        CLmBSTR Right(int n) const;
        std::vector<CLmBSTR> Split(const CLmBSTR& separator) const;
        void MakeUpper();
        void MakeLower();
        void MakeReverse();
        void Fill(wchar_t ch);
        void Trim();

    private:
        static BSTR Allocate(const wchar_t* text, int length);
        void Attach(BSTR text) noexcept;
        int TextLength() const noexcept;  // up to the first terminator

        BSTR m_str;
    };

    CLmBSTR operator+(const CLmBSTR& left, const CLmBSTR& right);
    CLmBSTR operator+(const CLmBSTR& left, const wchar_t* right);
    CLmBSTR operator+(const wchar_t* left, const CLmBSTR& right);
}
