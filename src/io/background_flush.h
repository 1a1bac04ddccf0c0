#pragma once
// Puts a file being written on the disk while it is still being written.
// Nearly all the cost of flushing a file is paid at the flush, whenever the
// data was handed over (a virtual disk saves its whole backlog then): a
// thread of its own flushes each new stretch as it is announced, so that
// the writer's final flush finds only the last stretch left.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace varnelo {

class BackgroundFlush {
public:
    explicit BackgroundFlush(int fd) : m_fd(fd) {}
    ~BackgroundFlush() { stop(); }
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // The first `bytes` of the file have been handed to the system.
    void handedOver(std::uintmax_t bytes);

    // Waits for a flush under way and stops. Returns the error number of
    // the first flush that failed, or 0: the system reports a write error
    // once only, so the writer's own final flush may no longer see it.
    int stop();

    // Stretches smaller than this wait for the next one or for the end.
    static constexpr std::uintmax_t STEP = std::uintmax_t{4} << 20;

private:
    void run();

    const int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uintmax_t m_handedOver = 0;
    bool m_stopping = false;
    bool m_started = false;
    int m_error = 0;
    std::thread m_thread;
};

}  // namespace varnelo
