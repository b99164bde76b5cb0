// Helpers shared by the preserved-zone tests.
#pragma once

#include <cstring>
#include <string>

#include "LmBSTR.h"
#include "LmPtr.h"
#include "VXPreservedZones.h"

namespace ZoneTest
{
    // Scans text held in a buffer of exactly its size, with no terminator after it, so
    // that a read past the end shows up under the address sanitizer.
    inline LmLib::CLmPtr<CVXPreservedZones> ZonesOf(const std::string& text, const wchar_t* fileName = L"Old.pas")
    {
        LmLib::CLmPtr<CVXPreservedZones> zones = CVXPreservedZones::Create(nullptr);
        std::shared_ptr<char[]> buffer(new char[text.size()]);
        std::memcpy(buffer.get(), text.data(), text.size());
        zones->LoadText(std::move(buffer), text.size(), fileName);
        return zones;
    }

    inline std::wstring Wide(const LmLib::Values::CLmBSTR& text)
    {
        return text.GetBSTR() ? std::wstring(text.GetBSTR(), static_cast<size_t>(text.Length())) : std::wstring();
    }

    // ASCII (and only ASCII) test text as a wide string.
    inline std::wstring Wide(const std::string& text)
    {
        return std::wstring(text.begin(), text.end());
    }
} // namespace ZoneTest
