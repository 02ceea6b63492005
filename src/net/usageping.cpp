#include "usageping.h"

#include "download.h"
#include "programversion.h"
#include "tempfile.h"
#include "webendpoints.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace tavelorn {

int usageSiteNumber(const QString& upperName)
{
    // The maker's programs by the original file name of their executables.
    static constexpr struct
    {
        char16_t name[16];
        int site;
    } sites[] = {
        {u"TAVELORN.EXE", 12},
    };
    for (const auto& row : sites) {
        if (upperName == QStringView(row.name))
            return row.site;
    }
    return 0;
}

bool usageTrackingRefused()
{
    return qgetenv("DO_NOT_TRACK").trimmed() == "1";
}

struct UsagePing::Hit
{
    DownloadCancel cancel;
    std::atomic<bool> done{false};
    std::thread thread;
};

UsagePing::UsagePing()
{
    // Quitting stops the hits still running, so that nothing waits for them.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_quit = QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { cancel(); });
}

UsagePing::~UsagePing()
{
    QObject::disconnect(m_quit);
    cancel();
    for (auto& hit : m_hits)
        hit->thread.join();
}

void UsagePing::cancel()
{
    for (auto& hit : m_hits)
        hit->cancel.cancel();
}

void UsagePing::sendUsageHit()
{
    if (usageTrackingRefused())
        return;
    // Forget the hits that have ended.
    std::erase_if(m_hits, [](const std::unique_ptr<Hit>& hit) {
        if (!hit->done.load())
            return false;
        hit->thread.join();
        return true;
    });

    // Only the transfer leaves this thread: the name is read here, where reading the
    // executable's version information is safe.
    const int site = usageSiteNumber(programOriginalFileName().toUpper());
    if (site == 0)
        return;
    m_hits.reserve(m_hits.size() + 1); // the push below cannot fail once the thread runs
    auto hit = std::make_unique<Hit>();
    Hit* h = hit.get();
    try {
        h->thread = std::thread([h, url = usageTrackingUrl(site)] {
            // Below the window's thread, so that on a busy machine it never slows the start.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
            try {
                const TempFile file(QStringLiteral(".tmp"));
                if (file.isValid())
                    downloadToFile(url, file.name(), &h->cancel);
            } catch (...) {
                // Silent, as every failure of the hit.
            }
            h->done.store(true);
        });
    } catch (const std::exception&) {
        return; // no thread to be had: the hit is not sent
    }
    m_hits.push_back(std::move(hit));
}

bool UsagePing::idle() const
{
    return std::all_of(m_hits.begin(), m_hits.end(),
                       [](const std::unique_ptr<Hit>& hit) { return hit->done.load(); });
}

} // namespace tavelorn
