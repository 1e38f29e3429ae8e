#include "OutputView.h"

#include "OutputList.h"
#include "base/LogText.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include <cmath>
#include <limits>

namespace
{

// Item views lay text out with the text layout's default tab stops, every 80 pixels at the
// standard 96 dots per inch, counted from the start of the text.
qreal TabStop(const QWidget* widget)
{
    return 80.0 * widget->logicalDpiY() / 96.0;
}

qreal PaintedWidth(QStringView text, qreal advance, qreal tabStop)
{
    qreal x = 0;
    for (const QChar c : text)
        x = c == u'\t' ? (std::floor(x / tabStop) + 1) * tabStop : x + advance;
    return x;
}

} // namespace

OutputView::OutputView(QWidget* parent) : QTableView(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The column is always wider than the window. A bar that came and went would change the
    // height under a line just scrolled into view and cut the newest line at the bottom.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    setFont(font);
    // Tab belongs to the window's focus chain: moving the current line with it would also
    // change the selection that Copy takes.
    setTabKeyNavigation(false);
    FitRowHeight();
}

void OutputView::SetList(OutputList* list)
{
    for (const QMetaObject::Connection& connection : m_listed)
        disconnect(connection);
    m_listed.clear();
    m_list = list;
    if (list) {
        m_listed << connect(list->Model(), &QAbstractItemModel::modelReset, this,
                            &OutputView::LinesReset)
                 << connect(list->Model(), &QAbstractItemModel::rowsInserted, this,
                            &OutputView::LinesAdded);
    }
    setModel(list ? list->Model() : nullptr);
    QItemSelectionModel* made = selectionModel();
    if (list)
        setSelectionModel(list->Selection());
    // setModel made a selection model of its own that nobody uses any more.
    if (made && made != selectionModel() && made->parent() == this)
        delete made;
    m_widest = 0;
    if (list)
        Measure(0, list->Count() - 1);
}

void OutputView::LinesReset()
{
    m_widest = 0;
    Measure(0, m_list->Count() - 1);
    // New lines start at their left edge, whatever line was scrolled sideways before.
    horizontalScrollBar()->setValue(0);
}

void OutputView::LinesAdded(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    Measure(first, last);
    if (LongestLinePixels() > columnWidth(0))
        SetHorizontalExtent(LongestLinePixels());
}

void OutputView::Measure(qsizetype first, qsizetype last)
{
    const qreal advance = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('W'));
    const qreal tabStop = TabStop(this);
    for (qsizetype i = first; i <= last; ++i) {
        const QByteArrayView bytes = m_list->Bytes(i);
        // A line has no more characters than bytes; a tab is at most one stop wide.
        const bool tabs = bytes.contains('\t');
        if (qreal(bytes.size()) * (tabs ? qMax(advance, tabStop) : advance) <= m_widest)
            continue;
        const qreal width = tabs ? PaintedWidth(DecodeLogLine(bytes), advance, tabStop)
                                 : qreal(DecodedLength(bytes)) * advance;
        m_widest = qMax(m_widest, width);
    }
}

void OutputView::SetHorizontalExtent(int pixels)
{
    setColumnWidth(0, qBound(0, pixels, MaximumExtent()));
}

int OutputView::MaximumExtent() const
{
    return horizontalHeader()->maximumSectionSize();
}

int OutputView::LongestLinePixels() const
{
    if (!m_list)
        return 0;
    // Wide glyphs of a fixed-width font reach past their cell: one more cell for the last one.
    const qreal cell = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('W'));
    const qreal pixels = std::ceil(m_widest + cell) + 2 * TextMargin();
    return int(qMin<qreal>(pixels, std::numeric_limits<int>::max()));
}

int OutputView::TextMargin() const
{
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

void OutputView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    // After new lines the scroll ranges are only updated on the next layout pass; without it
    // the bar would be set against the old, shorter range.
    executeDelayedItemsLayout();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

void OutputView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    // A count over a long list changes a hundred thousand ranges at once; finding which of them
    // are in view costs more than painting the few rows that are.
    if (selected.size() + deselected.size() > 64)
        viewport()->update();
    else
        QTableView::selectionChanged(selected, deselected);
}

void OutputView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        FitRowHeight();
        m_widest = 0;
        if (m_list)
            Measure(0, m_list->Count() - 1);
    }
    QTableView::changeEvent(event);
}

void OutputView::FitRowHeight()
{
    const int height = fontMetrics().height() + 2;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}
