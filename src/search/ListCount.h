#pragma once

#include "Search.h"
#include "base/Rules.h"
#include "reading/FollowedFile.h"

#include <QModelIndex>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace reading
{
class OutputList;
}

namespace search
{

// A count of the search dialog over the output list, made a slice at a time on the window's
// thread, so the window stays responsive over millions of lines. It covers the lines the list
// has when it starts; lines appended meanwhile are not searched and come in unmarked, as they
// would after the count, and lines the list drops meanwhile drop out of it. The marks change
// only at its end, so a cancelled count leaves them as they were. A new list (Tail, Clear, a
// search of days) cancels it.
class ListCount : public QObject
{
    Q_OBJECT

public:
    explicit ListCount(reading::OutputList& list, QObject* parent = nullptr);
    ~ListCount() override;

    // Counts as Press does, cancelling a count still running; the first slice runs at once. An
    // empty text or list does nothing. Returns the result when the count ended at once (or the
    // expression is invalid); while Running(), Progress and then Finished follow.
    std::optional<PressResult> Start(const QString& text, bool regex);
    bool Running() const { return m_running; }
    // Counts the rest at once.
    PressResult Finish();
    // Stops a running count, marks untouched; Cancelled follows.
    void Cancel();

Q_SIGNALS:
    void Progress(qsizetype done, qsizetype lines);
    void Finished(const search::PressResult& result);
    void Cancelled();

private:
    void Stop();
    void Next();
    bool Slice(bool whole); // true when every line is counted
    bool Matches(QByteArrayView line);
    bool GaveUp() const { return m_expression && m_expression->GaveUp(); }
    PressResult End();
    void LinesRemoved(const QModelIndex& parent, int first, int last);
    void LinesChanged(const QModelIndex& first);

    reading::OutputList& m_list;
    QString m_text;
    std::optional<LineMatcher> m_words;
    std::unique_ptr<ExpressionSearch> m_expression;
    std::vector<quint8> m_hits; // one a line the count covers
    qsizetype m_next = 0;
    bool m_running = false;
    reading::SliceBudget m_budget;
    QTimer m_slice;
};

} // namespace search
