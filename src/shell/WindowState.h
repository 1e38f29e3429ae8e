#pragma once

#include "ConfigStore.h"
#include "RunKeeper.h"

#include <QObject>
#include <QString>

class QTreeWidget;
class QWidget;

// The main window's size, position and folder-list column widths, kept per user in a state file
// of their own (never in tarvisk.ini): restored at load, saved by Quit or else whenever the
// window closes, never emptied by a failed save. It also keeps each configuration's follow run.
class WindowState : public QObject
{
public:
    WindowState(QWidget& window, QTreeWidget& folders, const QString& iniPath);

    // The state file: "window-state.ini" in the per-user configuration folder.
    static QString Path();
    // Applies what was saved, if anything; false when no size and position were saved.
    bool Restore();
    // False and `error` set when the file could not be replaced; the old one stays as it was.
    bool Save(const config::SaveFile& save, QString* error);
    // Quit has saved the state or was told not to: closing the window saves nothing more.
    void Settle() { m_settled = true; }
    // The follow run of the window's configuration.
    RunKeeper& Runs() { return m_runs; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QByteArray Content() const;

    QWidget& m_window;
    QTreeWidget& m_folders;
    bool m_settled = false;
    RunKeeper m_runs;
};
