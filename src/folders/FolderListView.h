#pragma once

#include "folders/FolderCommands.h"

#include <QObject>
#include <QStyledItemDelegate>

#include <array>

class QKeyEvent;
class QTreeWidget;
class QTreeWidgetItem;

// The main window's log-folder list (text Name, sub-items Path and Filter) as a FolderList.
// The selected row is the one whose selection mark is set: after a Ctrl+click that clears it,
// no row is selected even though one still has the focus frame.
class TreeFolderList final : public FolderList
{
public:
    explicit TreeFolderList(QTreeWidget& list) : m_list(list) {}

    // Of several selected rows the one with the focus frame, which the user chose last.
    static QTreeWidgetItem* SelectedRow(const QTreeWidget& list);
    // Every selected folder, in the list's order.
    static QList<LogFolder> SelectedFolders(const QTreeWidget& list);
    // A row and the folder it shows: the one place that knows the columns.
    static LogFolder Values(const QTreeWidgetItem& row);
    static void SetValues(QTreeWidgetItem& row, const LogFolder& values);
    static QTreeWidgetItem* AddRow(QTreeWidget& list, const LogFolder& values);

    std::optional<LogFolder> Selected() const override;
    void SetSelected(const LogFolder& values) override;
    void Append(const LogFolder& values) override;

private:
    QTreeWidget& m_list;
};

// Tells of every click in the log-folder list, on a row or on the empty space below the rows,
// and of every keyboard move or choice of a row (Space, Enter), as one Clicked signal each.
// Moves that select nothing (the focus entering the list) and the mouse's own moves are not
// clicks.
class FolderListClicks : public QObject
{
    Q_OBJECT

public:
    explicit FolderListClicks(QTreeWidget& list);

Q_SIGNALS:
    void Clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ChooseCurrent(const QKeyEvent& key);

    QTreeWidget& m_list;
    bool m_mouseDown = false;
    bool m_delivering = false;
};

// Fits the Name column (to at most `nameMost` pixels) and the Filter column (to at least
// `filterLeast`) to their longest text, now and whenever a row is added or changed; the Path column
// takes the rest. A column the user gave a width of their own keeps it.
class FolderColumnFit : public QObject
{
public:
    FolderColumnFit(QTreeWidget& list, int nameMost, int filterLeast);

private:
    void Fit();
    void Resized(int column, int width);

    QTreeWidget& m_list;
    int m_nameMost;
    int m_filterLeast;
    bool m_fitting = false;
    std::array<int, 3> m_fitted{}; // the width the last fit gave each column
    std::array<bool, 3> m_own{};   // a width the user chose
};

// Paints the log-folder list's cells as usual; a cell too narrow for its text shows the whole
// text as its tool tip.
class CutCellTips : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
