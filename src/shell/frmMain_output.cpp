#include "frmMain.h"

#include "base/MessageBox.h"
#include "folders/FolderListView.h"
#include "frmRules.h"
#include "reading/OutputView.h"
#include "search/frmSearch.h"
#include "ui_frmMain.h"

#include <QTreeWidgetItem>

// The output window's commands: Clear, Copy and the search dialog.

void frmMain::cmdClear_Click()
{
    // Only the lines and the size go: a follow run goes on from where it has read, so cleared
    // lines do not come back.
    m_days.Finish();
    m_compressedTail.Abandon();
    m_output.Clear();
    SetFileSize(QString());
}

void frmMain::cmdCopy_Click()
{
    ui->lstRows->CopySelected();
}

// A compressed day's Tail reads on its own thread; false for any other file.
bool frmMain::TailCompressed(const QString& path, const QString& note)
{
    return m_compressedTail.StartIfCompressed(
        path, m_settings.TailBytes, [this](const QString& c) { SetFileSize(c); }, note);
}

// A file that cannot be read must not pass for an empty one.
void frmMain::TailFailed(const QString& path, const QString& reason)
{
    m_messages.Show({QStringLiteral("Cannot open ") + path + QStringLiteral("\n\n") + reason,
                     QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
}

void frmMain::cmdSearch_Click()
{
    if (!m_search) {
        m_search = new frmSearch(m_output, this);
        ui->lstRows->KeepClearOf(m_search);
        m_search->SetDays(m_days, [this] {
            return search::DaySearchFolders(TreeFolderList::SelectedFolders(*ui->ListView1),
                                            {m_settings.CurrentPath, m_folderFilter});
        });
    }
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void frmMain::cmdHighlight_Click()
{
    // Read afresh: the file is the user's to edit by hand meanwhile.
    m_rulesFile = ReadRulesFile(RulesPath());
    frmRules dialog(m_rulesFile, this);
    dialog.exec();
    ApplyRules();
}

void frmMain::ApplyRules()
{
    m_rules = std::make_shared<const RuleSet>(m_rulesFile.text.rules);
    ui->lstRows->SetRules(m_rules);
    m_alerts.Logic().SetSilenceMinutes(reading::ReadSilenceMinutes(reading::AlertSettingsPath()));
}

QString frmMain::FollowedName() const
{
    const QTreeWidgetItem* row = SelectedRow();
    return row ? row->text(0) : QString();
}

void frmMain::ConnectDaySearch()
{
    // The search replaces the output list as Tail does; following stops first.
    connect(&m_days, &search::DayResults::Started, this,
            [this](const QString& folder, const QDate& from, const QDate& to) {
                cmdStop_Click();
                m_compressedTail.Abandon();
                const QLocale locale = QLocale::system();
                ui->lblFullPath->setText(
                    folder + QStringLiteral("  ") + locale.toString(from, QLocale::ShortFormat) +
                    QStringLiteral(" to ") + locale.toString(to, QLocale::ShortFormat));
                SetFileSize(QString());
            });
}
