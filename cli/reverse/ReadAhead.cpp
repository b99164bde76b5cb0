#include "ReadAhead.h"

#include "vxplat/Durability.h"

namespace VexloCli {

ReadAhead::ReadAhead()
{
    if (std::thread::hardware_concurrency() > 1)
        m_thread = std::thread([this] { Work(); });
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ReadAhead::Queue(const std::string& key, std::string first, std::string second, Reader reader)
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_jobs.count(key))
            return;
        Job& job = m_jobs[key];
        job.first = std::move(first);
        job.second = std::move(second);
        job.reader = std::move(reader);
        m_waiting.push_back(key);
    }
    m_changed.notify_all();
}

void ReadAhead::Run(Job& job)
{
    try {
        job.result = job.reader(job.first, job.second);
    } catch (...) {
        job.error = std::current_exception();
    }
}

void ReadAhead::Work()
{
    VxpWorkerThread(); // a request to stop is handled on the main thread, which defers it in a commit
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop)
            return;
        auto it = m_jobs.find(m_waiting.front());
        m_waiting.pop_front();
        if (it == m_jobs.end() || it->second.state != Job::State::Waiting)
            continue; // taken and read by the run itself
        Job& job = it->second;
        job.state = Job::State::Running;
        lock.unlock();
        Run(job);
        lock.lock();
        job.state = Job::State::Done;
        m_changed.notify_all();
    }
}

ReadAhead::Job* ReadAhead::NextWaiting()
{
    for (const std::string& key : m_waiting)
        if (auto it = m_jobs.find(key); it != m_jobs.end() && it->second.state == Job::State::Waiting)
            return &it->second;
    return nullptr;
}

std::optional<ReadAhead::Result> ReadAhead::Take(const std::string& key, const std::string& first,
                                                 const std::string& second)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = m_jobs.find(key);
    if (it == m_jobs.end() || it->second.first != first || it->second.second != second)
        return std::nullopt;
    Job& job = it->second;
    // While the thread reads this one, the next one waiting is read here.
    while (job.state != Job::State::Done) {
        Job* next = job.state == Job::State::Waiting ? &job : NextWaiting();
        if (!next) {
            m_changed.wait(lock);
            continue;
        }
        next->state = Job::State::Running;
        lock.unlock();
        Run(*next);
        lock.lock();
        next->state = Job::State::Done;
        m_changed.notify_all();
    }
    if (job.error)
        std::rethrow_exception(job.error);
    Result result = std::move(job.result);
    m_jobs.erase(it);
    return result;
}

} // namespace VexloCli
