// Files of the run's own scratch folder written on a second thread, so that the run goes
// on while the file system creates them (at hundreds of files, creating them takes as
// long as the rest of the old files' handling). A few texts wait at most; the first
// failure is kept and thrown by the next Write or by Finish, which waits for all.
// Without a second core each file is written at once.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace VexloCli {

class ScratchWriter {
public:
    ScratchWriter();
    ~ScratchWriter();
    ScratchWriter(const ScratchWriter&) = delete;
    ScratchWriter& operator=(const ScratchWriter&) = delete;

    // Creates the file's folders and writes it (unflushed). A file that cannot be written
    // makes a CliError (ExitHostError): `what` followed by the system's reason.
    void Write(std::wstring path, std::string text, std::wstring what);
    void Finish();

private:
    struct Job {
        std::wstring path, what;
        std::string text;
    };
    static std::wstring WriteNow(const Job& job); // "" or the error's message
    static std::wstring WriteAside(const Job& job); // the same, on the writer's thread
    void Work();
    void ThrowFailure();

    static constexpr size_t kWaiting = 4;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_busy = false, m_stop = false;
    std::wstring m_failure;
    std::thread m_thread;
};

} // namespace VexloCli
