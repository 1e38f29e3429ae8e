#include "folders/FolderListView.h"

#include <QEvent>
#include <QTreeWidget>

QTreeWidgetItem* TreeFolderList::SelectedRow(const QTreeWidget& list)
{
    return list.selectedItems().value(0);
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
    new QTreeWidgetItem(&m_list, {values.Name, values.Path, values.Filter});
}

FolderListClicks::FolderListClicks(QTreeWidget& list) : QObject(&list), m_list(list)
{
    list.viewport()->installEventFilter(this);
    connect(&list, &QTreeWidget::currentItemChanged, this, &FolderListClicks::CurrentChanged);
}

// The list changes its selection when the button goes down; the click counts when it comes up,
// wherever in the list it was.
bool FolderListClicks::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        m_mouseDown = true;
    else if (event->type() == QEvent::MouseButtonRelease && m_mouseDown) {
        m_mouseDown = false;
        Q_EMIT Clicked();
    }
    return QObject::eventFilter(watched, event);
}

// A keyboard move selects the new row. Moves that select nothing (the focus entering the list,
// a removed row's neighbour taking the focus frame) and the mouse's own moves are not clicks.
void FolderListClicks::CurrentChanged(QTreeWidgetItem* current)
{
    if (!m_mouseDown && current && current->isSelected())
        Q_EMIT Clicked();
}
