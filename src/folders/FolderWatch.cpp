#include "folders/FolderWatch.h"

#include <QDir>
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
    m_gone = false;
    if (folder.isEmpty())
        return;
    if (!QFileInfo(folder).isReadable() || !m_watcher.addPath(folder)) {
        WatchNearestAbove();
        return;
    }
    m_seen = QFileInfo(folder).lastModified();
    m_close = m_seen.msecsTo(QDateTime::currentDateTime()) < SameTickMs;
}

void FolderWatch::WatchNearestAbove()
{
    m_gone = true;
    QString above = QFileInfo(m_folder).absoluteFilePath();
    do
        above = QFileInfo(above).absolutePath();
    while (!QFileInfo(above).isDir() && above != QDir::rootPath());
    m_watcher.addPath(above);
}

void FolderWatch::Settled()
{
    // A folder that was removed is awaited from above from then on.
    if (m_gone || !QFileInfo(m_folder).isDir() || !m_watcher.directories().contains(m_folder)) {
        const bool wasGone = m_gone;
        Watch(m_folder);
        if (!(wasGone && m_gone))
            Q_EMIT NamesMayHaveChanged();
        return;
    }
    const QDateTime time = QFileInfo(m_folder).lastModified();
    if (time == m_seen && !m_close)
        return;
    m_seen = time;
    m_close = time.msecsTo(QDateTime::currentDateTime()) < SameTickMs;
    Q_EMIT NamesMayHaveChanged();
}
