#include "orderedbatch.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tavelorn {

namespace {

enum class Stage : char
{
    Waiting,
    Rendered,
    Decided,
    Done
};

class Batch
{
public:
    Batch(qsizetype count, qsizetype ahead, const BatchSteps& steps)
        : m_count(count), m_ahead(std::max<qsizetype>(1, ahead)), m_steps(steps),
          m_stage(size_t(count), Stage::Waiting)
    {
    }

    ~Batch()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

    void start(int renderThreads, int writeThreads)
    {
        for (int i = 0; i < std::max(1, renderThreads); ++i)
            m_threads.emplace_back([this] { renderLoop(); });
        for (int i = 0; i < std::max(1, writeThreads); ++i)
            m_threads.emplace_back([this] { writeLoop(); });
    }

    // The caller's part: decide and report in item order as the workers get done.
    void run()
    {
        std::unique_lock lock(m_mutex);
        while (m_nextReport < m_count) {
            m_progress.wait(lock, [this] { return canDecide() || canReport(); });
            while (canDecide()) {
                const qsizetype i = m_nextDecide++;
                lock.unlock();
                bool write = false;
                try {
                    write = m_steps.decide(i);
                } catch (...) {
                    // Thrown when this item's turn to report comes: the items before it
                    // are written and reported first, as one after the other would be.
                    m_error = std::current_exception();
                    m_errorAt = i;
                }
                lock.lock();
                if (write) {
                    m_stage[size_t(i)] = Stage::Decided;
                    m_writes.push_back(i);
                } else {
                    m_stage[size_t(i)] = Stage::Done;
                }
                m_work.notify_all();
            }
            while (canReport()) {
                const qsizetype i = m_nextReport;
                if (i == m_errorAt)
                    std::rethrow_exception(m_error);
                lock.unlock();
                m_steps.report(i);
                lock.lock();
                ++m_nextReport;
                m_work.notify_all(); // one more item may be rendered ahead
            }
        }
    }

private:
    bool canDecide() const
    {
        return !m_error && m_nextDecide < m_count &&
               m_stage[size_t(m_nextDecide)] == Stage::Rendered;
    }
    bool canReport() const
    {
        return m_nextReport < m_nextDecide && m_stage[size_t(m_nextReport)] == Stage::Done;
    }

    void renderLoop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_work.wait(lock, [this] {
                return m_stop || m_nextRender >= m_count || m_nextRender < m_nextReport + m_ahead;
            });
            if (m_stop || m_nextRender >= m_count)
                return;
            const qsizetype i = m_nextRender++;
            lock.unlock();
            m_steps.render(i);
            lock.lock();
            m_stage[size_t(i)] = Stage::Rendered;
            m_progress.notify_one();
        }
    }

    void writeLoop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_work.wait(lock,
                        [this] { return m_stop || !m_writes.empty() || m_nextDecide >= m_count; });
            if (m_stop || m_writes.empty())
                return;
            const qsizetype i = m_writes.front();
            m_writes.pop_front();
            lock.unlock();
            m_steps.write(i);
            lock.lock();
            m_stage[size_t(i)] = Stage::Done;
            m_progress.notify_one();
        }
    }

    const qsizetype m_count;
    const qsizetype m_ahead;
    const BatchSteps& m_steps;
    std::mutex m_mutex;
    std::condition_variable m_work;     // workers wait for items
    std::condition_variable m_progress; // the caller waits for workers
    std::vector<Stage> m_stage;
    std::deque<qsizetype> m_writes;
    qsizetype m_nextRender = 0;
    qsizetype m_nextDecide = 0;
    qsizetype m_nextReport = 0;
    std::exception_ptr m_error;
    qsizetype m_errorAt = -1;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

} // namespace

void runOrderedBatch(qsizetype count, int renderThreads, int writeThreads, qsizetype ahead,
                     const BatchSteps& steps)
{
    if (count <= 0)
        return;
    // Declared before the threads start: its destructor stops and joins them whether run()
    // returns or throws.
    Batch batch(count, ahead, steps);
    batch.start(renderThreads, writeThreads);
    batch.run();
}

} // namespace tavelorn
