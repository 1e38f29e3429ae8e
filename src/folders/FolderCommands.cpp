#include "folders/FolderCommands.h"

#include "settings/modMain.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace
{

Message Refusal(const char* text, Message::Icon icon = Message::Icon::Exclamation)
{
    return {QString::fromLatin1(text), QStringLiteral("Tarvisk"), icon, Message::Buttons::Ok};
}

bool AnyContains(const LogFolder& v, QStringView text)
{
    return v.Name.contains(text) || v.Path.contains(text) || v.Filter.contains(text);
}

} // namespace

std::optional<Message> CheckLogFolder(qint16 mode, const LogFolder& v)
{
    if (mode != EditMode && (v.Name.isEmpty() || v.Path.isEmpty() || v.Filter.isEmpty()))
        return Refusal("Please specify Logfolder description, Path and Filter",
                       Message::Icon::Information);
    // A comma would split the file's line into more than three fields.
    if (v.Name.contains(u',') || v.Path.contains(u','))
        return Refusal("Commasigns are not allowed in the Logfolder desciption or path");
    if (v.Filter.contains(u','))
        return Refusal("Commasigns are not allowed in the Filter");
    // A line with one "=" reads as a setting, one beginning with ";" as a comment: the folder
    // would be lost at the next start.
    if (AnyContains(v, u"="))
        return Refusal("Equalsigns are not allowed in the Logfolder description, Path or Filter");
    if (v.Name.startsWith(u';'))
        return Refusal("The Logfolder description may not begin with a semicolon");
    if (AnyContains(v, u"\r") || AnyContains(v, u"\n"))
        return Refusal("Line breaks are not allowed in the Logfolder description, Path or Filter");
    return std::nullopt;
}

bool EditorOk(qint16 mode, const LogFolder& values, FolderList& list, MessageBox& messages)
{
    // The row may have been removed while the editor was open: the user picks one and retries.
    if (mode == EditMode && !list.Selected()) {
        messages.Show(Refusal("Please select the Logfolder to edit", Message::Icon::Information));
        return false;
    }
    if (const std::optional<Message> refusal = CheckLogFolder(mode, values)) {
        messages.Show(*refusal);
        return false;
    }
    if (const std::optional<Message> question = PathQuestion(values.Path))
        if (messages.Show(*question) != MessageAnswer::Yes)
            return false;
    if (mode == EditMode)
        list.SetSelected(values);
    else
        list.Append(values);
    return true;
}

std::optional<Message> PathQuestion(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return std::nullopt;
    // A network share may be away for now: the user may keep its path.
    return Message{QStringLiteral("The path ") + path +
                       (info.exists() ? QStringLiteral(" is a file, not a folder.")
                                      : QStringLiteral(" does not exist.")) +
                       QStringLiteral("\n\nKeep it anyway?"),
                   QStringLiteral("Tarvisk"), Message::Icon::Question, Message::Buttons::YesNo};
}

Command OpenFolderCommand(const QString& path)
{
    return {QString::fromLatin1(modMain::FileManager), {path}};
}

QString OpenFailedText(const QString& path)
{
    return QStringLiteral("Failed to open ") + path;
}

std::optional<Command> ViewCommand(const QString& extViewer, const QString& filePath)
{
    QStringList parts = QProcess::splitCommand(extViewer);
    if (parts.isEmpty())
        return std::nullopt;
    const QString program = parts.takeFirst();
    return Command{program, parts << filePath};
}

QString ViewFailedText(const QString& extViewer, const QString& filePath)
{
    return QStringLiteral("Failed to start ") + extViewer + u' ' + filePath;
}

QString WithMissingProgram(const QString& failed, const QString& program)
{
    if (program.isEmpty() || !QStandardPaths::findExecutable(program).isEmpty())
        return failed;
    const QString package = QString::fromLatin1(modMain::FileManagerPackage);
    return failed + QStringLiteral("\n\n") + program + QStringLiteral(": not found.") +
           (program == QLatin1String(modMain::FileManager) && !package.isEmpty()
                ? QStringLiteral(" Install ") + package + u'.'
                : QString());
}

QString RemoveQuestion(const QString& name)
{
    return QStringLiteral("Do you want to remove logfolder ") + name;
}
