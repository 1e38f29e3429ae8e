#include "folders/FolderListView.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolTip>
#include <QTreeWidget>

QTreeWidgetItem* TreeFolderList::SelectedRow(const QTreeWidget& list)
{
    QTreeWidgetItem* current = list.currentItem();
    return current && current->isSelected() ? current : list.selectedItems().value(0);
}

QList<LogFolder> TreeFolderList::SelectedFolders(const QTreeWidget& list)
{
    QList<LogFolder> folders;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        if (const QTreeWidgetItem* row = list.topLevelItem(i); row->isSelected())
            folders.append(Values(*row));
    }
    return folders;
}

LogFolder TreeFolderList::Values(const QTreeWidgetItem& row)
{
    return {row.text(0), row.text(1), row.text(2)};
}

void TreeFolderList::SetValues(QTreeWidgetItem& row, const LogFolder& values)
{
    row.setText(0, values.Name);
    row.setText(1, values.Path);
    row.setText(2, values.Filter);
}

QTreeWidgetItem* TreeFolderList::AddRow(QTreeWidget& list, const LogFolder& values)
{
    return new QTreeWidgetItem(&list, {values.Name, values.Path, values.Filter});
}

std::optional<LogFolder> TreeFolderList::Selected() const
{
    const QTreeWidgetItem* row = SelectedRow(m_list);
    return row ? std::optional(Values(*row)) : std::nullopt;
}

void TreeFolderList::SetSelected(const LogFolder& values)
{
    if (QTreeWidgetItem* row = SelectedRow(m_list))
        SetValues(*row, values);
}

void TreeFolderList::Append(const LogFolder& values)
{
    AddRow(m_list, values);
}

FolderColumnFit::FolderColumnFit(QTreeWidget& list, int nameMost, int filterLeast)
    : QObject(&list), m_list(list), m_nameMost(nameMost), m_filterLeast(filterLeast)
{
    QHeaderView* header = list.header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    Fit();
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { Resized(column, width); });
    connect(list.model(), &QAbstractItemModel::rowsInserted, this, &FolderColumnFit::Fit);
    connect(list.model(), &QAbstractItemModel::dataChanged, this, &FolderColumnFit::Fit);
}

void FolderColumnFit::Fit()
{
    const QScopedValueRollback fitting(m_fitting, true);
    for (const int column : {0, 2}) {
        if (m_own[column])
            continue;
        m_list.resizeColumnToContents(column);
        const int width = m_list.columnWidth(column);
        m_list.setColumnWidth(column,
                              column == 0 ? qMin(width, m_nameMost) : qMax(width, m_filterLeast));
        m_fitted[column] = m_list.columnWidth(column);
    }
}

// A width set from outside the fit (the user's drag, the saved state) is the user's own unless
// it is the one the fit gave.
void FolderColumnFit::Resized(int column, int width)
{
    if (!m_fitting && column != 1 && column < int(m_own.size()))
        m_own[column] = width != m_fitted[column];
}

FolderListClicks::FolderListClicks(QTreeWidget& list) : QObject(&list), m_list(list)
{
    list.viewport()->installEventFilter(this);
    list.installEventFilter(this);
    connect(&list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!m_mouseDown)
            Q_EMIT Clicked();
    });
}

// The click counts once the list has handled the button coming up (a Ctrl+click clears the
// selection only then), on a row or below the rows.
bool FolderListClicks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_list)
        return event->type() == QEvent::KeyPress && ChooseCurrent(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        m_mouseDown = true;
        // Below the rows the list would clear its selection; the selected folder stays.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_list.indexAt(mouse->position().toPoint()).isValid())
            return true;
    }
    if (event->type() != QEvent::MouseButtonRelease || !m_mouseDown || m_delivering)
        return QObject::eventFilter(watched, event);
    m_delivering = true;
    QCoreApplication::sendEvent(watched, event);
    m_delivering = false;
    m_mouseDown = false;
    Q_EMIT Clicked();
    return true;
}

// With no row selected, Enter and the first arrow choose the row with the focus frame (Space
// does so by itself): with one folder the arrows would move nowhere.
bool FolderListClicks::ChooseCurrent(const QKeyEvent& key)
{
    const int k = key.key();
    const bool choose =
        k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Up || k == Qt::Key_Down;
    QTreeWidgetItem* current = m_list.currentItem();
    if (!choose || key.modifiers() != Qt::NoModifier || !current ||
        !m_list.selectedItems().isEmpty())
        return false;
    current->setSelected(true);
    return true;
}

bool CutCellTips::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                            const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    // The text's room is the cell less the style's margins on both sides.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    if (shown.fontMetrics.horizontalAdvance(text) + 2 * margin > option.rect.width())
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
