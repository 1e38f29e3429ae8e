#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Program-wide settings and state. Plain variables that live for the whole run; each has one
// writer (see the comments). Only ExtViewer and UseDividers are persisted.
namespace modMain
{

// The programs that open a file and a folder: the desktop's own opener where there is no
// Notepad or Explorer.
#ifdef Q_OS_WIN
inline constexpr auto DefaultViewer = "notepad.exe";
inline constexpr auto FileManager = "explorer.exe";
inline constexpr auto LineEnd = "\r\n"; // of text put on the clipboard
#else
inline constexpr auto DefaultViewer = "xdg-open";
inline constexpr auto FileManager = "xdg-open";
inline constexpr auto LineEnd = "\n";
#endif

inline QString ExtViewer;            // configuration file; the View command reads it
inline bool UseDividers = false;     // configuration file and the divider check box
inline qint32 PollSeconds = 0;       // seconds between two reads while following a file
inline qint32 TailBytes = 0;         // size of the readers' window
inline QString IniPath;              // where the configuration file lives
inline QString CurrentPath;          // selected log folder, always ending in the separator
inline qint16 EditorMode = 0;        // 1 add, 2 edit
inline qsizetype SearchPosition = 0; // output line where the next search step starts

// Staging of the folder lines while the configuration file is read; element 0 stays empty.
inline QStringList FolderNames;
inline QStringList FolderPaths;
inline QStringList FolderFilters;

// Steps 1 to 4 of start-up: every setting to its start value.
void SetStartValues();

} // namespace modMain
