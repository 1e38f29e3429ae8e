#pragma once

#include "DayResults.h"
#include "ListCount.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace reading
{
class OutputList;
}

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
    frmSearch(reading::OutputList& lstRows, QWidget* owner);
    ~frmSearch() override;

    // Offers searching the selected folders' days: `folders` tells which folders and styles
    // those are at the moment of the press.
    void SetDays(search::DayResults& days, std::function<QList<search::DayFolder>()> folders);

protected:
    // Esc cancels a running search and leaves the dialog open.
    void reject() override { cmdCancel_Click(); }
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void cmdSearch_Click();
    void cmdCancel_Click();
    void txtSearch_Change();
    void optDays_Toggled();

private:
    bool DaysRunning() const { return m_days && m_days->Running(); }
    // The next press's mode; the button's caption follows it.
    void SetMode(search::Mode mode);
    void StartDays();
    void DaysProgress(qsizetype filesDone, qsizetype files, qint64 bytesDone, qint64 bytes,
                      qint64 contentDone);
    void DaysFinished(const search::PressResult& result);
    void ShowResult(const search::PressResult& result);

    std::unique_ptr<Ui::frmSearch> ui;
    reading::OutputList& m_lstRows;
    search::DayResults* m_days = nullptr;
    std::function<QList<search::DayFolder>()> m_folders;
    search::Mode m_mode = search::Mode::Count;
    search::ListCount m_count{m_lstRows};
};
