// Reads code files on a second thread while the reverse does other work. A reverse reads
// each edited file twice (the user's text and the generated one); the user's texts are
// known while generate's preview still runs, and the generated ones can be read while
// the files before them are compared. Without a second core nothing is read ahead.
#pragma once

#include "Declarations.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace VexloCli {

class ReadAhead {
public:
    using Reader = std::function<VexloCode::CodeFile(const std::string& text)>;

    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Queues the reading of a text under a key (the first one queued for a key counts).
    void Queue(const std::string& key, std::string text, Reader reader);
    // What the reader made of exactly this text: read here when the thread has not begun
    // it; nothing when no such text was queued under the key. Rethrows the reader's error.
    std::optional<VexloCode::CodeFile> Take(const std::string& key, const std::string& text);

private:
    struct Job {
        std::string text;
        Reader reader;
        enum class State { Waiting, Running, Done } state = State::Waiting;
        VexloCode::CodeFile result;
        std::exception_ptr error;
    };
    void Work();
    static void Run(Job& job);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, Job> m_jobs;
    std::deque<std::string> m_waiting; // keys, in the order queued
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace VexloCli
