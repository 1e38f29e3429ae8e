#include "frmMain.h"

#include "base/MessageBox.h"
#include "base/ProgramLauncher.h"
#include "folders/FolderCommands.h"
#include "folders/FolderListView.h"
#include "folders/QtFolderPicker.h"
#include "folders/frmAddLogfile.h"
#include "ui_frmMain.h"

#include <QSignalBlocker>

// The log-folder commands: the editor, Remove, Open and View.

ProgramLauncher& frmMain::Launcher()
{
    if (!m_launcher)
        m_launcher = new ChildLauncher(this);
    return *m_launcher;
}

// Name and Filter fit their longest text, Name at most its designed width and Filter at least
// its own; Path takes the rest.
void frmMain::SetFolderColumns()
{
    new FolderColumnFit(*ui->ListView1, Twips(2800), Twips(1000));
}

QTreeWidgetItem* frmMain::SelectedRow() const
{
    return TreeFolderList::SelectedRow(*ui->ListView1);
}

// An open editor only learns the new mode and comes to the front; its fields stay.
void frmMain::OpenEditor(qint16 mode)
{
    if (m_editor) {
        m_editor->SetMode(mode);
    } else {
        if (!m_picker)
            m_picker = new QtFolderPicker(this);
        m_editor = new frmAddLogfile(mode, *ui->ListView1, m_messages, *m_picker, this);
        connect(m_editor, &QDialog::finished, this, [this] { m_editor = nullptr; });
    }
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void frmMain::cmdAdd_Click()
{
    OpenEditor(AddMode);
}

void frmMain::cmdEdit_Click()
{
    if (ui->ListView1->topLevelItemCount() == 0)
        return;
    OpenEditor(EditMode);
}

void frmMain::ListView1_DblClick()
{
    if (ui->ListView1->topLevelItemCount() > 0)
        cmdEdit_Click();
}

// With rows but none selected there is nothing to ask about.
void frmMain::cmdRemove_Click()
{
    QTreeWidgetItem* row = SelectedRow();
    if (!row)
        return;
    const Message question = {RemoveQuestion(TreeFolderList::Values(*row).Name),
                              QStringLiteral("Tarvisk"), Message::Icon::Question,
                              Message::Buttons::YesNo};
    if (m_messages.Show(question) != MessageAnswer::Yes)
        return;
    // No other row becomes the user's choice: the file list and CurrentPath stay as they are.
    const QSignalBlocker quiet(ui->ListView1);
    delete row;
    ui->ListView1->clearSelection();
}

// A program that ends with a failure at once (xdg-open with no file manager or no program for
// the file type) is reported with its status and last words.
ProgramLauncher::FailureReport frmMain::ReportFailure()
{
    return [this](const QString& report) {
        m_messages.Show({report, QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
    };
}

void frmMain::cmdOpen_Click()
{
    const QTreeWidgetItem* row = SelectedRow();
    if (!row)
        return;
    const QString path = TreeFolderList::Values(*row).Path;
    const Command command = OpenFolderCommand(path);
    if (!Launcher().Start(command.program, command.arguments, ReportFailure()))
        ReportFailure()(WithMissingProgram(OpenFailedText(path), command.program));
}

// A name the system cannot hold as text gives no file name: that file cannot be opened, so it
// is named in the message instead of being handed to the viewer under a wrong name.
void frmMain::cmdView_Click()
{
    const QString file = ui->File1->FileName();
    const std::optional<Command> command =
        file.isEmpty() ? std::nullopt
                       : ViewCommand(m_settings.ExtViewer, m_settings.CurrentPath + file);
    if (!command || !Launcher().Start(command->program, command->arguments, ReportFailure()))
        ReportFailure()(WithMissingProgram(
            ViewFailedText(m_settings.ExtViewer, m_settings.CurrentPath + ui->File1->ShownName()),
            command ? command->program : QString()));
}
