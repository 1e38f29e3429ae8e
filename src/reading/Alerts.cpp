#include "Alerts.h"

#include "FollowDisplay.h"
#include "OutputList.h"
#include "base/LogText.h"
#include "base/Notifier.h"
#include "base/Rules.h"

#include <QFileInfo>
#include <QSettings>

namespace reading
{

namespace
{
// What a notification shows of a line, in characters; a line's head of four bytes a
// character holds them in any encoding.
constexpr qsizetype BodyChars = 300;
constexpr qsizetype HeadBytes = 4096;
constexpr qsizetype KeptSources = 64;
constexpr int MaxSilence = 1440;
const char* const SilenceKey = "silenceMinutes";

QString Minutes(qint64 ms)
{
    const qint64 minutes = ms / 60000;
    return QString::number(minutes) +
           (minutes == 1 ? QStringLiteral(" minute") : QStringLiteral(" minutes"));
}
} // namespace

QString AlertBody(QByteArrayView line)
{
    // Only a head is decoded: a line of a megabyte costs what a short one does. A character cut
    // at the head's end is left out, so that valid UTF-8 stays readable as UTF-8.
    QByteArrayView head = line.first(qMin(line.size(), BodyChars * 4 + 4));
    for (int drop = 0; drop < 3 && head.size() < line.size() && !IsUtf8(head); ++drop)
        head.chop(1);
    if (!IsUtf8(head))
        head = line.first(qMin(line.size(), BodyChars * 4 + 4));
    QString text = DecodeLogLine(head);
    if (head.size() < line.size() || text.size() > BodyChars) {
        text.truncate(BodyChars);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
        text += QChar(0x2026);
    }
    return text.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"));
}

QString AlertSettingsPath()
{
    return QFileInfo(RulesPath()).absolutePath() + QStringLiteral("/alerts.ini");
}

int ReadSilenceMinutes(const QString& path)
{
    const QSettings settings(path, QSettings::IniFormat);
    return qBound(0, settings.value(QLatin1String(SilenceKey), 0).toInt(), MaxSilence);
}

bool SaveSilenceMinutes(const QString& path, int minutes)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QLatin1String(SilenceKey), qBound(0, minutes, MaxSilence));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

Alerts::Alerts(Notifier& notifier, FollowClock& clock, QObject* parent)
    : QObject(parent), m_notifier(notifier), m_clock(clock)
{
    notifier.OnUnshown([this](quint64 key) {
        if (!m_uncounted.remove(key))
            return;
        ++m_unseen;
        Q_EMIT UnseenChanged();
    });
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &Alerts::Tick);
}

void Alerts::SetSilenceMinutes(int minutes)
{
    m_silence = qBound(0, minutes, MaxSilence);
    Pace();
}

void Alerts::StartRun(const QStringList& folders)
{
    m_running = true;
    m_folders = folders;
    m_quiet = QList<Quiet>(qMax(folders.size(), qsizetype(1)), Quiet{m_clock.MonotonicMs()});
    Pace();
}

void Alerts::StopRun()
{
    m_running = false;
    m_quiet.clear();
    Pace();
}

QString Alerts::Folder(quint16 tag) const
{
    return m_folders.value(tag > 0 ? tag - 1 : 0);
}

void Alerts::Check(const RuleSet* rules, quint16 tag, const OutputBatch& lines)
{
    if (lines.size() == 0)
        return;
    const qint64 now = m_clock.MonotonicMs();
    const qsizetype index = tag > 0 ? tag - 1 : 0;
    if (index < m_quiet.size()) {
        Quiet* quiet = &m_quiet[index];
        if (std::exchange(quiet->said, false))
            Raise(Folder(tag) + QStringLiteral(": lines again after ") + Minutes(now - quiet->last),
                  QString());
        quiet->last = now;
    }
    if (!rules || !rules->HasAlerts())
        return;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines.Line(i);
        QStringList taken; // a rule written twice alerts once
        for (const Rule* rule : rules->AlertsOf(line)) {
            const QString key = RuleLine(*rule);
            if (taken.contains(key))
                continue;
            taken.append(key);
            Match(key, Folder(tag) + QStringLiteral(": ") + rule->text, line);
        }
    }
}

void Alerts::Match(const QString& rule, const QString& summary, QByteArrayView line)
{
    Held& held = m_held[rule];
    ++held.count;
    held.summary = summary;
    held.source = Source{line.first(qMin(line.size(), HeadBytes)).toByteArray(), line.size()};
    if (!held.raised || m_clock.MonotonicMs() - held.last >= m_limitMs)
        Flush(held);
    else
        Pace();
}

void Alerts::Flush(Held& held)
{
    QString body = AlertBody(held.source.head);
    if (held.count > 1)
        body += QStringLiteral("\nand %1 more").arg(held.count - 1);
    Raise(held.summary, body, &held.source);
    held.raised = true;
    held.last = m_clock.MonotonicMs();
    held.count = 0;
    held.source = {};
}

void Alerts::Raise(const QString& summary, const QString& body, const Source* source)
{
    const quint64 key = m_nextKey++;
    if (source) {
        m_sources.insert(key, *source);
        m_sources.remove(key - KeptSources);
    }
    if (m_active) {
        if (m_uncounted.size() >= KeptSources)
            m_uncounted.clear();
        m_uncounted.insert(key);
    } else {
        ++m_unseen;
        Q_EMIT UnseenChanged();
    }
    m_notifier.Notify(summary, body, key);
}

void Alerts::Tick()
{
    const qint64 now = m_clock.MonotonicMs();
    for (Held& held : m_held) {
        if (held.count > 0 && now - held.last >= m_limitMs)
            Flush(held);
    }
    for (qsizetype i = 0; m_silence > 0 && i < m_quiet.size(); ++i) {
        Quiet& quiet = m_quiet[i];
        if (quiet.said || now - quiet.last < qint64(m_silence) * 60000)
            continue;
        quiet.said = true;
        Raise(Folder(quint16(i + 1)) + QStringLiteral(": silent for ") + Minutes(now - quiet.last),
              QString());
    }
    Pace();
}

// The timer runs only while something may come of a tick.
void Alerts::Pace()
{
    bool held = false;
    for (const Held& h : std::as_const(m_held))
        held = held || h.count > 0;
    if (held || (m_running && m_silence > 0)) {
        if (!m_tick.isActive())
            m_tick.start();
    } else {
        m_tick.stop();
    }
}

void Alerts::SetActive(bool active)
{
    const bool activated = active && !m_active;
    m_active = active;
    if (activated && m_unseen > 0) {
        m_unseen = 0;
        Q_EMIT UnseenChanged();
    }
}

QString Alerts::Title(const QString& title) const
{
    return m_unseen > 0 ? QStringLiteral("(%1) ").arg(m_unseen) + title : title;
}

std::optional<Alerts::Source> Alerts::SourceOf(quint64 key) const
{
    const auto it = m_sources.constFind(key);
    return it == m_sources.cend() ? std::nullopt : std::optional<Source>(*it);
}

qsizetype Alerts::RowOf(const OutputList& list, const Source& source)
{
    for (qsizetype i = list.Count() - 1; i >= 0; --i) {
        const LineBytes line = list.Bytes(i);
        if (line.size() == source.size && line.startsWith(source.head))
            return i;
    }
    return -1;
}

} // namespace reading
