#include "FollowDisplay.h"

#include "Alerts.h"
#include "AppendNewLines.h"
#include "base/Rules.h"

#include <QDir>
#include <QLocale>
#include <QScopeGuard>

namespace reading
{

namespace
{
// Lines first to last - 1 of a batch.
OutputBatch LinesOf(const OutputBatch& lines, qsizetype first, qsizetype last)
{
    OutputBatch part;
    for (qsizetype i = first; i < last; ++i)
        part.Add(lines.Line(i));
    return part;
}
} // namespace

QString StampText(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), time.simplified());
}

QString NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

QString FolderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QDir::separator()) + 1);
}

FollowDisplay::FollowDisplay(OutputList& lstRows, FollowWindow& window, FollowClock& clock,
                             const modMain::Settings& settings)
    : m_lstRows(lstRows), m_window(window), m_clock(clock), m_settings(settings)
{
}

void FollowDisplay::StartRun(const QStringList& folders)
{
    m_announced = false;
    m_lastDivider = -1;
    m_folders = folders;
    m_tag = 0;
    m_hidden = 0;
    m_lastHiddenNote = -1;
    m_lastOf = QStringList(folders.size() + 1);
    m_rowTags = {0};
    for (const QString& folder : folders)
        m_rowTags.append(m_lstRows.Model()->TagFor(folder));
    if (Alerts* alerts = m_window.Alerting())
        alerts->StartRun(folders.isEmpty() ? QStringList{m_window.FollowedName()} : folders);
    if (folders.isEmpty())
        return;
    ShowMarker(QStringLiteral("Following %1 folders").arg(folders.size()));
    m_announced = true;
}

void FollowDisplay::SetBound(qsizetype limit, qsizetype drop)
{
    m_limit = limit;
    m_drop = drop;
}

void FollowDisplay::ShowSlice(const QString& path, const OutputBatch& lines, const SliceRead& read)
{
    // The completing line takes the Tail's row, before this update's divider and whatever the
    // filter; where the row is gone it comes as a new line.
    if (read.completion && !m_lstRows.CompleteUnfinishedRow(path, *read.completion)) {
        OutputBatch all;
        all.Add(*read.completion);
        for (qsizetype i = 0; i < lines.size(); ++i)
            all.Add(lines.Line(i));
        ShowSlice(
            path, all,
            SliceRead{read.more, read.grew, {}, read.skipped, read.skippedAt + 1, read.window});
        return;
    }
    m_windowRead = read.window;
    const auto alertAgain = qScopeGuard([this] { m_windowRead = false; });
    if (Alerts* alerts = m_window.Alerting(); alerts && read.completion && !read.window) {
        OutputBatch completed; // in the Tail's row, yet written while followed
        completed.Add(*read.completion);
        alerts->Check(m_window.Rules(), m_tag, completed);
    }
    if (read.skipped <= 0) {
        ShowLines(path, lines);
        return;
    }
    ShowLines(path, LinesOf(lines, 0, read.skippedAt));
    ShowMarker(QString::number(read.skipped) + QStringLiteral(" bytes skipped"));
    ShowLines(path, LinesOf(lines, read.skippedAt, lines.size()));
}

QString FollowDisplay::Marker(const QString& what) const
{
    const QString folder =
        m_tag > 0 ? m_folders.value(m_tag - 1) + QStringLiteral(": ") : QString();
    return QStringLiteral("Current Time ") + StampText(m_clock.Now()) + u' ' + folder + what;
}

void FollowDisplay::ShowMarker(const QString& what)
{
    OutputBatch line;
    line.Add(Marker(what));
    m_lstRows.Append(line, m_rowTags.value(m_tag));
    m_lstRows.SetCurrent(m_lstRows.Count() - 1);
}

QString FollowDisplay::Heading(const QString& path) const
{
    // Lines of another file than the ones before them say where they come from; in a run over
    // several folders the tag names the folder, so only a folder's move to another of its files
    // is said.
    if (m_tag > 0) {
        const QString& last = m_lastOf.value(m_tag);
        return last.isEmpty() || last == path
                   ? QString()
                   : Marker(QStringLiteral("continued in ") + NameOf(path));
    }
    if (m_lstRows.Count() == 0 || m_lstRows.Source() == path)
        return {};
    return Marker((m_announced ? QStringLiteral("continued in ") : QStringLiteral("following ")) +
                  NameOf(path));
}

void FollowDisplay::ShowLines(const QString& path, const OutputBatch& lines)
{
    if (Alerts* alerts = m_window.Alerting(); alerts && !m_windowRead)
        alerts->Check(m_window.Rules(), m_tag, lines);
    // A busy log gets a divider block a poll interval, not one per read.
    const qint64 now = m_clock.MonotonicMs();
    const bool divider =
        m_settings.UseDividers &&
        (m_lastDivider < 0 || now - m_lastDivider >= m_settings.PollSeconds * 1000);
    const OutputBatch shown = Unhidden(lines);
    const QString note = shown.size() > 0 ? HiddenNote(divider) : QString();
    if (AppendNewLines(shown, m_window.FilterText(), divider,
                       divider ? StampText(m_clock.Now()) : QString(), m_lstRows, Heading(path),
                       m_rowTags.value(m_tag), note)) {
        m_lstRows.SetSource(m_tag > 0 ? QString() : path);
        if (m_tag > 0)
            m_lastOf[m_tag] = path;
        m_announced = true;
    }
    if (divider && lines.size() > 0 && m_window.FilterText() == QStringLiteral("*"))
        m_lastDivider = now;
    m_lstRows.Bound(m_limit, m_drop);
}

OutputBatch FollowDisplay::Unhidden(const OutputBatch& lines)
{
    const RuleSet* rules = m_window.Rules();
    if (!rules || !rules->HasHides())
        return lines;
    OutputBatch kept;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!rules->Hides(lines.Line(i)))
            kept.Add(lines.Line(i));
    m_hidden += lines.size() - kept.size();
    if (const QString notice = rules->TakeLimitNotice(); !notice.isEmpty())
        ShowMarker(notice);
    if (kept.size() == 0)
        HiddenNote(false); // said while nothing else comes
    return kept;
}

// How many lines a hide rule took: in the next divider block where blocks are written (the
// note, when `divider` is due now), otherwise in a marker line at most once a second.
QString FollowDisplay::HiddenNote(bool divider)
{
    if (m_hidden == 0)
        return {};
    const QString note = QString::number(m_hidden) +
                         (m_hidden == 1 ? QStringLiteral(" line") : QStringLiteral(" lines")) +
                         QStringLiteral(" hidden by rules");
    if (m_settings.UseDividers && m_window.FilterText() == QStringLiteral("*")) {
        if (divider)
            m_hidden = 0;
        return divider ? note : QString();
    }
    const qint64 now = m_clock.MonotonicMs();
    if (m_lastHiddenNote < 0 || now - m_lastHiddenNote >= 1000) {
        m_lastHiddenNote = now;
        m_hidden = 0;
        ShowMarker(note);
    }
    return {};
}

void FollowDisplay::ShowEndOf(const QString& path, const QByteArray& unfinished)
{
    OutputBatch rest;
    if (!unfinished.isEmpty())
        rest.Add(unfinished);
    ShowLines(path, rest);
    ShowMarker(QStringLiteral("no longer watching ") + NameOf(path));
}

} // namespace reading
