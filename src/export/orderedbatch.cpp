#include "orderedbatch.h"

#include "job.h"

#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
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

// Each render and each write is one Job on the pool of its kind; the caller starts the
// renders no further than `ahead` items past the last one reported, and a write once its
// item is decided.
class Batch
{
public:
    Batch(qsizetype count, int renderThreads, int writeThreads, qsizetype ahead,
          const BatchSteps& steps)
        : m_count(count), m_ahead(std::max<qsizetype>(1, ahead)), m_steps(steps),
          m_stage(size_t(count), Stage::Waiting),
          m_renders(std::make_unique<Job<void>[]>(size_t(count))),
          m_writes(std::make_unique<Job<void>[]>(size_t(count)))
    {
        m_renderPool.setMaxThreadCount(std::max(1, renderThreads));
        m_writePool.setMaxThreadCount(std::max(1, writeThreads));
    }

    ~Batch()
    {
        // Work not started yet never starts; then each job waits for its own work, and
        // the pools and the state the work uses outlive it.
        for (qsizetype i = 0; i < m_count; ++i) {
            m_renders[size_t(i)].cancel();
            m_writes[size_t(i)].cancel();
        }
        m_renders.reset();
        m_writes.reset();
    }

    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // The caller's part: decide and report in item order as the jobs get done.
    void run()
    {
        std::unique_lock lock(m_mutex);
        startRenders();
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
                    m_writes[size_t(i)].start(&m_writePool,
                                              [this, i](const std::stop_token&) noexcept {
                                                  m_steps.write(i);
                                                  finish(i, Stage::Done);
                                              });
                } else {
                    m_stage[size_t(i)] = Stage::Done;
                }
            }
            while (canReport()) {
                const qsizetype i = m_nextReport;
                if (i == m_errorAt)
                    std::rethrow_exception(m_error);
                lock.unlock();
                m_steps.report(i);
                lock.lock();
                ++m_nextReport;
                startRenders(); // one more item may be rendered ahead
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

    // With the lock held.
    void startRenders()
    {
        while (!m_error && m_nextRender < m_count && m_nextRender < m_nextReport + m_ahead) {
            const qsizetype i = m_nextRender++;
            m_renders[size_t(i)].start(&m_renderPool, [this, i](const std::stop_token&) noexcept {
                m_steps.render(i);
                finish(i, Stage::Rendered);
            });
        }
    }

    void finish(qsizetype i, Stage stage)
    {
        const std::lock_guard lock(m_mutex);
        m_stage[size_t(i)] = stage;
        m_progress.notify_one();
    }

    const qsizetype m_count;
    const qsizetype m_ahead;
    const BatchSteps& m_steps;
    std::mutex m_mutex;
    std::condition_variable m_progress; // the caller waits for the jobs
    std::vector<Stage> m_stage;
    qsizetype m_nextRender = 0;
    qsizetype m_nextDecide = 0;
    qsizetype m_nextReport = 0;
    std::exception_ptr m_error;
    qsizetype m_errorAt = -1;
    QThreadPool m_renderPool;
    QThreadPool m_writePool;
    std::unique_ptr<Job<void>[]> m_renders;
    std::unique_ptr<Job<void>[]> m_writes;
};

} // namespace

void runOrderedBatch(qsizetype count, int renderThreads, int writeThreads, qsizetype ahead,
                     const BatchSteps& steps)
{
    if (count <= 0)
        return;
    // Its destructor stops and waits for the jobs whether run() returns or throws.
    Batch batch(count, renderThreads, writeThreads, ahead, steps);
    batch.run();
}

} // namespace tavelorn
