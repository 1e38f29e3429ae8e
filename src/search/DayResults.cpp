#include "DayResults.h"

#include "reading/OutputList.h"

#include <QDir>
#include <QFileInfo>

namespace search
{

DayResults::DayResults(reading::OutputList& lstRows, QObject* parent)
    : QObject(parent), m_lstRows(lstRows)
{
    connect(&m_search, &DaySearch::Found, this, &DayResults::Add);
    connect(&m_search, &DaySearch::Finished, this, &DayResults::End);
    connect(&m_search, &DaySearch::Progress, this,
            [this](qsizetype files, qint64 bytes, qint64 content) {
                Q_EMIT Progress(files, m_files, bytes, m_bytes, content);
            });
}

QList<DayFolder> DaySearchFolders(const QList<LogFolder>& selected, const DayFolder& listed)
{
    if (selected.size() < 2)
        return {listed};
    QList<DayFolder> folders;
    for (const LogFolder& folder : selected)
        folders.append({folder.Path, folder.Filter, folder.Name});
    return folders;
}

QString DayResults::Start(const QList<DayFolder>& folders, const QDate& from, const QDate& to,
                          const QString& text, bool regex)
{
    if (text.isEmpty() || folders.isEmpty())
        return {};
    if (const QString error = regex ? ExpressionError(text) : QString(); !error.isEmpty())
        return QStringLiteral("Invalid regular expression: ") + error;
    m_search.Abandon();
    const bool several = folders.size() > 1;
    QStringList names;
    for (const DayFolder& folder : folders)
        names << folder.name;
    Q_EMIT Started(several ? names.join(QStringLiteral(", ")) : folders.first().path, from, to);
    m_text = text;
    m_matches.clear();
    m_files = 0;
    m_bytes = 0;
    QList<DaySearch::FolderFiles> searched;
    for (const DayFolder& folder : folders) {
        const DayFiles files = ChooseDayFiles(folder.path, folder.filter, from, to);
        m_files += files.names.size();
        for (const QString& name : files.names)
            m_bytes += QFileInfo(QDir(folder.path).filePath(name)).size();
        searched.append({folder.path, files, quint16(several ? searched.size() + 1 : 0)});
    }
    m_lstRows.Replace({});
    m_lstRows.Model()->SetTagNames(several ? names : QStringList());
    m_search.Start(searched, text, regex);
    return {};
}

void DayResults::Add(const DayBatch& batch)
{
    if (batch.matches)
        m_matches.append({m_lstRows.Count(), m_lstRows.Count() + batch.lines.size()});
    m_lstRows.Append(batch.lines, batch.tag);
}

void DayResults::End(bool cancelled)
{
    qsizetype range = 0;
    const qsizetype marked =
        m_lstRows.Selection()->MarkWhere(m_lstRows.Count(), [&](qsizetype row) {
            while (range < m_matches.size() && m_matches[range].second <= row)
                ++range;
            return range < m_matches.size() && m_matches[range].first <= row;
        });
    const qsizetype first = m_matches.isEmpty() ? -1 : m_matches.first().first;
    Q_EMIT Finished(Counted(m_lstRows, m_text, marked, first), cancelled);
}

} // namespace search
