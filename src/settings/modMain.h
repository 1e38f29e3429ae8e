#pragma once

#include <QString>
#include <QtGlobal>

namespace modMain
{

// The programs that open a file and a folder: the desktop's own opener where there is no
// Notepad or Explorer.
#ifdef Q_OS_WIN
inline constexpr auto DefaultViewer = "notepad.exe";
inline constexpr auto FileManager = "explorer.exe";
inline constexpr auto FileManagerPackage = "";
inline constexpr auto LineEnd = "\r\n"; // of text put on the clipboard
#else
inline constexpr auto DefaultViewer = "xdg-open";
inline constexpr auto FileManager = "xdg-open";
inline constexpr auto FileManagerPackage = "xdg-utils"; // named when the file manager is missing
inline constexpr auto LineEnd = "\n";
#endif

// The program's settings, at their start values until the configuration file is read. The main
// window owns them and hands them by reference to what reads them; only ExtViewer and
// UseDividers are persisted.
struct Settings {
    QString ExtViewer = QString::fromLatin1(DefaultViewer); // the View command's program
    bool UseDividers = true;   // configuration file and the divider check box
    qint32 PollSeconds = 1;    // seconds between two reads while following a file
    qint32 TailBytes = 131072; // size of the readers' window
    QString IniPath;           // where the configuration file lives
    QString CurrentPath;       // selected log folder, always ending in the separator
};

} // namespace modMain
