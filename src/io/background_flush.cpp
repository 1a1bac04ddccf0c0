#include "io/background_flush.h"

#include <cerrno>
#include <system_error>

// The portable build leaves the whole flush to the writer's end.
#if (defined(__unix__) || defined(__APPLE__)) && !defined(VARNELO_PORTABLE_IO)
#include <unistd.h>
#define VARNELO_HAVE_FSYNC 1
#endif

namespace varnelo {

void BackgroundFlush::handedOver(std::uintmax_t bytes) {
#ifdef VARNELO_HAVE_FSYNC
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_handedOver = bytes;
        if (!m_started && bytes >= STEP) {
            // Small files never pay for a thread. Without one the final
            // flush does all the work, as it would anyway.
            m_started = true;
            try {
                m_thread = std::thread([this] { run(); });
            } catch (const std::system_error&) {
            }
        }
    }
    m_changed.notify_one();
#else
    (void)bytes;
#endif
}

int BackgroundFlush::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_one();
    if (m_thread.joinable()) m_thread.join();
    return m_error;
}

void BackgroundFlush::run() {
#ifdef VARNELO_HAVE_FSYNC
    std::uintmax_t flushed = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || m_handedOver - flushed >= STEP; });
        if (m_stopping) return;
        const std::uintmax_t target = m_handedOver;
        lock.unlock();
#ifdef __APPLE__
        const int result = ::fsync(m_fd);
#else
        const int result = ::fdatasync(m_fd);
#endif
        const int errorNumber = errno;
        lock.lock();
        if (result == 0) {
            flushed = target;
        } else if (errorNumber != EINTR) {
            // The first failure is the one to report; flushing on would only
            // repeat it.
            m_error = errorNumber;
            return;
        }
    }
#endif
}

}  // namespace varnelo
