#pragma once

#include "job.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace tavelorn {

// The site number under which the maker's analytics counts the program whose original
// file name, upper-cased, is upperName; 0 when the program is not counted.
int usageSiteNumber(const QString& upperName);

// True when the user asked not to be counted: DO_NOT_TRACK is set to 1.
bool usageTrackingRefused();

// Sends anonymous usage hits: one request of the tracking address per call, nothing else
// of ours in it. Each hit is a Job on networkJobPool(), bounded in time like every
// download, so that a slow or silent server never delays the program; every failure is
// silent. Quitting the application, or destroying the object, stops the hits still
// running at once; destroying it waits for them.
class UsagePing
{
public:
    UsagePing();
    ~UsagePing();
    UsagePing(const UsagePing&) = delete;
    UsagePing& operator=(const UsagePing&) = delete;

    // Starts one hit and returns at once. Sends nothing when tracking is refused or the
    // running program's original file name is not in the site table.
    void sendUsageHit();
    // True when every hit started has ended.
    bool idle() const;

private:
    void cancel();
    QMetaObject::Connection m_quit;
    std::vector<std::unique_ptr<Job<void>>> m_hits;
};

} // namespace tavelorn
