#pragma once

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <QTimer>

#include <memory>

class QFontMetricsF;
class RuleSet;

namespace reading
{

class OutputList;

// The output window lstRows: one column without headers or grid, rows of one fixed height,
// whole-row extended selection, the system's fixed-width font at 9 points. Built for millions
// of lines: rows are measured only as they arrive, and only those that may be the widest.
// Tab and Shift+Tab leave the list instead of moving its current line. Marked lines are painted
// from the list's marks, the current line with a frame of its own; Ctrl+C copies the marked
// lines. While lines keep coming it is painted at most four times a second: the lines are in
// the list at once, and a line after a quiet spell, a new list or anything the user does with
// the view is painted at once.
class OutputView : public QTableView
{
    Q_OBJECT

public:
    explicit OutputView(QWidget* parent = nullptr);

    // Shows the list's lines; the list's marks become the view's selection model.
    void SetList(OutputList* list);
    OutputList* List() const { return m_list; }
    // How far the list scrolls sideways, in pixels; also past the widest column a header holds.
    void SetHorizontalExtent(int pixels);
    int Extent() const { return m_extent; }
    // How far a line past the column's end is painted to the left.
    int Shift() const { return m_shift; }
    // Width of the widest line as painted, tabs at their stops, margins and tag included.
    int LongestLinePixels() const;
    // Width of the folder tag before a tagged line; 0 while the list names no folders.
    int TagWidth() const { return m_tagWidth; }

    // Bringing a row into view leaves the sideways position alone: the column is far wider
    // than the window, and jumping back to its left edge on every new line would be a nuisance.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

    // The widest column the header can hold.
    int MaximumExtent() const;

    // Puts the marked lines on the clipboard; an empty list leaves the clipboard alone.
    void CopySelected();
    // A line brought into view is kept out from under this window (the search dialog) where
    // the rows it leaves free allow it.
    void KeepClearOf(QWidget* cover) { m_cover = cover; }
    // The rules whose colours paint the rows; none when null.
    void SetRules(std::shared_ptr<const RuleSet> rules);
    // The palette index of the row's colour, -1 for none. Asked only for painted rows, each
    // looked up once until the lines or the rules change.
    int RowColour(qsizetype row) const;

protected:
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void MarksChanged();
    void MoveOutFromUnder(const QModelIndex& index);
    void FitRowHeight();
    int TextMargin() const;
    void LinesReset();
    void LinesAdded(const QModelIndex& parent, int first, int last);
    void Measure(qsizetype first, qsizetype last);
    void MeasureTags(const QFontMetricsF& metrics);
    void LinesAppended(const QModelIndex& parent, int first, int last);
    void PaintHeld();

    OutputList* m_list = nullptr;
    qreal m_widest = 0; // text width of the widest line since the last reset
    QList<QMetaObject::Connection> m_listed;
    QPointer<QWidget> m_cover;
    int m_extent = 0;
    int m_shift = 0;
    int m_tagWidth = 0;
    QStringList m_tagsMeasured; // the folder descriptions m_tagWidth fits
    QTimer m_pace;              // runs while the lines painted last are recent
    bool m_held = false;
    bool m_scrollHeld = false;
    QPersistentModelIndex m_framed; // the row that shows the current line's frame while held
    // The first line appended since the last layout, when nothing else changed the lines.
    static constexpr qsizetype WholeLayout = -2;
    qsizetype m_appendedFrom = -1;
    std::shared_ptr<const RuleSet> m_rules;
    mutable QHash<qsizetype, int> m_colours; // by row, of rows painted since the last change
};

} // namespace reading
