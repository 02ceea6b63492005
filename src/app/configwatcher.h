#pragma once

#include "fileidentity.h"

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace tavelorn {

// Tells when Config.ini is no longer the file last seen. Change notifications on the file
// and on its folder (a save renames a new file over it) come at once on local disks; a
// timer compares the file's identity every kPollMs as well, for network file systems
// that send none. changed() is emitted on each notice or tick while the file differs
// from the one last seen, until seen() records it.
class ConfigWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 400;

    // Records the file as it is now as seen.
    ConfigWatcher(const QString& path, QObject* parent);
    ~ConfigWatcher() override;

    // The identity of the file now.
    FileIdentity current() const;
    // Records identity (taken before the file was read) as seen.
    void seen(const FileIdentity& identity) { m_seen = identity; }

signals:
    void changed();

private:
    void check();

    QString m_path;
    FileIdentity m_seen;
    QFileSystemWatcher* m_notifier;
    QTimer* m_poll;
};

} // namespace tavelorn
