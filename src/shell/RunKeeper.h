#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <memory>

// The follow run of one configuration file, kept in the state file between two starts under a
// key made from the configuration's path, so each configuration keeps its own run. Only the
// program that holds the configuration's lock (a lock file beside the state file, held while
// it runs) resumes and keeps that run: a second program started on the same configuration
// neither resumes it again nor replaces it.
class RunKeeper
{
public:
    RunKeeper(const QString& statePath, const QString& iniPath);

    // Takes the lock; false when another running program holds it.
    bool Own();
    bool Owned() const { return m_lock && m_lock->isLocked(); }
    // This configuration's saved run, as the state file holds it now; empty when there is
    // none. False, with `error` set, when the state file is there but cannot be read.
    bool Saved(QByteArray& run, QString* error) const;
    // The run to keep (empty: none); only an owner's counts.
    void Keep(const QByteArray& run) { m_run = run; }
    const QByteArray& Kept() const { return m_run; }
    // The state file's runs as the next save writes them: the other configurations' as the file
    // holds them now, this one's as kept.
    QByteArray Section() const;

private:
    QString m_statePath;
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QByteArray m_run;
};
