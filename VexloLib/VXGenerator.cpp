#include "VXGenerator.h"

#include "LmBinaryFile.h"
#include "LmTranslate.h"
#include "VXPreservedZones.h"

#include <vxplat/Files.h>
#include <vxplat/Kernel.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;
using namespace LmLib::File;

CLmPtr<CVXGenerator> CVXGenerator::Create(const CLmBSTR& path, CLmPtr<CLmRefsObject> parent)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXGenerator>(parent, path);
    }
    LM_END_TRY
}

// Opened for reading only, and others may go on using the file: nothing is changed
// until ReplaceFile.
CVXGenerator::CVXGenerator(const CLmPtr<CLmRefsObject>& parent, const CLmBSTR& path)
    : CLmCustomTextFile(parent, path, LmAccessRead, LmShareAll, LmOpenExisting), m_Zones(this)
{
}

CVXGenerator::~CVXGenerator() = default;

bool CVXGenerator::Initialize(CLmPtr<CLmRefsObject> parent)
{
    LM_TRY
    {
        // The set has no owner: the generator holds it, and a link back would be a cycle.
        m_Zones = CVXPreservedZones::Create(nullptr);
        if (!CLmCustomTextFile::Initialize(parent))
            return true;
        // One allocation and one read; the zones point into this text.
        DWORD size = GetSize();
        if (size == INVALID_FILE_SIZE)
        {
            Close();
            return true;
        }
        std::shared_ptr<char[]> buffer(new char[static_cast<size_t>(size) + 1]());
        unsigned read = 0;
        bool ok = Read(buffer.get(), size, &read, nullptr);
        Close();
        if (!ok || read > size)
            return true;
        buffer[read] = '\0';
        m_Zones->LoadText(std::move(buffer), read, m_Path);
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXPreservedZones> CVXGenerator::GetZones() const
{
    LM_TRY
    {
        return CLmPtr<CVXPreservedZones>(m_Zones);
    }
    LM_END_TRY
}

CLmBSTR CVXGenerator::GetTemporaryPath(const CLmBSTR& path)
{
    LM_TRY
    {
        // The process and a count make the name unique among the writers of one folder.
        static std::atomic<unsigned> count{0};
        wchar_t unique[32];
        swprintf(unique, 32, L".%lx-%x.vxnew", static_cast<unsigned long>(GetCurrentProcessId()), count++);
        return path + unique;
    }
    LM_END_TRY
}

bool CVXGenerator::ReplaceFile(const CLmBSTR& text)
{
    LM_TRY
    {
        return ReplaceFile(text.GetBSTR() ? std::wstring_view(text.GetBSTR(), static_cast<size_t>(text.Length()))
                                          : std::wstring_view());
    }
    LM_END_TRY
}

bool CVXGenerator::ReplaceFile(std::wstring_view text)
{
    LM_TRY
    {
        const wchar_t* path = m_Path.GetBSTR() ? m_Path.GetBSTR() : L"";
        // A file that is there must be one we may write: renaming over a read-only file
        // would succeed on some systems and silently drop the protection.
        DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES)
        {
            if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
                return false;
            CLmPtr<CLmBinaryFile> probe = CLmBinaryFile::Create(nullptr, m_Path, LmAccessWrite, LmShareAll,
                                                                LmOpenExisting);
            if (probe.IsNull())
                return false;
            probe->Close();
        }

        // Created exclusively: never a file another writer has open, nor one left behind.
        CLmBSTR temporary;
        CLmPtr<CLmBinaryFile> output;
        for (int attempt = 0; attempt < 100 && output.IsNull(); ++attempt)
        {
            temporary = GetTemporaryPath(m_Path);
            output = CLmBinaryFile::Create(nullptr, temporary, LmAccessWrite, LmShareNone, LmCreateNew);
            DWORD error = output.IsNull() ? GetLastError() : ERROR_SUCCESS;
            if (output.IsNull() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
                error != ERROR_ACCESS_DENIED)
                return false;
        }
        if (output.IsNull())
            return false;
        std::string bytes = CLmBSTR::ToAnsi(text.data(), static_cast<int>(text.size()));
        unsigned count = static_cast<unsigned>(bytes.size());
        unsigned written = 0;
        bool ok = output->Write(bytes.data(), count, &written, nullptr) && written == count;
        // The new text must be on disk before it takes the old file's place.
        ok = ok && FlushFileBuffers(output->GetHandle()) != FALSE;
        output->Close();
        // An old file keeps its permissions, and a link to it stays a link.
        if (ok && attributes != INVALID_FILE_ATTRIBUTES)
            ok = ::ReplaceFileW(path, temporary.GetBSTR(), nullptr, 0, nullptr, nullptr) != FALSE;
        else if (ok)
            ok = MoveFileExW(temporary.GetBSTR(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
        if (!ok)
            DeleteFileW(temporary.GetBSTR());
        return ok;
    }
    LM_END_TRY
}
