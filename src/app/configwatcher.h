#pragma once

#include "fileidentity.h"

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// Tells when Config.ini is no longer the file last seen. Change notifications on the file
// and on its folder (a save renames a new file over it) come at once on local disks; a
// timer compares the file's identity every PollMs as well, for network file systems
// that send none. changed() is emitted on each notice or tick while the file differs
// from the one last seen, until seen() records it.
class TConfigWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollMs = 400;

    // Records the file as it is now as seen.
    TConfigWatcher(const QString& path, QObject* parent);
    ~TConfigWatcher() override;

    // The identity of the file now.
    tavelorn::FileIdentity current() const;
    // Records identity (taken before the file was read) as seen.
    void seen(const tavelorn::FileIdentity& identity) { m_seen = identity; }

signals:
    void changed();

private:
    void check();

    QString m_path;
    tavelorn::FileIdentity m_seen;
    QFileSystemWatcher* m_notifier;
    QTimer* m_poll;
};
