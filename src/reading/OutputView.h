#pragma once

#include <QTableView>

class OutputList;

// The output window lstRows: one column without headers or grid, rows of one fixed height,
// whole-row extended selection, the system's fixed-width font at 9 points. Built for millions
// of lines: nothing is measured per row.
class OutputView : public QTableView
{
    Q_OBJECT

public:
    explicit OutputView(QWidget* parent = nullptr);

    // Shows the list's lines; the list's selection model becomes the view's.
    void SetList(OutputList* list);
    // Width of the one column, so the horizontal scroll range reaches it.
    void SetHorizontalExtent(int pixels);
    // Width of the longest line in the view's font.
    int LongestLinePixels() const;

    // Bringing a row into view leaves the sideways position alone: the column is far wider
    // than the window, and jumping back to its left edge on every new line would be a nuisance.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The widest column the header can hold.
    int MaximumExtent() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitRowHeight();
    int TextMargin() const;

    OutputList* m_list = nullptr;
};
