#include "job.h"

namespace tavelorn {

namespace {

// Threads that wait on sockets cost no processor: more than the cores, so that the
// usage hit and both About downloads never queue behind each other.
constexpr int kNetworkThreads = 4;

QThreadPool* makeNetworkPool()
{
    auto* pool = new QThreadPool;
    pool->setObjectName(QStringLiteral("network jobs"));
    pool->setMaxThreadCount(kNetworkThreads);
    return pool;
}

} // namespace

QThreadPool* networkJobPool()
{
    // Never destroyed: every Job waits for its own work, and a pool destroyed after the
    // application object would outlive the event dispatcher its threads were made under.
    static QThreadPool* const pool = makeNetworkPool();
    return pool;
}

} // namespace tavelorn
