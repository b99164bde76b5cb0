#include "LmCustomTextFile.h"

#include "LmTranslate.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace LmLib::File
{
    CLmCustomTextFile::CLmCustomTextFile(const CLmPtr<CLmRefsObject>& owner, const CLmBSTR& path,
                                         int desiredAccess, int shareMode, int creationDisposition)
        : CLmFile(owner, path, desiredAccess, shareMode, creationDisposition), m_Position(0), m_BlockSize(1024)
    {
    }

    CLmCustomTextFile::~CLmCustomTextFile() = default;

    CLmPtr<CLmCustomTextFile> CLmCustomTextFile::Create(CLmPtr<CLmRefsObject> owner, const CLmBSTR& path,
                                                        int desiredAccess, int shareMode, int creationDisposition)
    {
        LM_TRY
        {
            return LmCreateObject<CLmCustomTextFile>(owner, path, desiredAccess, shareMode, creationDisposition);
        }
        LM_END_TRY
    }

    CLmBSTR CLmCustomTextFile::ReadLine()
    {
        LM_TRY
        {
            std::vector<char> buffer(m_BlockSize + 1, '\0');
            unsigned read = 0;
            if (!Read(buffer.data(), m_BlockSize, &read, nullptr))
                return CLmBSTR();
            buffer[read] = '\0';
            const char* start = buffer.data();
            const char* end = start + read;
            const char* cr = std::find(start, end, '\r');
            if (cr == end || cr + 1 == end || cr[1] != '\n')
            {
                m_Position += read;
                return CLmBSTR();
            }
            m_Position += static_cast<DWORD>(cr + 1 - start) + 1;
            return CLmBSTR::FromAnsi(start, static_cast<int>(cr - start));
        }
        LM_END_TRY
    }

    void CLmCustomTextFile::WriteLine(CLmBSTR text)
    {
        LM_TRY
        {
            text += L"\r\n";
            std::string bytes = text.ToAnsi();
            // The count is the number of characters; pad so that it never reads past
            // the converted bytes.
            unsigned count = static_cast<unsigned>(text.Length());
            if (bytes.size() < count)
                bytes.resize(count, '\0');
            DWORD written = 0;
            WriteFile(m_Handle, bytes.data(), count, &written, nullptr);
        }
        LM_END_TRY
    }

    DWORD CLmCustomTextFile::GetPosition()
    {
        return m_Position;
    }

    void CLmCustomTextFile::SetPosition(DWORD position)
    {
        m_Position = position;
    }
}
