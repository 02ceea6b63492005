#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <stop_token>
#include <type_traits>
#include <utility>

namespace tavelorn {

// The one way the programs run work off the calling thread: a function of a
// std::stop_token, run on a thread of a QThreadPool, its result (or the error it threw)
// delivered through a QFuture. cancel() asks the work to stop through its token; work
// that has not started when cancelled never runs. The Job owns its work: destroying it
// cancels the work and waits for it, so nothing the work captured outlives the Job.
//
// Work that waits (on the network, on a lock) wakes on the token through a
// std::stop_callback, so that a cancelled job ends at once.
template <typename T> class Job
{
public:
    Job() = default;
    ~Job()
    {
        cancel();
        wait();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Starts work(std::stop_token) -> T on pool. A job still running from an earlier
    // start is cancelled and waited for first.
    template <typename Work> void start(QThreadPool* pool, Work work)
    {
        cancel();
        wait();
        m_watcher.reset();
        m_stop = std::stop_source();
        auto promise = std::make_shared<QPromise<T>>();
        m_future = promise->future();
        promise->start();
        pool->start([promise, work = std::move(work), token = m_stop.get_token()]() mutable {
            if (token.stop_requested()) {
                promise->future().cancel();
            } else {
                try {
                    if constexpr (std::is_void_v<T>)
                        work(token);
                    else
                        promise->addResult(work(token));
                } catch (...) {
                    promise->setException(std::current_exception());
                }
            }
            promise->finish();
        });
    }

    // Calls done() on receiver's thread once the work of the last start() has ended,
    // unless the job was cancelled; nothing is called once receiver is gone. Call after
    // start().
    template <typename Done> void onFinished(QObject* receiver, Done done)
    {
        m_watcher = std::make_unique<QFutureWatcher<T>>();
        QFutureWatcher<T>* watcher = m_watcher.get();
        QObject::connect(watcher, &QFutureWatcherBase::finished, receiver,
                         [watcher, done = std::move(done)]() mutable {
                             if (!watcher->isCanceled())
                                 done();
                         });
        watcher->setFuture(m_future);
    }

    // Asks the running work to stop; work not yet started never runs.
    void cancel() { m_stop.request_stop(); }
    bool isRunning() const { return m_future.isValid() && !m_future.isFinished(); }
    // Blocks until the work has ended (at once when none was started).
    void wait()
    {
        if (m_future.isValid())
            m_future.waitForFinished();
    }
    // The result of work that has ended; rethrows what the work threw.
    T result() const requires(!std::is_void_v<T>) { return m_future.result(); }
    // The future of the last start().
    QFuture<T> future() const { return m_future; }

private:
    std::stop_source m_stop;
    QFuture<T> m_future;
    std::unique_ptr<QFutureWatcher<T>> m_watcher;
};

// The pool of the jobs that mostly wait on the network: a few threads apart from the
// application's global pool, so that a silent server never holds back computing work,
// and one hit that hangs never holds back another download.
QThreadPool* networkJobPool();

} // namespace tavelorn
