#include "DayResults.h"

#include "reading/OutputList.h"

#include <QDir>
#include <QFileInfo>

namespace search
{

DayResults::DayResults(OutputList& lstRows, QObject* parent) : QObject(parent), m_lstRows(lstRows)
{
    connect(&m_search, &DaySearch::Found, this, &DayResults::Add);
    connect(&m_search, &DaySearch::Finished, this, &DayResults::End);
    connect(&m_search, &DaySearch::Progress, this, [this](qsizetype files, qint64 bytes) {
        Q_EMIT Progress(files, m_files, bytes, m_bytes);
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
    const qsizetype first = m_lstRows.Count();
    for (const qsizetype i : batch.matches)
        m_matches.append(first + i);
    m_lstRows.Append(batch.lines);
}

void DayResults::End(bool cancelled)
{
    m_lstRows.SelectLines(m_matches);
    Q_EMIT Finished(Counted(m_lstRows, m_text, m_matches.size(), m_matches.value(0, -1)),
                    cancelled);
}

} // namespace search
