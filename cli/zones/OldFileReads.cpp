#include "zones/OldFileReads.h"

#include "run/DurableFiles.h"

namespace VexloCli {

OldFileRead OldFileRead::Of(const std::wstring& path)
{
    OldFileRead read;
    read.identified = VxpIdentifyFile(path.c_str(), &read.identity);
    read.bytes = ReadWhole(path);
    read.error = read.bytes ? 0 : GetLastError();
    read.attributes = GetFileAttributesW(path.c_str());
    if (read.bytes) {
        read.print = PrintOf(*read.bytes);
        read.ends = TallyLineEnds(*read.bytes);
        read.nul = read.bytes->find('\0');
    }
    return read;
}

OldFileReads::OldFileReads(std::vector<std::wstring> paths) : m_paths(std::move(paths))
{
    if (std::thread::hardware_concurrency() > 1 && m_paths.size() > 1)
        m_thread = std::thread([this] { Work(); });
}

OldFileReads::~OldFileReads()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void OldFileReads::Work()
{
    VxpWorkerThread(); // a request to stop is handled where the run's files are written
    try {
        for (;;) {
            size_t next;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || m_started < m_taken + kAhead; });
                if (m_stop || m_started == m_paths.size())
                    return;
                next = m_started++;
            }
            OldFileRead read = OldFileRead::Of(m_paths[next]);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_ready.push_back(std::move(read));
            }
            m_changed.notify_all();
        }
    } catch (...) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = std::current_exception();
        m_stop = true;
        m_changed.notify_all();
    }
}

OldFileRead OldFileReads::Next()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const size_t index = m_taken;
    if (!m_thread.joinable()) {
        ++m_taken;
        lock.unlock();
        return OldFileRead::Of(m_paths.at(index));
    }
    m_changed.wait(lock, [&] { return !m_ready.empty() || m_error; });
    if (m_ready.empty())
        std::rethrow_exception(m_error);
    OldFileRead read = std::move(m_ready.front());
    m_ready.pop_front();
    ++m_taken;
    lock.unlock();
    m_changed.notify_all();
    return read;
}

} // namespace VexloCli
