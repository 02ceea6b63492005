#include "configwatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace tavelorn {

ConfigWatcher::ConfigWatcher(const QString& path, QObject* parent)
    : QObject(parent), m_path(path), m_seen(FileIdentity::of(path)),
      m_notifier(new QFileSystemWatcher(this)), m_poll(new QTimer(this))
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        m_notifier->addPath(folder);
    if (m_seen.exists)
        m_notifier->addPath(path);
    connect(m_notifier, &QFileSystemWatcher::fileChanged, this, &ConfigWatcher::check);
    connect(m_notifier, &QFileSystemWatcher::directoryChanged, this, &ConfigWatcher::check);
    connect(m_poll, &QTimer::timeout, this, &ConfigWatcher::check);
    m_poll->start(kPollMs);
}

ConfigWatcher::~ConfigWatcher() = default;

FileIdentity ConfigWatcher::current() const
{
    return FileIdentity::of(m_path);
}

void ConfigWatcher::check()
{
    const FileIdentity now = current();
    // A file renamed over the watched one ends its watch: watch the new one.
    if (now.exists && !m_notifier->files().contains(m_path))
        m_notifier->addPath(m_path);
    if (now != m_seen)
        emit changed();
}

} // namespace tavelorn
