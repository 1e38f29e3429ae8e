#include "OutputView.h"

#include "OutputAccessible.h"
#include "OutputList.h"
#include "base/LogText.h"
#include "base/Rules.h"

#include <QAccessible>
#include <QClipboard>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRawFont>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace reading
{

namespace
{

// Item views lay text out with the text layout's default tab stops, every 80 pixels at the
// standard 96 dots per inch, counted from the start of the text.
qreal TabStop(const QWidget* widget)
{
    return 80.0 * widget->logicalDpiY() / 96.0;
}

// Tabs move to their stops; every other character is as wide as the font paints it (a CJK
// character takes two cells of a fixed-width font).
qreal PaintedWidth(QStringView text, const QFontMetricsF& metrics, qreal tabStop)
{
    qreal x = 0;
    for (const QStringView piece : text.split(u'\t')) {
        if (piece.data() != text.data())
            x = (std::floor(x / tabStop) + 1) * tabStop;
        x += metrics.horizontalAdvance(piece.toString());
    }
    return x;
}

// A followed folder's colour: hues a golden angle apart, so that neighbouring tags differ most,
// pale on a light list and deep on a dark one, so the list's own text reads on each.
QColor TagColour(quint16 tag, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Active, QPalette::Base).lightnessF() < 0.5;
    const float hue = std::fmod(float(tag - 1) * 0.381966F, 1.0F);
    return QColor::fromHslF(hue, dark ? 0.5F : 0.75F, dark ? 0.3F : 0.82F);
}

// The glyphs of the printable ASCII characters of a font, each at the advance of the one
// before, as the text engine places them in a fixed-width font without ligatures or kerning: a
// line of only those is drawn without shaping it. Whether the font places them so is checked
// once, against the engine's own placement of every character and the pairs that fonts made
// for code join.
class AsciiGlyphs
{
public:
    // Draws `text` with its baseline starting at `at`; false, drawing nothing, when a character
    // is not printable ASCII or the painter's font does not place them so.
    bool Draw(QPainter* painter, QPointF at, QStringView text)
    {
        if (!m_prepared || painter->font() != m_font)
            Prepare(painter->font());
        if (!m_usable)
            return false;
        QList<quint32> glyphs(text.size());
        QList<QPointF> positions(text.size());
        qreal x = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c < First || c > Last)
                return false;
            glyphs[i] = m_glyphs[c - First];
            positions[i] = QPointF(x, 0);
            x += m_advances[c - First];
        }
        QGlyphRun run;
        run.setRawFont(m_raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter->drawGlyphRun(at, run);
        return true;
    }

private:
    static constexpr char16_t First = 0x20, Last = 0x7e;

    void Prepare(const QFont& font)
    {
        m_prepared = true;
        m_font = font;
        m_raw = QRawFont::fromFont(font);
        QString all;
        for (char16_t c = First; c <= Last; ++c)
            all += QChar(c);
        m_glyphs = m_raw.glyphIndexesForString(all);
        m_advances.clear();
        for (const QPointF& advance : m_raw.advancesForGlyphIndexes(m_glyphs))
            m_advances.push_back(advance.x());
        m_usable = m_glyphs.size() == all.size() && !m_glyphs.contains(0) &&
                   PlacedAsShaped(all + QStringLiteral(" fi ffl -> => != == <= >= :: www ***"));
    }

    bool PlacedAsShaped(const QString& sample) const
    {
        QTextLayout layout(sample, m_font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.size() != 1 || runs[0].glyphIndexes().size() != sample.size())
            return false;
        const QList<QPointF> placed = runs[0].positions();
        qreal x = placed[0].x();
        for (qsizetype i = 0; i < sample.size(); ++i) {
            const qsizetype c = sample[i].unicode() - First;
            if (runs[0].glyphIndexes()[i] != m_glyphs[c] || placed[i].x() != x)
                return false;
            x += m_advances[c];
        }
        return true;
    }

    bool m_prepared = false;
    bool m_usable = false;
    QFont m_font;
    QRawFont m_raw;
    QList<quint32> m_glyphs;
    QList<qreal> m_advances;
};

