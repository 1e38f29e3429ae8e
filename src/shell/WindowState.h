#pragma once

#include <QObject>
#include <QString>

class QTreeWidget;
class QWidget;

// The main window's size, position and folder-list column widths, kept per user in a state file
// of their own (never in tarvisk.ini): restored at load, saved whenever the window closes.
class WindowState : public QObject
{
public:
    WindowState(QWidget& window, QTreeWidget& folders);

    // The state file: "window-state.ini" in the per-user configuration folder.
    static QString Path();
    // Applies what was saved, if anything; false when there was nothing to apply.
    bool Restore();
    void Save() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    QTreeWidget& m_folders;
};
