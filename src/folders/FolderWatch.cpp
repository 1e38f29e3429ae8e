#include "folders/FolderWatch.h"

#include <QFileInfo>

namespace
{

// A folder's time moves in steps of the system's clock tick: two changes within one step
// share it, so names seen this soon after a change are looked at again at the next notice.
constexpr qint64 SameTickMs = 1000;

} // namespace

FolderWatch::FolderWatch(QObject* parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FolderWatch::Settled);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_settle.isActive())
            m_settle.start();
    });
}

void FolderWatch::Watch(const QString& folder)
{
    m_settle.stop();
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_folder = folder;
    if (!QFileInfo(folder).isReadable()) // also empty: nothing to watch
        return;
    m_watcher.addPath(folder);
    m_seen = QFileInfo(folder).lastModified();
    m_close = m_seen.msecsTo(QDateTime::currentDateTime()) < SameTickMs;
}

void FolderWatch::Settled()
{
    const QDateTime time = QFileInfo(m_folder).lastModified();
    if (time == m_seen && !m_close)
        return;
    m_seen = time;
    m_close = time.msecsTo(QDateTime::currentDateTime()) < SameTickMs;
    Q_EMIT NamesMayHaveChanged();
}