// Paints a line as selected from its mark, and the current line with a frame that shows also
// while another window has the focus, in a colour that stands out from the marked lines. A
// line of a followed folder starts with the folder's tag.
class MarkDelegate : public QStyledItemDelegate
{
public:
    explicit MarkDelegate(OutputView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shown(option);
        // A line longer than a column can be is painted on past its end.
        if (m_view->Extent() > option.rect.width() || m_view->Shift() > 0)
            shown.rect.setCoords(option.rect.left() - m_view->Shift(), option.rect.top(),
                                 option.rect.left() - m_view->Shift() + m_view->Extent(),
                                 option.rect.bottom());
        const bool marked = m_view->List() && m_view->List()->IsSelected(index.row());
        const int colour = marked ? -1 : m_view->RowColour(index.row());
        const quint16 tag = m_view->TagWidth() > 0 ? m_view->List()->Model()->Tag(index.row()) : 0;
        shown.rect.setLeft(shown.rect.left() + (tag > 0 ? m_view->TagWidth() : 0));
        if (marked) {
            shown.state.setFlag(QStyle::State_Selected, true);
            shown.state.setFlag(QStyle::State_HasFocus, false);
            QStyledItemDelegate::paint(painter, shown, index);
        } else if (colour >= 0) {
            const RuleColour ruled = RuleColours()[colour];
            painter->fillRect(option.rect, QColor(QRgb(ruled.background)));
            PaintPlain(painter, shown, index, QColor(QRgb(ruled.foreground)));
        } else {
            PaintPlain(painter, shown, index,
                       option.palette.color(QPalette::Active, QPalette::Text));
        }
        if (tag > 0)
            PaintTag(painter, option, index.row(), tag);
        if (index != m_view->currentIndex())
            return;
        const QPalette& colours = option.palette;
        painter->save();
        // On a coloured row the frame takes the row's text colour, which reads on it.
        painter->setPen(QPen(marked        ? colours.color(QPalette::Active, QPalette::Text)
                             : colour >= 0 ? QColor(QRgb(RuleColours()[colour].foreground))
                                           : colours.color(QPalette::Active, QPalette::Highlight),
                             2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }

private:
    // A line without a mark, the most painted kind: its text as the style lays it out, without
    // the style's item layout around it. A line without tabs is one run of text, drawn at the
    // baseline the layout would give it without laying it out.
    void PaintPlain(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    const QColor& ink) const
    {
        const int margin =
            m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
        const QRectF box = QRectF(option.rect).adjusted(margin, 0, -margin, 0);
        const QString text = index.data().toString();
        painter->save();
        painter->setFont(option.font);
        painter->setPen(ink);
        if (text.contains(u'\t')) {
            QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
            layout.setWrapMode(QTextOption::NoWrap);
            layout.setTabStopDistance(TabStop(m_view));
            painter->drawText(box, text, layout);
        } else {
            const QFontMetricsF metrics(option.font);
            const qreal height = std::ceil(metrics.ascent() + metrics.descent());
            const QPointF at(box.left(),
                             box.top() + (box.height() - height) / 2 + metrics.ascent());
            if (!m_ascii.Draw(painter, at, text))
                painter->drawText(at, text);
        }
        painter->restore();
    }

    // The tag stays at the list's left edge while the line scrolls sideways under it.
    void PaintTag(QPainter* painter, const QStyleOptionViewItem& option, qsizetype row,
                  quint16 tag) const
    {
        const QRect box(qMax(0, option.rect.left()), option.rect.top(), m_view->TagWidth(),
                        option.rect.height());
        const int margin =
            m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
        const QRect text = box.adjusted(margin, 0, -2 * margin, 0);
        painter->save();
        painter->fillRect(box.adjusted(0, 1, -margin, -1), TagColour(tag, option.palette));
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
        painter->drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(option.font)
                .elidedText(m_view->List()->Model()->TagName(row), Qt::ElideRight, text.width()));
        painter->restore();
    }

    OutputView* m_view;
    mutable AsciiGlyphs m_ascii;
};

// A scroll bar that paints from an image of its last look while that stays the same: a
// followed list lays its bars out at every paint while the handle stays at the bottom, and the
// style's painting of a bar costs more than the new rows.
class SteadyScrollBar : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (underMouse() || isSliderDown()) { // hovered or pressed parts are the style's
            m_look = {};
            QScrollBar::paintEvent(event);
            return;
        }
        QStyleOptionSlider option;
        initStyleOption(&option);
        option.subControls = QStyle::SC_All;
        const Look now{size(),
                       style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                               QStyle::SC_ScrollBarSlider, this),
                       int(option.state),
                       value() > minimum(),
                       value() < maximum(),
                       palette().cacheKey(),
                       devicePixelRatio(),
                       style()};
        if (now != m_look) {
            m_look = now;
            Look ground = now;
            std::get<QRect>(ground) = QRect();
            if (ground != m_groundLook) {
                m_groundLook = ground;
                m_ground = QPixmap(size() * devicePixelRatio());
                m_ground.setDevicePixelRatio(devicePixelRatio());
                m_ground.fill(Qt::transparent);
                Draw(&m_ground, option, ~QStyle::SubControls(QStyle::SC_ScrollBarSlider));
            }
            m_image = m_ground;
            // The arrows' edges go over the handle's.
            Draw(&m_image, option,
                 QStyle::SC_ScrollBarSlider | QStyle::SC_ScrollBarAddLine |
                     QStyle::SC_ScrollBarSubLine);
        }
        QPainter(this).drawPixmap(0, 0, m_image);
    }

