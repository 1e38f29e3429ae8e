#pragma once

#include <QDialog>

#include <memory>

class OutputList;

namespace Ui
{
class frmSearch;
}

// The search dialog over the output window: modeless, owned by the main window. Its matches are
// the output list's selected marks; closing it, by Cancel, Esc or the close box, forgets it.
class frmSearch : public QDialog
{
    Q_OBJECT

public:
    frmSearch(OutputList& lstRows, QWidget* owner);
    ~frmSearch() override;

private Q_SLOTS:
    void cmdSearch_Click();
    void cmdCancel_Click();
    void txtSearch_Change();

private:
    std::unique_ptr<Ui::frmSearch> ui;
    OutputList& m_lstRows;
};
