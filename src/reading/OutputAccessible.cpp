#include "OutputAccessible.h"

#include "OutputList.h"
#include "OutputView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace reading
{

namespace
{

// One line of the output window.
class LineCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    LineCell(OutputView* view, int row) : m_view(view), m_row(row) {}

    bool isValid() const override
    {
        return m_view && m_view->List() && m_row < m_view->List()->Count();
    }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    // A line of a followed folder is read after the folder's description: "web1: text".
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        const QString tag = m_view->List()->Model()->TagName(m_row);
        const QString line = m_view->List()->Text(m_row);
        return tag.isEmpty() ? line : tag + QStringLiteral(": ") + line;
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = m_view->visualRect(m_view->model()->index(m_row, 0));
        return QRect(m_view->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isSelected();
        state.focusable = true;
        state.focused = isValid() && m_view->currentIndex().row() == m_row;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return isValid() && m_view->List()->IsSelected(m_row); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<OutputView> m_view;
    int m_row;
};

// The output window: one column, one cell a line, the marked lines selected.
class LineTable : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit LineTable(OutputView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~LineTable() override { Forget(); }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiSelectable = true;
        state.extSelectable = true;
        return state;
    }
    int childCount() const override { return rowCount(); }
    QAccessibleInterface* child(int index) const override { return cellAt(index, 0); }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        return cell ? cell->rowIndex() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = View()->indexAt(at);
        return index.isValid() ? cellAt(index.row(), 0) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (column != 0 || row < 0 || row >= rowCount())
            return nullptr;
        if (const auto known = m_cells.constFind(row); known != m_cells.cend())
            return QAccessible::accessibleInterface(*known);
        auto* cell = new LineCell(View(), row);
        m_cells.insert(row, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> cells;
        for (const int row : selectedRows())
            cells.append(cellAt(row, 0));
        return cells;
    }
    QString columnDescription(int) const override { return {}; }
    int columnCount() const override { return 1; }
    QString rowDescription(int) const override { return {}; }
    int rowCount() const override { return List() ? View()->model()->rowCount() : 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override
    {
        return List() ? int(List()->Selection()->MarkedCount()) : 0;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (qsizetype row = List() ? List()->NextSelected(-1) : -1; row >= 0 && row < rowCount();
             row = List()->NextSelected(row))
            rows.append(int(row));
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return List() && List()->IsSelected(row); }
    bool selectRow(int row) override { return Mark(row, true); }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override { return Mark(row, false); }
    bool unselectColumn(int) override { return false; }
    // Lines come and go at the front or all at once: the cells known so far no longer hold.
    void modelChange(QAccessibleTableModelChangeEvent*) override { Forget(); }

private:
    OutputView* View() const { return static_cast<OutputView*>(widget()); }
    OutputList* List() const { return View()->List(); }
    bool Mark(int row, bool marked)
    {
        if (!List() || row < 0 || row >= rowCount())
            return false;
        List()->Selection()->SetMark(row, marked);
        return true;
    }
    void Forget()
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<int, QAccessible::Id> m_cells;
};

QAccessibleInterface* OutputViewFactory(const QString& className, QObject* object)
{
    if (className == QLatin1StringView(OutputView::staticMetaObject.className()))
        if (auto* view = qobject_cast<OutputView*>(object))
            return new LineTable(view);
    return nullptr;
}

} // namespace

void InstallOutputAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&OutputViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace reading
