#include "frmMain.h"

#include "ConfigStore.h"
#include "WindowState.h"
#include "base/LogFolder.h"
#include "base/MessageBox.h"
#include "folders/FolderListView.h"
#include "ui_frmMain.h"

#include <QStandardPaths>

// The configuration file: read at start, saved by Quit or, after asking, by the close box; what
// the user is told and asked about it.

namespace
{

QString InvalidDataText(const QString& line, qsizetype number, const QString& path)
{
    return QStringLiteral("Invalid data in Tarvisk.ini, please verify that syntax rules are "
                          "followed\n\nUnable to interpret: ") +
           line + QStringLiteral("\n\nLine %1 of %2").arg(number).arg(path);
}

QString NotSavedUnreadableText(const QString& path)
{
    return QStringLiteral("The settings were not saved: ") + path +
           QStringLiteral(" could not be read when Tarvisk started, so it was left as it is.");
}

Message SaveFailed(const QString& path, const QString& error)
{
    return {QStringLiteral("The settings could not be saved to ") + path + QStringLiteral("\n\n") +
                error,
            QStringLiteral("Tarvisk"), Message::Icon::Exclamation,
            Message::Buttons::RetryQuitCancel};
}

QString NotAppliedText(const QString& path, const QStringList& lines)
{
    return QStringLiteral("The settings were saved to ") + path +
           QStringLiteral(", but these log folder lines, changed or removed here, were no longer "
                          "there and were left as the file has them:\n\n") +
           lines.join(u'\n');
}

} // namespace

frmMain::LoadStep frmMain::ReadConfigFile()
{
    using Status = config::ReadResult::Status;
    ui->File1->SetPattern(QStringLiteral("*.log"));
    const QString userConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    m_settings.IniPath = config::ChooseIniPath(m_programDir, userConfig);
    config::ReadResult result = config::ReadConfigFile(m_settings);
    switch (result.status) {
    case Status::CreateFailed:
        return LoadStep::Abort;
    case Status::Invalid:
        m_messages.Show({InvalidDataText(result.parsed.invalidLine, result.parsed.invalidNumber,
                                         m_settings.IniPath),
                         QStringLiteral("Invalid data in Tarvisk.ini"), Message::Icon::Exclamation,
                         Message::Buttons::Ok});
        return LoadStep::EndProgram;
    case Status::Failed:
        m_iniUnreadable = true;
        m_messages.Show({result.failure + QStringLiteral(": ") + m_settings.IniPath});
        return LoadStep::Continue;
    case Status::Read:
        for (qsizetype i = 0; i < result.parsed.folders.size(); ++i)
            AddFolderRow(result.parsed.folders[i], i);
        m_iniText = std::move(result.parsed.text);
        break;
    case Status::Created:
        break;
    }
    ui->chkDivider->setChecked(m_settings.UseDividers);
    return LoadStep::Continue;
}

// A row remembers which folder line of the file it was read from, so that Quit rewrites only
// that line when the row changes.
void frmMain::AddFolderRow(const LogFolder& folder, qsizetype origin)
{
    TreeFolderList::AddRow(*ui->ListView1, folder)->setData(0, Qt::UserRole, qint64(origin));
}

QList<config::FolderRow> frmMain::FolderRows() const
{
    QList<config::FolderRow> rows;
    const int count = ui->ListView1->topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = ui->ListView1->topLevelItem(i);
        const QVariant origin = item->data(0, Qt::UserRole);
        rows.append({TreeFolderList::Values(*item), origin.isValid() ? origin.toLongLong() : -1});
    }
    return rows;
}

void frmMain::EndFollowing()
{
    if (ui->cmdStop->isEnabled())
        StopFollowing();
    m_monitor.Stop(); // a file chosen during a run takes Stop's button away, not the run
}

// Saves the state file and then the configuration file; after a failure asks whether to try
// again, quit without saving or stay, until one of them is chosen. The configuration file goes
// last: once it holds this window's changes they must not be applied a second time.
bool frmMain::SaveConfigFile()
{
    // What could not be read is not known, so it must not be replaced.
    if (m_iniUnreadable)
        m_messages.Show({NotSavedUnreadableText(m_settings.IniPath), QStringLiteral("Tarvisk"),
                         Message::Icon::Exclamation});
    for (QString error;; error.clear()) {
        const bool stateSaved = !m_state || m_state->Save(m_save, &error);
        if (stateSaved && (m_iniUnreadable || SaveChanges(&error)))
            break;
        const MessageAnswer answer = m_messages.Show(
            SaveFailed(stateSaved ? m_settings.IniPath : WindowState::Path(), error));
        if (answer == MessageAnswer::Discard)
            break; // quit without saving
        if (answer != MessageAnswer::Retry)
            return false;
    }
    if (m_state)
        m_state->Settle();
    return true;
}

bool frmMain::SaveChanges(QString* error)
{
    const std::optional<config::AppliedChanges> applied = config::ApplyToFile(
        m_settings.IniPath, m_iniText, m_settings.UseDividers, FolderRows(), error);
    if (!applied || (!applied->same && !m_save(m_settings.IniPath, applied->bytes, error)))
        return false;
    if (!applied->missing.isEmpty())
        m_messages.Show({NotAppliedText(m_settings.IniPath, applied->missing),
                         QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
    return true;
}

bool frmMain::ConfirmClose()
{
    if (!config::FoldersChanged(m_iniText, m_settings.UseDividers, FolderRows()))
        return true;
    switch (m_messages.Show({QStringLiteral("Save changes to the log folders?"),
                             QStringLiteral("Tarvisk"), Message::Icon::Question,
                             Message::Buttons::SaveDiscardCancel})) {
    case MessageAnswer::Save:
        EndFollowing();
        return SaveConfigFile();
    case MessageAnswer::Discard:
        return true;
    default:
        return false;
    }
}
