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

void DayResults::Start(const QString& folder, const QString& filter, const QDate& from,
                       const QDate& to, const QString& text)
{
    if (text.isEmpty())
        return;
    m_search.Abandon();
    Q_EMIT Started(folder, from, to);
    const DayFiles files = ChooseDayFiles(folder, filter, from, to);
    m_text = text;
    m_matches.clear();
    m_files = files.names.size();
    m_bytes = 0;
    for (const QString& name : files.names)
        m_bytes += QFileInfo(QDir(folder).filePath(name)).size();
    m_lstRows.Replace({});
    m_search.Start(folder, files, text);
}

void DayResults::Add(const DayBatch& batch)
{
    if (batch.matches)
        m_matches.append({m_lstRows.Count(), m_lstRows.Count() + batch.lines.size()});
    m_lstRows.Append(batch.lines);
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
