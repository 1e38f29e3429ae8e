#include "OutputView.h"

#include "OutputList.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include <cmath>
#include <limits>

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
    FitRowHeight();
}

void OutputView::SetList(OutputList* list)
{
    m_list = list;
    setModel(list ? list->Model() : nullptr);
    QItemSelectionModel* made = selectionModel();
    if (list)
        setSelectionModel(list->Selection());
    // setModel made a selection model of its own that nobody uses any more.
    if (made && made != selectionModel() && made->parent() == this)
        delete made;
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
    // Advances are fractional; rounding one up before multiplying would not be enough.
    const qreal advance = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('W'));
    const qreal pixels = std::ceil(qreal(m_list->Model()->LongestLineLength()) * advance);
    return int(qMin<qreal>(pixels + 2 * TextMargin(), std::numeric_limits<int>::max()));
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

void OutputView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        FitRowHeight();
    QTableView::changeEvent(event);
}

void OutputView::FitRowHeight()
{
    const int height = fontMetrics().height() + 2;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}
