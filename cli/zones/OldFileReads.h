// The old files of a run read on a second thread, in the order the run takes them, while
// the run works on the ones before: what needs only the bytes (their print, their line
// ends, where a NUL is) is found there too. A few files ahead at most, so that memory
// holds no more than a handful of old files at a time. Without a second core the run
// reads each file itself when it takes it.
#pragma once

#include "run/TextForm.h"
#include "run/TextHash.h"

#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace VexloCli {

struct OldFileRead {
    bool identified = false;
    VxpFileIdentity identity{}; // taken before the bytes
    std::optional<std::string> bytes;
    DWORD error = 0; // of the read, when it failed
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    TextPrint print;
    LineEndTally ends;
    size_t nul = std::string::npos; // the first NUL byte

    static OldFileRead Of(const std::wstring& path);
};

class OldFileReads {
public:
    explicit OldFileReads(std::vector<std::wstring> paths);
    ~OldFileReads();
    OldFileReads(const OldFileReads&) = delete;
    OldFileReads& operator=(const OldFileReads&) = delete;

    // The next file's reading, in the order given. Rethrows what the thread could not do.
    OldFileRead Next();

private:
    void Work();

    static constexpr size_t kAhead = 4;
    std::vector<std::wstring> m_paths;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<OldFileRead> m_ready; // read, not yet taken: files [m_taken, m_taken + size)
    size_t m_taken = 0;
    size_t m_started = 0; // files the thread has begun
    bool m_stop = false;
    std::exception_ptr m_error;
    std::thread m_thread;
};

} // namespace VexloCli
