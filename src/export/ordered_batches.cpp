#include "export/ordered_batches.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace varnelo {

namespace {

// Batches each worker may have made ahead of the one being taken: enough
// that a worker rarely waits for the taker, few enough to stay small.
constexpr std::size_t SLOTS_PER_WORKER = 2;

struct Slot {
    std::unique_ptr<char[]> text;  // left uninitialised: pages are only paid for as text fills them
    char* end = nullptr;
    bool ready = false;
};

class Pipeline {
public:
    Pipeline(const BatchShape& shape, const FormatBatch& format)
        : m_shape(shape),
          m_format(format),
          m_batches((shape.items + shape.itemsPerBatch - 1) / shape.itemsPerBatch) {}

    bool run(const TakeBatch& take) {
        const std::size_t workers =
            std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::max<std::size_t>(m_batches, 1));
        m_slots.resize(std::min(m_batches, SLOTS_PER_WORKER * workers + 1));
        for (Slot& slot : m_slots) slot.text.reset(new char[m_shape.bytesPerBatch]);
        std::vector<std::thread> threads;
        for (std::size_t w = 0; w < workers; ++w) {
            try {
                threads.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // the calling thread makes whatever no worker claims
            }
        }
        // However taking ends, even by an exception, the workers stop and are joined.
        struct StopAndJoin {
            Pipeline& pipeline;
            std::vector<std::thread>& threads;
            ~StopAndJoin() {
                {
                    const std::lock_guard lock(pipeline.m_mutex);
                    pipeline.m_stop = true;
                }
                pipeline.m_free.notify_all();
                for (std::thread& thread : threads) thread.join();
            }
        } stopAndJoin{*this, threads};
        return takeAll(take);
    }

private:
    std::size_t first(std::size_t batch) const { return batch * m_shape.itemsPerBatch; }
    std::size_t last(std::size_t batch) const { return std::min(first(batch + 1), m_shape.items); }
    Slot& slotOf(std::size_t batch) { return m_slots[batch % m_slots.size()]; }

    // Formats a claimed batch with the lock released, then marks it ready.
    void make(std::size_t batch, std::unique_lock<std::mutex>& lock) {
        Slot& slot = slotOf(batch);
        lock.unlock();
        char* const end = m_format(first(batch), last(batch), slot.text.get());
        lock.lock();
        slot.end = end;
        slot.ready = true;
        m_ready.notify_one();  // only the taker waits for a batch
    }

    void work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            // A batch may start once the batch that last used its slot is taken.
            m_free.wait(lock, [this] {
                return m_stop || m_claimed >= m_batches || m_claimed < m_taken + m_slots.size();
            });
            if (m_stop || m_claimed >= m_batches) return;
            make(m_claimed++, lock);
        }
    }

    bool takeAll(const TakeBatch& take) {
        for (std::size_t batch = 0; batch < m_batches; ++batch) {
            Slot& slot = slotOf(batch);
            {
                std::unique_lock lock(m_mutex);
                if (m_claimed == batch) make(m_claimed++, lock);
                m_ready.wait(lock, [&slot] { return slot.ready; });
            }
            const std::string_view text(slot.text.get(), static_cast<std::size_t>(slot.end - slot.text.get()));
            const bool more = take(text, last(batch));
            {
                const std::lock_guard lock(m_mutex);
                slot.ready = false;
                m_taken = batch + 1;
                if (!more) m_stop = true;
            }
            // One slot came free, unless everything stops.
            if (more) {
                m_free.notify_one();
            } else {
                m_free.notify_all();
            }
            if (!more) return false;
        }
        return true;
    }

    const BatchShape m_shape;
    const FormatBatch& m_format;
    const std::size_t m_batches;
    std::vector<Slot> m_slots;

    std::mutex m_mutex;
    std::condition_variable m_ready;  // a batch was made: the taker may go on
    std::condition_variable m_free;   // a slot came free, or everything stops
    std::size_t m_claimed = 0;  // batches handed to a thread
    std::size_t m_taken = 0;    // batches the calling thread is done with
    bool m_stop = false;
};

}  // namespace

bool FormatInOrder(BatchShape shape, const FormatBatch& format, const TakeBatch& take) {
    if (shape.items == 0) return true;
    shape.itemsPerBatch = std::max<std::size_t>(shape.itemsPerBatch, 1);
    return Pipeline(shape, format).run(take);
}

}  // namespace varnelo
