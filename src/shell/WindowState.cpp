#include "WindowState.h"

#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeWidget>

WindowState::WindowState(QWidget& window, QTreeWidget& folders)
    : QObject(&window), m_window(window), m_folders(folders)
{
    window.installEventFilter(this);
}

QString WindowState::Path()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/window-state.ini");
}

bool WindowState::Restore()
{
    const QSettings state(Path(), QSettings::IniFormat);
    const QByteArray geometry = state.value(QStringLiteral("geometry")).toByteArray();
    const QStringList widths = state.value(QStringLiteral("folderColumns")).toStringList();
    if (geometry.isEmpty() && widths.isEmpty())
        return false;
    if (!geometry.isEmpty())
        m_window.restoreGeometry(geometry);
    for (int column = 0; column < widths.size() && column < m_folders.columnCount(); ++column) {
        const int width = widths[column].toInt();
        if (width > 0)
            m_folders.setColumnWidth(column, width);
    }
    return true;
}

void WindowState::Save() const
{
    QDir().mkpath(QFileInfo(Path()).path());
    QSettings state(Path(), QSettings::IniFormat);
    state.setValue(QStringLiteral("geometry"), m_window.saveGeometry());
    QStringList widths;
    for (int column = 0; column < m_folders.columnCount(); ++column)
        widths << QString::number(m_folders.columnWidth(column));
    state.setValue(QStringLiteral("folderColumns"), widths);
}

bool WindowState::eventFilter(QObject* watched, QEvent* event)
{
    // However the window goes (Quit, the close box, the end of the session), it is hidden.
    if (watched == &m_window && event->type() == QEvent::Hide && !event->spontaneous())
        Save();
    return QObject::eventFilter(watched, event);
}
