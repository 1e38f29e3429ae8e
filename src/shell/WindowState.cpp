#include "WindowState.h"

#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeWidget>

WindowState::WindowState(QWidget& window, QTreeWidget& folders, const QString& iniPath)
    : QObject(&window), m_window(window), m_folders(folders), m_runs(Path(), iniPath)
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
    // Written as Base64 text; a file of earlier versions holds the bytes themselves.
    const QVariant saved = state.value(QStringLiteral("geometry"));
    const QByteArray geometry = saved.typeId() == QMetaType::QByteArray
                                    ? saved.toByteArray()
                                    : QByteArray::fromBase64(saved.toString().toLatin1());
    const QStringList widths = state.value(QStringLiteral("folderColumns")).toStringList();
    for (int column = 0; column < widths.size() && column < m_folders.columnCount(); ++column) {
        const int width = widths[column].toInt();
        if (width > 0)
            m_folders.setColumnWidth(column, width);
    }
    return !geometry.isEmpty() && m_window.restoreGeometry(geometry);
}

// The file as QSettings reads it, written by the checked save instead of QSettings, which
// reports no failure and leaves an empty file on a full disk.
QByteArray WindowState::Content() const
{
    QStringList widths;
    for (int column = 0; column < m_folders.columnCount(); ++column)
        widths << QString::number(m_folders.columnWidth(column));
    return "[General]\ngeometry=" + m_window.saveGeometry().toBase64() +
           "\nfolderColumns=" + widths.join(QStringLiteral(", ")).toLatin1() + '\n' +
           m_runs.Section();
}

bool WindowState::Save(const config::SaveFile& save, QString* error)
{
    QDir().mkpath(QFileInfo(Path()).path());
    return save(Path(), Content(), error);
}

bool WindowState::eventFilter(QObject* watched, QEvent* event)
{
    // However the window goes (the close box, the end of the session), it is hidden.
    if (watched == &m_window && event->type() == QEvent::Hide && !event->spontaneous() &&
        !m_settled) {
        QString error; // nobody is left to tell; the old file stays
        Save(config::WriteConfigFile, &error);
    }
    return QObject::eventFilter(watched, event);
}
