#include "RunKeeper.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <map>

namespace
{
const QString Group = QStringLiteral("Runs");

// The runs of every configuration the state file holds, by key, as their saved text.
std::map<QString, QByteArray> ReadRuns(const QString& statePath)
{
    QSettings state(statePath, QSettings::IniFormat);
    state.beginGroup(Group);
    std::map<QString, QByteArray> runs;
    for (const QString& key : state.childKeys())
        runs[key] = QByteArray::fromBase64(state.value(key).toString().toLatin1());
    return runs;
}
} // namespace

RunKeeper::RunKeeper(const QString& statePath, const QString& iniPath)
    : m_statePath(statePath),
      m_key(QString::fromLatin1(
          QCryptographicHash::hash(QFileInfo(iniPath).absoluteFilePath().toUtf8(),
                                   QCryptographicHash::Sha1)
              .toHex()))
{
}

bool RunKeeper::Own()
{
    if (Owned())
        return true;
    QDir().mkpath(QFileInfo(m_statePath).path());
    m_lock = std::make_unique<QLockFile>(m_statePath + u'.' + m_key + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // held as long as the program runs; a dead owner's goes
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

bool RunKeeper::Saved(QByteArray& run, QString* error) const
{
    QFile file(m_statePath);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const auto runs = ReadRuns(m_statePath);
    const auto it = runs.find(m_key);
    run = it == runs.end() ? QByteArray() : it->second;
    return true;
}

QByteArray RunKeeper::Section() const
{
    std::map<QString, QByteArray> runs = ReadRuns(m_statePath);
    if (Owned()) {
        runs.erase(m_key);
        if (!m_run.isEmpty())
            runs[m_key] = m_run;
    }
    if (runs.empty())
        return {};
    QByteArray section = '[' + Group.toLatin1() + "]\n";
    for (const auto& [key, run] : runs)
        section += key.toLatin1() + '=' + run.toBase64() + '\n';
    return section;
}
