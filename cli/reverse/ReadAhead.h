// Reads code files on a second thread while the reverse does other work. A reverse reads
// each edited file twice (the user's text and the generated one); the user's Delphi
// texts are known while generate's preview still runs, and the generated ones (a C#
// file: both, the second parsed again from the first one's tree) can be read while the
// files before them are compared. Without a second core nothing is read ahead.
#pragma once

#include "Declarations.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace VexloCli {

class ReadAhead {
public:
    // One text read, or two (the second text may be empty); or a C# parse kept to read
    // another version of the file from it.
    struct Result {
        VexloCode::CodeFile first, second;
        std::shared_ptr<const VexloCode::CSharpParse> parse;
    };
    using Reader = std::function<Result(const std::string& first, const std::string& second)>;

    ReadAhead();
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Queues the reading of texts under a key (the first one queued for a key counts).
    void Queue(const std::string& key, std::string first, std::string second, Reader reader);
    // What the reader made of exactly these texts: read here when the thread has not begun
    // them; nothing when no such texts were queued under the key. Rethrows the reader's error.
    std::optional<Result> Take(const std::string& key, const std::string& first, const std::string& second);

private:
    struct Job {
        std::string first, second;
        Reader reader;
        enum class State { Waiting, Running, Done } state = State::Waiting;
        Result result;
        std::exception_ptr error;
    };
    void Work();
    Job* NextWaiting(); // with the lock held
    static void Run(Job& job);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, Job> m_jobs;
    std::deque<std::string> m_waiting; // keys, in the order queued
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace VexloCli
