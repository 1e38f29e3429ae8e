#include "frmMain.h"

#include "base/LogFolder.h"
#include "base/MessageBox.h"
#include "settings/modMain.h"
#include "ui_frmMain.h"

#include <QStandardPaths>

// The configuration file: read at start, saved by Quit or, after asking, by the close box.

frmMain::LoadStep frmMain::ReadConfigFile()
{
    using Status = config::ReadResult::Status;
    ui->File1->SetPattern(QStringLiteral("*.log"));
    const QString userConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    modMain::IniPath = config::ChooseIniPath(m_programDir, userConfig);
    config::ReadResult result = config::ReadConfigFile();
    switch (result.status) {
    case Status::CreateFailed:
        return LoadStep::Abort;
    case Status::Invalid:
        m_messages.Show(
            {config::InvalidDataText(result.invalidLine, result.invalidNumber, modMain::IniPath),
             config::InvalidDataTitle(), Message::Icon::Exclamation, Message::Buttons::Ok});
        return LoadStep::EndProgram;
    case Status::Failed:
        m_iniUnreadable = true;
        m_messages.Show({config::ReadFailedText(result.failure, modMain::IniPath)});
        return LoadStep::Continue;
    case Status::Read:
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            AddFolderRow(
                {modMain::FolderNames[i], modMain::FolderPaths[i], modMain::FolderFilters[i]},
                i - 1);
        m_iniText = std::move(result.text);
        break;
    case Status::Created:
        break;
    }
    ui->chkDivider->setChecked(modMain::UseDividers);
    return LoadStep::Continue;
}

// A row remembers which folder line of the file it was read from, so that Quit rewrites only
// that line when the row changes.
void frmMain::AddFolderRow(const LogFolder& folder, qsizetype origin)
{
    auto* row = new QTreeWidgetItem(ui->ListView1, {folder.Name, folder.Path, folder.Filter});
    row->setData(0, Qt::UserRole, qint64(origin));
}

QList<config::FolderRow> frmMain::FolderRows() const
{
    QList<config::FolderRow> rows;
    const int count = ui->ListView1->topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = ui->ListView1->topLevelItem(i);
        const QVariant origin = item->data(0, Qt::UserRole);
        rows.append({{item->text(0), item->text(1), item->text(2)},
                     origin.isValid() ? origin.toLongLong() : -1});
    }
    return rows;
}

void frmMain::EndFollowing()
{
    if (ui->cmdStop->isEnabled())
        cmdStop_Click();
    StopRequested = true;
}

bool frmMain::SaveConfigFile()
{
    // What could not be read is not known, so it must not be replaced.
    if (m_iniUnreadable) {
        m_messages.Show({config::NotSavedUnreadableText(modMain::IniPath),
                         QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
        return true;
    }
    const QByteArray content =
        config::FormatConfigFile(m_iniText, modMain::ExtViewer, modMain::UseDividers, FolderRows());
    return config::SaveOnQuit(modMain::IniPath, content, m_messages) != config::QuitSave::Cancelled;
}

bool frmMain::ConfirmClose()
{
    if (!config::FoldersChanged(m_iniText, modMain::UseDividers, FolderRows()))
        return true;
    switch (m_messages.Show(config::SaveChangesQuestion())) {
    case MessageAnswer::Save:
        EndFollowing();
        return SaveConfigFile();
    case MessageAnswer::Discard:
        return true;
    default:
        return false;
    }
}