private:
    void Draw(QPixmap* image, QStyleOptionSlider option, QStyle::SubControls parts) const
    {
        option.subControls = parts;
        QPainter painter(image);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    }

    using Look = std::tuple<QSize, QRect, int, bool, bool, qint64, qreal, const QStyle*>;
    Look m_look;
    QPixmap m_image;
    // The bar without its handle: a handle that moves or shrinks is drawn over a copy of it,
    // since the raster engine hands the fill of a long groove to Qt's thread pool, which wakes
    // its threads.
    Look m_groundLook;
    QPixmap m_ground;
};

} // namespace

OutputView::OutputView(QWidget* parent) : QTableView(parent)
{
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal));
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, SIGNAL(valueChanged(int)), this,
                bar == verticalScrollBar() ? SLOT(verticalScrollbarValueChanged(int))
                                           : SLOT(horizontalScrollbarValueChanged(int)),
                Qt::UniqueConnection);
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
    setItemDelegate(new MarkDelegate(this));
    InstallOutputAccessible();
    FitRowHeight();
    m_pace.setSingleShot(true);
    m_pace.setInterval(250);
    connect(&m_pace, &QTimer::timeout, this, [this] {
        if (m_held) { // lines came meanwhile: painted now, and the next wait for this long
            PaintHeld();
            m_pace.start();
        }
    });
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QAbstractSlider::sliderMoved, this, &OutputView::PaintHeld);
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
                            &OutputView::LinesAppended)
                 << connect(list->Model(), &QAbstractItemModel::rowsRemoved, this,
                            [this] {
                                m_appendedFrom = WholeLayout;
                                m_colours.clear();
                            })
                 << connect(list->Selection(), &OutputMarks::MarksChanged, this,
                            &OutputView::MarksChanged)
                 // A Tail's unfinished last line completed in place may be the widest.
                 << connect(list->Model(), &QAbstractItemModel::dataChanged, this,
                            [this](const QModelIndex& from, const QModelIndex& to) {
                                m_colours.clear();
                                LinesAdded(QModelIndex(), from.row(), to.row());
                            });
    }
    setModel(list ? list->Model() : nullptr);
    QItemSelectionModel* made = selectionModel();
    if (list)
        setSelectionModel(list->Selection());
    // setModel made a selection model of its own that nobody uses any more.
    if (made && made != selectionModel() && made->parent() == this)
        delete made;
    m_widest = 0;
    m_colours.clear();
    if (list)
        Measure(0, list->Count() - 1);
}

void OutputView::SetRules(std::shared_ptr<const RuleSet> rules)
{
    m_rules = rules && rules->HasColours() ? std::move(rules) : nullptr;
    m_colours.clear();
    viewport()->update();
}

int OutputView::RowColour(qsizetype row) const
{
    if (!m_rules || !m_list)
        return -1;
    if (m_colours.size() > 4096) // more than any screen shows: rows scrolled away go
        m_colours.clear();
    const auto known = m_colours.constFind(row);
    if (known != m_colours.constEnd())
        return *known;
    const LineBytes bytes = m_list->Bytes(row);
    return m_colours[row] = m_rules->ColourOf(bytes);
}

void OutputView::LinesReset()
{
    m_appendedFrom = WholeLayout;
    m_colours.clear();
    PaintHeld();
    m_widest = 0;
    Measure(0, m_list->Count() - 1);
    SetHorizontalExtent(LongestLinePixels()); // an emptied list does not scroll
    // New lines start at their left edge, whatever line was scrolled sideways before.
    horizontalScrollBar()->setValue(0);
}

