#pragma once

#include "base/LogFolder.h"
#include "base/MessageBox.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// The log-folder list as the editor and the folder commands see it: the row selected in it,
// changed or added to. The main window's list implements it; tests fake it.
class FolderList
{
public:
    virtual ~FolderList() = default;
    virtual std::optional<LogFolder> Selected() const = 0; // nullopt: no row is selected
    virtual void SetSelected(const LogFolder& values) = 0;
    virtual void Append(const LogFolder& values) = 0;
};

inline constexpr qint16 AddMode = 1;
inline constexpr qint16 EditMode = 2;

// Why the editor refuses these values in this mode, as the message to show; nullopt when they
// are accepted. Every value the editor accepts reads back from the configuration file as the
// same row: no comma or "=" in a field, no line break, no description that begins with ";".
std::optional<Message> CheckLogFolder(qint16 mode, const LogFolder& values);

// The question for a path that is not an existing folder (missing, or a file); none for a
// folder.
std::optional<Message> PathQuestion(const QString& path);

// OK in the editor: refuses with a message, asks about a path that is no folder, or adds a row
// (add mode) or writes the selected row (edit mode). True when the values were taken and the
// editor closes.

bool EditorOk(qint16 mode, const LogFolder& values, FolderList& list, MessageBox& messages);

// A program and its arguments, each passed as it is.
struct Command {
    QString program;
    QStringList arguments;
};

// The file manager on the folder, the folder as one argument.
Command OpenFolderCommand(const QString& path);
QString OpenFailedText(const QString& path);

// The viewer command split once into program and its own arguments, then the file's full path
// as one more argument; nullopt when the command names no program.
std::optional<Command> ViewCommand(const QString& extViewer, const QString& filePath);
QString ViewFailedText(const QString& extViewer, const QString& filePath);
// A failed start's text with, when the program is nowhere on the search path, a line that says
// so (and which package brings the file manager).
QString WithMissingProgram(const QString& failed, const QString& program);

QString RemoveQuestion(const QString& name);
