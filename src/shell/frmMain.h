#pragma once

#include "ConfigFormat.h"
#include "ConfigStore.h"
#include "DesktopAlerts.h"
#include "base/ProgramLauncher.h"
#include "base/Rules.h"
#include "reading/CompressedTail.h"
#include "reading/Monitor.h"
#include "reading/OutputList.h"
#include "search/DayResults.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class MessageBox;
struct LogFolder;

namespace Ui
{
class frmMain;
}

// The main window: the log folders, the matching log files, the commands and the output.
class frmMain : public QWidget, private reading::FollowWindow
{
    Q_OBJECT

public:
    frmMain(MessageBox& messages, const QString& programDir, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load sequence, run before the window is shown. False: the configuration file holds a
    // line that cannot be interpreted and the program must end without showing the window.
    bool Form_Load();

    // Sets how far the output window scrolls sideways: to the end of its longest line.
    void SetHorizontalScrolls();

    // The window's settings, as the commands read them.
    const modMain::Settings& CurrentSettings() const { return m_settings; }
    // Whether a file is being followed.
    bool Following() const { return m_monitor.Running(); }
    // Goes on with the follow run this configuration had when it was last closed; once the
    // window is shown (frmMain_resume.cpp).
    void ResumeRun();

private Q_SLOTS:
    // frmMain.cpp: start, Quit, the file list, Tail and following.
    void cmdQuit_Click();
    void cmdTail_Click();
    void cmdContinous_Click();
    void cmdStop_Click();
    void chkDivider_Click();
    void File1_Click();
    void File1_DblClick();
    void ListView1_Click();

    // frmMain_folders.cpp: the log-folder commands.
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdRemove_Click();
    void cmdOpen_Click();
    void cmdView_Click();
    void ListView1_DblClick();

    // frmMain_output.cpp: the output window's commands.
    void cmdClear_Click();
    void cmdCopy_Click();
    void cmdSearch_Click();
    void cmdHighlight_Click();

    // frmMain_about.cpp: the About window.
    void cmdAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class LoadStep { Continue, Abort, EndProgram };
    void ConnectHandlers();
    // frmMain_about.cpp: the last step of the load sequence.
    void CheckForUpdate();
    void FillFileList();
    void SetFileCommands(bool view, bool tail, bool continous, bool stop);
    // Continous follows the chosen file, or with several folders selected one in each.
    bool CanFollow() const;
    void FollowFolders(const QList<LogFolder>& folders);
    void ShowFullPath(const QString& text, const QString& whole = {});
    int Twips(int twips) const;

    // The configuration file (frmMain_config.cpp).
    LoadStep ReadConfigFile();
    void AddFolderRow(const LogFolder& folder, qsizetype origin = -1);
    QList<config::FolderRow> FolderRows() const;
    void EndFollowing();              // as Stop does
    bool SaveConfigFile();            // false: the user chose to stay
    bool SaveChanges(QString* error); // this window's changes to the file as it is now
    bool ConfirmClose();              // false: the window stays open
    config::IniText m_iniText;        // the file as read at start
    bool m_iniUnreadable = false;     // Quit must leave the file alone
    bool m_closing = false;           // saved or discarded: the window may close
    class WindowState* m_state = nullptr;
    config::SaveFile m_save = config::WriteConfigFile;

public:
    // What saves the configuration and state files; WriteConfigFile unless set.
    void SetFileSaver(config::SaveFile save) { m_save = std::move(save); }

private:
    std::unique_ptr<Ui::frmMain> ui;
    MessageBox& m_messages;
    QString m_programDir;
    modMain::Settings m_settings;
    reading::OutputList m_output;

    // Following a file (frmMain.cpp).
    QString FilterText() const override;
    // A followed file's size changes at every read: the label takes it at most four times a
    // second, as the list is painted, the last size always shown.
    void ShowFileSize(const QString& caption) override;
    void SetFileSize(const QString& caption); // at once, dropping a size held back
    void ShowHeldFileSize();
    QTimer m_sizePace;
    std::optional<QString> m_heldSize;
    void FollowingMoved(const QString& from, const QString& to) override;
    const RuleSet* Rules() const override { return m_rules.get(); }
    // The rules file as read, and its rules, which the output window and following share.
    void ApplyRules();
    RulesFile m_rulesFile;
    std::shared_ptr<const RuleSet> m_rules;
    QString m_folderFilter; // the name style of the folder the file list shows
    reading::SystemClock m_clock;
    // Alerts from the followed lines (frmMain_output.cpp).
    DesktopAlerts m_alerts{*this, m_output, m_clock};
    reading::Alerts* Alerting() override { return &m_alerts.Logic(); }
    QString FollowedName() const override;
    reading::ReadingStore m_readings; // of every file Tail or following has read
    reading::Monitor m_monitor{m_output, *this, m_clock, m_settings, m_readings};
    // Keeps the run as it stands for the next start, every minute, at a day move and at Quit.
    void KeepRun(bool save);
    void DayMoved() override { KeepRun(true); }
    // Stop ends the run for good: the kept one goes from the state file at once.
    void ForgetRun();
    void StopFollowing(); // the run and the buttons, as Stop, keeping what Quit took
    QTimer m_runPace;

    // The log-folder commands (frmMain_folders.cpp).
public:
    // Where Open and View start their programs; children of their own unless set.
    void SetLauncher(class ProgramLauncher& launcher) { m_launcher = &launcher; }
    // Where the editor's Browse asks for a folder; the desktop's folder dialog unless set.
    void SetFolderPicker(class FolderPicker& picker) { m_picker = &picker; }

private:
    class ProgramLauncher& Launcher();
    ProgramLauncher::FailureReport ReportFailure();
    void OpenEditor(qint16 mode);
    void SetFolderColumns();
    class QTreeWidgetItem* SelectedRow() const;
    class ProgramLauncher* m_launcher = nullptr;
    class FolderPicker* m_picker = nullptr;
    class frmAddLogfile* m_editor = nullptr; // while the editor is open

    // The output window's commands (frmMain_output.cpp).
    void TailFailed(const QString& path, const QString& reason);
    QPointer<class frmSearch> m_search; // the open search dialog, if any
    // A search of the folder's days: it outlives the dialog, and the window waits for it.
    void ConnectDaySearch();
    search::DayResults m_days{m_output};
    reading::CompressedTail m_compressedTail{m_output}; // Tail of a compressed day, while it reads
    bool TailCompressed(const QString& path, const QString& note);

    // The update check and the About window (frmMain_about.cpp).
public:
    // Where the update check asks: "http://" and a host, or empty for no check at all. Set it
    // before Form_Load; the configured support server otherwise.
    void SetUpdateBase(const QString& base) { m_updateBase = base; }

private:
    static QString ConfiguredUpdateBase();
    QString m_updateBase = ConfiguredUpdateBase();
};