void OutputView::LinesAdded(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    Measure(first, last);
    if (LongestLinePixels() > m_extent)
        SetHorizontalExtent(LongestLinePixels());
}

// Painting, not adding lines, is what following costs. Lines below the others leave the
// painted rows as they are, and lines that come soon after painted ones wait for the rest of a
// quarter second: meanwhile nothing visible changes (the scroll bars keep their ranges, the
// current line keeps its frame and the newest line is not brought into view).
void OutputView::LinesAppended(const QModelIndex& parent, int first, int last)
{
    LinesAdded(parent, first, last);
    if (m_appendedFrom != WholeLayout)
        m_appendedFrom = m_appendedFrom < 0 ? first : qMin<qsizetype>(m_appendedFrom, first);
    if (!m_pace.isActive())
        m_pace.start();
    else
        m_held = true;
}

void OutputView::PaintHeld()
{
    if (!std::exchange(m_held, false))
        return;
    if (m_framed.isValid())
        update(std::exchange(m_framed, {}));
    if (m_appendedFrom >= 0)
        doItemsLayout();
    if (std::exchange(m_scrollHeld, false))
        scrollTo(currentIndex());
}

void OutputView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (!m_held || QAccessible::isActive()) {
        QTableView::currentChanged(current, previous);
        return;
    }
    // The row painted with the frame loses it with the next paint.
    if (!m_framed.isValid())
        m_framed = previous;
    m_scrollHeld = true;
}

void OutputView::doItemsLayout()
{
    if (m_appendedFrom < 0 || m_appendedFrom == WholeLayout) {
        m_appendedFrom = -1;
        QTableView::doItemsLayout();
        return;
    }
    if (m_held) // with the next paint
        return;
    const qsizetype from = std::exchange(m_appendedFrom, -1);
    // A list scrolled to its end keeps its last row at the bottom; once rows are added below,
    // its rows line up with the top again, which moves the painted rows by part of a row. When
    // the new rows alone fill the list, they are about to be scrolled in: nothing is moved.
    const int offset = verticalHeader()->offset();
    updateGeometries();
    const int moved = offset - verticalHeader()->offset();
    if (moved != 0 && (m_list->Count() - from) * rowHeight(0) >= viewport()->height())
        viewport()->update();
    else if (moved != 0)
        viewport()->scroll(0, moved);
    const int top = qMax(0, rowViewportPosition(int(from)));
    if (top < viewport()->height())
        viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

void OutputView::Measure(qsizetype first, qsizetype last)
{
    const QFontMetricsF metrics(font());
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('W'));
    const qreal tabStop = TabStop(this);
    MeasureTags(metrics);
    OutputModel::LineReader lines(*m_list->Model());
    for (qsizetype i = first; i <= last; ++i) {
        const QByteArrayView bytes = lines.At(i);
        const qreal tag = m_tagWidth > 0 && m_list->Model()->Tag(i) > 0 ? m_tagWidth : 0;
        // A line has no more characters than bytes; a tab is at most one stop wide.
        const bool tabs = bytes.contains('\t');
        if (tag + qreal(bytes.size()) * (tabs ? qMax(advance, tabStop) : advance) <= m_widest)
            continue;
        const qreal width =
            tag + (tabs || !IsAscii(bytes) ? PaintedWidth(DecodeLogLine(bytes), metrics, tabStop)
                                           : qreal(bytes.size()) * advance);
        m_widest = qMax(m_widest, width);
    }
}

// The tag column is as wide as the longest folder description, up to 16 characters.
void OutputView::MeasureTags(const QFontMetricsF& metrics)
{
    if (m_list->Model()->TagNames() == m_tagsMeasured) // the same list compares at once
        return;
    m_tagsMeasured = m_list->Model()->TagNames();
    qreal widest = 0;
    for (const QString& name : m_list->Model()->TagNames())
        widest = qMax(widest, metrics.horizontalAdvance(name));
    const qreal most = 16 * metrics.horizontalAdvance(QLatin1Char('W'));
    m_tagWidth = widest > 0 ? int(std::ceil(qMin(widest, most))) + 3 * TextMargin() : 0;
}

