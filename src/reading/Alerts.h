#pragma once

#include "OutputModel.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <optional>

class Notifier;
class RuleSet;

namespace reading
{

class FollowClock;
class OutputList;

// The body of an alert: the line as plain text, cut to a readable length with "…", its markup
// characters escaped, since the notification service may read the body as markup.
QString AlertBody(QByteArrayView line);

// Where the silence setting is kept: "alerts.ini" beside the rules file.
QString AlertSettingsPath();
int ReadSilenceMinutes(const QString& path);
// False when the file could not be written.
bool SaveSilenceMinutes(const QString& path, int minutes);

// Alerts while following: a line that an alert rule takes raises a notification, at most one
// per rule in each LimitMs, the next one saying how many more matched meanwhile; a followed
// file without a new line for the silence setting's minutes raises one, and its next lines
// another. Alerts raised while the window is not active are counted for its title.
class Alerts : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 LimitMs = 10000;
    // The line that raised a notification, as far as it is kept, to find it in the list.
    struct Source {
        QByteArray head; // its first bytes
        qsizetype size = 0;
    };

    Alerts(Notifier& notifier, FollowClock& clock, QObject* parent = nullptr);

    // One rule's notifications come at most this often (LimitMs unless set).
    void SetLimitMs(qint64 ms) { m_limitMs = ms; }
    // 0: silence is never said.
    void SetSilenceMinutes(int minutes);
    // A run begins over these folders (their descriptions, by tag from 1; one for a run of
    // one file, tag 0), or ends.
    void StartRun(const QStringList& folders);
    void StopRun();
    // Lines read from the file of the folder with `tag`, as read, whatever is shown of them.
    void Check(const RuleSet* rules, quint16 tag, const OutputBatch& lines);
    // Raises what the limit held back once it allows, and what silence calls for; a timer
    // calls it while either may come.
    void Tick();

    // The window's activation: an active window has seen every alert that a service showed; one
    // that none showed is counted until the window is next activated.
    void SetActive(bool active);
    int Unseen() const { return m_unseen; }
    // The window's title with the unseen alerts counted before it: "(3) Title".
    QString Title(const QString& title) const;
    std::optional<Source> SourceOf(quint64 key) const;
    // The row of the list that holds the source line, the newest such; -1 when it is gone.
    static qsizetype RowOf(const OutputList& list, const Source& source);

Q_SIGNALS:
    void UnseenChanged();

private:
    struct Held { // one rule's matches since its last notification
        qint64 last = 0;
        bool raised = false;
        qsizetype count = 0;
        QString summary;
        QString body;
        Source source;
    };
    struct Quiet { // one followed folder's silence
        qint64 last = 0;
        bool said = false;
    };
    void Match(const QString& rule, const QString& summary, QByteArrayView line);
    void Flush(Held& held);
    void Raise(const QString& summary, const QString& body, const Source* source = nullptr);
    QString Folder(quint16 tag) const;
    void Pace();

    Notifier& m_notifier;
    FollowClock& m_clock;
    qint64 m_limitMs = LimitMs;
    int m_silence = 0;
    bool m_running = false;
    bool m_active = true;
    int m_unseen = 0;
    quint64 m_nextKey = 1;
    QStringList m_folders;
    QList<Quiet> m_quiet;
    QHash<QString, Held> m_held;      // by rule
    QHash<quint64, Source> m_sources; // by key, the latest notifications'
    QSet<quint64> m_uncounted;        // raised while the window was active
    QTimer m_tick;
};

} // namespace reading
