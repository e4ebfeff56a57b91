#include "writeback.h"
#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace zarvo {

SteadyWriteBack::SteadyWriteBack(const QString &path, int everyMs)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
{
    if (m_fd < 0)
        return;
    m_thread = std::thread([this, everyMs] {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(everyMs), [this] { return m_stop; }))
            ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE); // starts the write-out, waits for none
    });
}

SteadyWriteBack::~SteadyWriteBack()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace zarvo
