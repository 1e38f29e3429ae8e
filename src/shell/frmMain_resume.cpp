#include "frmMain.h"

#include "WindowState.h"
#include "base/MessageBox.h"
#include "ui_frmMain.h"

// The follow run kept in the state file: resumed at the start, kept while it goes on.

namespace
{
// A crash or a reboot loses at most this much of the run's position, never a line.
constexpr int KeepEveryMs = 60000;
} // namespace

void frmMain::ResumeRun()
{
    if (!m_state || m_runPace.isActive())
        return;
    connect(&m_runPace, &QTimer::timeout, this, [this] { KeepRun(true); });
    m_runPace.start(KeepEveryMs);
    RunKeeper& runs = m_state->Runs();
    if (!runs.Own()) // another program on this configuration resumed it
        return;
    QByteArray saved;
    QString error;
    if (!runs.Saved(saved, &error)) {
        m_messages.Show({QStringLiteral("The follow run kept in ") + WindowState::Path() +
                             QStringLiteral(" cannot be read; it is not resumed.\n\n") + error,
                         QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
        return;
    }
    runs.Keep(saved); // until the run says otherwise
    if (saved.isEmpty())
        return;
    const std::optional<reading::RunState> run = reading::RunStateFrom(saved);
    if (run)
        ui->chkDivider->setChecked(run->dividers);
    QList<LogFolder> configured;
    for (const config::FolderRow& row : FolderRows())
        configured.append(row.folder);
    if (!m_monitor.Resume(saved, configured))
        return;
    QStringList names;
    for (const LogFolder& folder : run->folders)
        names << folder.Name;
    const QString label = QStringLiteral("Following %1 folders: ").arg(names.size()) +
                          names.join(QStringLiteral(", "));
    names.isEmpty() ? ShowFullPath(run->path) : ShowFullPath(label, label);
    ui->cmdStop->setEnabled(true);
    ui->cmdContinous->setEnabled(false);
    SetHorizontalScrolls();
}

void frmMain::KeepRun(bool save)
{
    if (!m_state || !m_state->Runs().Owned())
        return;
    const std::optional<reading::RunState> run = m_monitor.Snapshot();
    const QByteArray text = run ? reading::RunStateText(*run) : QByteArray();
    if (text.isEmpty() && m_state->Runs().Kept().isEmpty())
        return; // nothing followed since the last save
    m_state->Runs().Keep(text);
    QString error; // the next save tries again; the file stays as it was
    if (save)
        m_state->Save(m_save, &error);
}

void frmMain::ForgetRun()
{
    if (!m_state || !m_state->Runs().Owned() || m_state->Runs().Kept().isEmpty())
        return;
    m_state->Runs().Keep({});
    QString error; // Quit tries again
    if (!m_state->Save(m_save, &error))
        m_monitor.ShowMarker(QStringLiteral("the stopped run could not be forgotten (") + error +
                             QStringLiteral("): a start after a crash may still resume it"));
}
