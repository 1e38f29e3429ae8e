#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when the names in a folder may have changed, from the folder's change notifications:
// a burst of them gives one signal ~200 ms after the first, and none when the folder's own
// time has stayed the same, since writing into a file of the folder changes the file, not the
// folder's list of names. A folder that goes is awaited from the nearest folder above it that
// exists, so one made again (a share remounted, a collector's folder recreated) is watched again.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatch(QObject* parent = nullptr);
    // Watches this folder from now on (empty: none); its names count as seen now.
    void Watch(const QString& folder);

    static constexpr int SettleMs = 200;

Q_SIGNALS:
    void NamesMayHaveChanged();

private:
    void Settled();
    void WatchNearestAbove();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_folder;
    QDateTime m_seen;     // the folder's time when its names were last seen
    bool m_close = false; // seen so soon after a change that another may share its time
    bool m_gone = false;  // the folder could not be watched; a folder above it is
};
