#include "usageping.h"

#include "download.h"
#include "programversion.h"
#include "webendpoints.h"

#include <QCoreApplication>

#include <algorithm>
#include <exception>

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
    } kSites[] = {
        {u"TAVELORN.EXE", 12},
    };
    for (const auto& row : kSites) {
        if (upperName == QStringView(row.name))
            return row.site;
    }
    return 0;
}

bool usageTrackingRefused()
{
    return qgetenv("DO_NOT_TRACK").trimmed() == "1";
}

UsagePing::UsagePing()
{
    // Quitting stops the hits still running, so that nothing waits for them.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_quit = QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { cancel(); });
}

UsagePing::~UsagePing()
{
    QObject::disconnect(m_quit);
    // Each job cancels and waits for its hit as it goes.
}

void UsagePing::cancel()
{
    for (auto& hit : m_hits)
        hit->cancel();
}

void UsagePing::sendUsageHit()
{
    if (usageTrackingRefused())
        return;
    // Forget the hits that have ended.
    std::erase_if(m_hits, [](const std::unique_ptr<Job<void>>& hit) { return !hit->isRunning(); });

    // Only the transfer leaves this thread: the name is read here, where reading the
    // executable's version information is safe.
    const int site = usageSiteNumber(programOriginalFileName().toUpper());
    if (site == 0)
        return;
    try {
        auto hit = std::make_unique<Job<void>>();
        hit->start(networkJobPool(), [url = usageTrackingUrl(site)](const std::stop_token& stop) {
            // Below the window's thread, so that on a busy machine a hit never slows the
            // start; the pool's thread keeps that priority for later downloads, which
            // wait on the network anyway.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
            static_cast<void>(download(url, stop)); // silent, as every failure of the hit
        });
        m_hits.push_back(std::move(hit));
    } catch (const std::exception&) {
        // No memory for the job: the hit is not sent.
    }
}

bool UsagePing::idle() const
{
    return std::none_of(m_hits.begin(), m_hits.end(),
                        [](const std::unique_ptr<Job<void>>& hit) { return hit->isRunning(); });
}

} // namespace tavelorn
