#include "run/ScratchWriter.h"

#include "Console.h"
#include "run/RunFiles.h"

#include "vxplat/Durability.h"

namespace VexloCli {

ScratchWriter::ScratchWriter()
{
    if (std::thread::hardware_concurrency() > 1)
        m_thread = std::thread([this] { Work(); });
}

ScratchWriter::~ScratchWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::wstring ScratchWriter::WriteNow(const Job& job)
{
    if (CreateFolders(ParentFolder(job.path)) && WriteScratch(job.path, job.text))
        return std::wstring();
    return job.what + LastErrorText() + L"; nothing was written.";
}

// A request to stop removes the scratch folder: it waits for the file in progress here,
// and none is begun after it.
std::wstring ScratchWriter::WriteAside(const Job& job)
{
    if (!VxpBeginWorkerChange())
        return job.what + L"the run is being stopped; nothing was written.";
    std::wstring failure = WriteNow(job);
    VxpEndWorkerChange();
    return failure;
}

void ScratchWriter::Work()
{
    VxpWorkerThread();
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        m_changed.notify_all();
        std::wstring failure = WriteAside(job);
        lock.lock();
        m_busy = false;
        if (m_failure.empty())
            m_failure = std::move(failure);
        m_changed.notify_all();
    }
}

void ScratchWriter::ThrowFailure()
{
    if (!m_failure.empty())
        throw CliError(ExitHostError, m_failure);
}

void ScratchWriter::Write(std::wstring path, std::string text, std::wstring what)
{
    Job job{std::move(path), std::move(what), std::move(text)};
    if (!m_thread.joinable()) {
        m_failure = WriteNow(job);
        ThrowFailure();
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_jobs.size() < kWaiting || !m_failure.empty(); });
    ThrowFailure();
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_changed.notify_all();
}

void ScratchWriter::Finish()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return (m_jobs.empty() && !m_busy) || !m_failure.empty(); });
        m_stop = true;
    }
    // No thread of the run's outlives its work: the commit defers a request to stop on the
    // main thread only.
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    ThrowFailure();
}

} // namespace VexloCli