void OutputView::SetHorizontalExtent(int pixels)
{
    // A column holds at most MaximumExtent() pixels; a longer line scrolls on past it, painted
    // shifted by the delegate.
    m_extent = qMax(0, pixels);
    setColumnWidth(0, qMin(m_extent, MaximumExtent()));
    updateGeometries();
}

void OutputView::updateGeometries()
{
    QTableView::updateGeometries();
    if (m_extent > columnWidth(0))
        horizontalScrollBar()->setRange(0, qMax(0, m_extent - viewport()->width()));
}

void OutputView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    const int value = horizontalScrollBar()->value();
    const int shift = qMax(0, value - qMax(0, columnWidth(0) - viewport()->width()));
    if (shift > 0 || m_shift > 0) {
        m_shift = shift;
        horizontalHeader()->setOffset(value - shift);
        viewport()->update();
    } else if (dx != 0 && m_tagWidth > 0) { // the tags stay where they are
        viewport()->update();
    }
}

int OutputView::MaximumExtent() const
{
    return horizontalHeader()->maximumSectionSize();
}

int OutputView::LongestLinePixels() const
{
    if (!m_list || m_list->Count() == 0)
        return 0;
    const qreal pixels = std::ceil(m_widest) + 2 * TextMargin();
    return int(qMin<qreal>(pixels, std::numeric_limits<int>::max()));
}
int OutputView::TextMargin() const
{
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

void OutputView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (m_held) { // with the next paint
        m_scrollHeld = true;
        return;
    }
    const int sideways = horizontalScrollBar()->value();
    // After new lines the scroll ranges are only updated on the next layout pass; without it
    // the bar would be set against the old, shorter range.
    executeDelayedItemsLayout();
    QTableView::scrollTo(index, hint);
    MoveOutFromUnder(index);
    horizontalScrollBar()->setValue(sideways);
}

void OutputView::MarksChanged()
{
    PaintHeld();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::SelectionWithin);
        QAccessible::updateAccessibility(&event);
    }
}

void OutputView::mousePressEvent(QMouseEvent* event)
{
    PaintHeld();
    if (m_list)
        m_list->Selection()->Pressed(indexAt(event->position().toPoint()));
    QTableView::mousePressEvent(event);
}

void OutputView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (m_list)
        m_list->Selection()->Released();
}

void OutputView::wheelEvent(QWheelEvent* event)
{
    PaintHeld();
    QTableView::wheelEvent(event);
}

void OutputView::keyPressEvent(QKeyEvent* event)
{
    PaintHeld();
    if (event->matches(QKeySequence::Copy)) {
        CopySelected();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void OutputView::CopySelected()
{
    if (!m_list || m_list->Count() == 0)
        return;
    // The bytes go to the clipboard as they are; a window that asks for text gets them as
    // UTF-8 without another conversion.
    const QByteArray text = m_list->SelectedText();
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text);
    data->setData(QStringLiteral("text/plain"), text);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(data);
}

void OutputView::MoveOutFromUnder(const QModelIndex& index)
{
    if (!m_cover || !m_cover->isVisible() || !index.isValid())
        return;
    const QRect frame = m_cover->frameGeometry();
    const QRect cover(viewport()->mapFromGlobal(frame.topLeft()), frame.size());
    // A line's text may stand anywhere across the list: its whole width counts.
    const auto band = [&] {
        const QRect row = visualRect(index);
        return QRect(0, row.top(), viewport()->width(), row.height())
            .intersected(viewport()->rect());
    };
    const QRect row = band();
    const int height = rowHeight(index.row());
    if (!row.intersects(cover) || height <= 0)
        return;
    // The rows of the list above the cover and below it, the nearer side first.
    const int slot = row.top() / height;
    const int above = cover.top() / height - 1;
    const int below = (cover.bottom() + height) / height;
    const bool upper = row.center().y() < cover.center().y();
    QScrollBar* bar = verticalScrollBar();
    const int start = bar->value();
    const int unit = verticalScrollMode() == ScrollPerItem ? 1 : height;
    for (const int target : {upper ? above : below, upper ? below : above}) {
        if (target < 0 || (target + 1) * height > viewport()->height())
            continue;
        bar->setValue(start + (slot - target) * unit);
        if (band().isValid() && !band().intersects(cover))
            return;
    }
    bar->setValue(start);
}

void OutputView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_appendedFrom = WholeLayout;
        FitRowHeight();
        m_widest = 0;
        m_tagsMeasured.clear();
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

} // namespace reading
