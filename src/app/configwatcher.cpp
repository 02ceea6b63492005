#include "configwatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

using namespace tavelorn;

TConfigWatcher::TConfigWatcher(const QString& path, QObject* parent)
    : QObject(parent), m_path(path), m_seen(FileIdentity::of(path)),
      m_notifier(new QFileSystemWatcher(this)), m_poll(new QTimer(this))
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        m_notifier->addPath(folder);
    if (m_seen.exists)
        m_notifier->addPath(path);
    connect(m_notifier, &QFileSystemWatcher::fileChanged, this, &TConfigWatcher::check);
    connect(m_notifier, &QFileSystemWatcher::directoryChanged, this, &TConfigWatcher::check);
    connect(m_poll, &QTimer::timeout, this, &TConfigWatcher::check);
    m_poll->start(PollMs);
}

TConfigWatcher::~TConfigWatcher() = default;

FileIdentity TConfigWatcher::current() const
{
    return FileIdentity::of(m_path);
}

void TConfigWatcher::check()
{
    const FileIdentity now = current();
    // A file renamed over the watched one ends its watch: watch the new one.
    if (now.exists && !m_notifier->files().contains(m_path))
        m_notifier->addPath(m_path);
    if (now != m_seen)
        emit changed();
}
