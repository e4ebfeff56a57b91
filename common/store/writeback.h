#pragma once
// Steady write-out of a large file being written in one go (the database copies).
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zarvo {

/// While alive, asks the kernel every few milliseconds to start writing out the pages newly
/// written to a file. Without it a copy of a hundred megabytes sits in memory until its final
/// flush, and on a shared disk that one burst holds up every other commit (a punch's) until it
/// is written. A file that cannot be opened is simply left to the kernel.
class SteadyWriteBack {
public:
    explicit SteadyWriteBack(const QString &path, int everyMs = 20);
    ~SteadyWriteBack();
    SteadyWriteBack(const SteadyWriteBack &) = delete;
    SteadyWriteBack &operator=(const SteadyWriteBack &) = delete;

private:
    int m_fd = -1;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace zarvo
