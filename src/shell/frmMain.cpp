#include "frmMain.h"

#include "BusyCursor.h"
#include "WindowState.h"
#include "base/LogFolder.h"
#include "base/MessageBox.h"
#include "folders/FilterPattern.h"
#include "folders/FolderListView.h"
#include "reading/OutputView.h"
#include "reading/ShowTail.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>

#include <utility>

frmMain::frmMain(MessageBox& messages, const QString& programDir, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>()), m_messages(messages),
      m_programDir(programDir)
{
    Q_INIT_RESOURCE(tarvisk);
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(size()); // the window grows from its designed size, never below it
    setWindowIcon(QIcon(QStringLiteral(":/tarvisk.svg")));
    ui->lstRows->SetList(&m_output);
    ui->ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ConnectHandlers();
    ConnectDaySearch();
}

frmMain::~frmMain() = default;

void frmMain::ConnectHandlers()
{
    connect(ui->cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(ui->cmdTail, &QPushButton::clicked, this, &frmMain::cmdTail_Click);
    connect(&m_compressedTail, &reading::CompressedTail::Failed, this, &frmMain::TailFailed);
    connect(&m_compressedTail, &reading::CompressedTail::Shown, this,
            [this] { SetHorizontalScrolls(); });
    connect(ui->cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(ui->chkDivider, &QCheckBox::stateChanged, this, &frmMain::chkDivider_Click);
    connect(ui->File1, &QListWidget::itemClicked, this, &frmMain::File1_Click);
    // Choosing a file with the keyboard counts as clicking it; only a file that is really
    // selected enables its commands, so tabbing into the list changes nothing.
    connect(ui->File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!ui->File1->selectedItems().isEmpty())
            File1_Click();
    });
    connect(ui->File1, &QListWidget::itemDoubleClicked, this, &frmMain::File1_DblClick);
    connect(ui->File1, &FileListBox::ChosenFileGone, this,
            [this] { SetFileCommands(false, false, false, ui->cmdStop->isEnabled()); });
    // Enter is the keyboard's double click, on the row with the focus frame if none is chosen.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), ui->File1, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, [this] {
                    if (ui->File1->ChooseCurrent())
                        File1_DblClick();
                });
    // A click anywhere in the folder list, below the rows too, and a keyboard move count.
    ui->ListView1->setItemDelegate(new CutCellTips(ui->ListView1));
    connect(new FolderListClicks(*ui->ListView1), &FolderListClicks::Clicked, this,
            &frmMain::ListView1_Click);
    connect(ui->ListView1, &QTreeWidget::itemDoubleClicked, this, &frmMain::ListView1_DblClick);
    connect(ui->cmdContinous, &QPushButton::clicked, this, &frmMain::cmdContinous_Click);

    connect(ui->cmdAdd, &QPushButton::clicked, this, &frmMain::cmdAdd_Click);
    connect(ui->cmdEdit, &QPushButton::clicked, this, &frmMain::cmdEdit_Click);
    connect(ui->cmdRemove, &QPushButton::clicked, this, &frmMain::cmdRemove_Click);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(ui->cmdView, &QPushButton::clicked, this, &frmMain::cmdView_Click);

    connect(ui->cmdClear, &QPushButton::clicked, this, &frmMain::cmdClear_Click);
    connect(ui->cmdCopy, &QPushButton::clicked, this, &frmMain::cmdCopy_Click);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &frmMain::cmdSearch_Click);
    connect(ui->cmdHighlight, &QPushButton::clicked, this, &frmMain::cmdHighlight_Click);

    connect(ui->cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    m_sizePace.setSingleShot(true);
    m_sizePace.setInterval(250);
    connect(&m_sizePace, &QTimer::timeout, this, &frmMain::ShowHeldFileSize);
    // Esc stops following from anywhere in this window; the dialogs keep their own Esc.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut),
            &QShortcut::activated, this, [this] {
                if (m_compressedTail.Cancel())
                    return;
                if (ui->cmdStop->isEnabled())
                    cmdStop_Click();
            });
}

int frmMain::Twips(int twips) const
{
    return twips * logicalDpiX() / 1440;
}

bool frmMain::Form_Load()
{
    switch (ReadConfigFile()) {
    case LoadStep::EndProgram:
        return false;
    case LoadStep::Abort: // skips the remaining steps; nothing is reported
        return true;
    case LoadStep::Continue:
        break;
    }
    SetFolderColumns();
    ui->txtFilter->setText(QStringLiteral("*"));
    m_rulesFile = ReadRulesFile(RulesPath()); // its problems are said in its dialog
    ApplyRules();
    m_state = new WindowState(*this, *ui->ListView1, m_settings.IniPath);
    // Centred only when nothing was saved: a window manager puts the window where it was.
    if (const QScreen* screen = this->screen(); !m_state->Restore() && screen)
        move(screen->availableGeometry().center() - rect().center());
    CheckForUpdate();
    return true;
}

void frmMain::FillFileList()
{
    QString& path = m_settings.CurrentPath;
    path.clear();
    ui->File1->Clear();
    const QTreeWidgetItem* row = SelectedRow(); // none after a Ctrl+click that cleared it
    if (!row)
        return;
    const LogFolder folder = TreeFolderList::Values(*row);
    path = folder.Path;
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    const QString filter = folder.Filter;
    m_folderFilter = filter;
    QCoreApplication::processEvents();
    {
        BusyCursor busy;
        // A folder that cannot be read must not pass for an empty one.
        const FileListBox::Listing listing = ui->File1->SetPath(path);
        if (listing != FileListBox::Listing::Read) {
            busy.Release();
            m_messages.Show({(listing == FileListBox::Listing::Missing
                                  ? QStringLiteral("Path not found: ")
                                  : QStringLiteral("Permission denied: ")) +
                             path});
            return;
        }
        const std::optional<QString> pattern = FilterToPattern(filter);
        if (!pattern)
            return;
        ui->File1->SetPattern(*pattern);
    }
    QCoreApplication::processEvents();
}

void frmMain::SetFileCommands(bool view, bool tail, bool continous, bool stop)
{
    ui->cmdView->setEnabled(view);
    ui->cmdTail->setEnabled(tail);
    ui->cmdContinous->setEnabled(continous);
    ui->cmdStop->setEnabled(stop);
}

void frmMain::ListView1_Click()
{
    if (ui->ListView1->topLevelItemCount() == 0)
        return;
    m_days.Finish();
    m_compressedTail.Abandon();
    FillFileList();
    cmdStop_Click();
    SetFileCommands(false, false, CanFollow(), false);
}

bool frmMain::CanFollow() const
{
    return !ui->File1->FileName().isEmpty() ||
           TreeFolderList::SelectedFolders(*ui->ListView1).size() >= 2;
}

// A text with a `whole` is elided to the label's width and whole in its tool tip.
void frmMain::ShowFullPath(const QString& text, const QString& whole)
{
    QLabel* label = ui->lblFullPath;
    label->setText(whole.isEmpty()
                       ? text
                       : label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
    label->setToolTip(whole);
}

void frmMain::File1_Click()
{
    SetFileCommands(true, true, true, false);
}

void frmMain::File1_DblClick()
{
    cmdTail_Click();
}

void frmMain::cmdTail_Click()
{
    m_days.Finish();
    const QString path = m_settings.CurrentPath + ui->File1->FileName();
    ShowFullPath(path);
    if (TailCompressed(path, {}))
        return;
    if (const std::optional<QString> failure = reading::TailFile(
            path, m_settings, m_readings, m_output, [this](const QString& c) { SetFileSize(c); }))
        TailFailed(path, *failure);
    SetHorizontalScrolls();
}

void frmMain::ShowFileSize(const QString& caption)
{
    if (m_sizePace.isActive()) {
        m_heldSize = caption;
        return;
    }
    ui->lblFileSize->setText(caption);
    m_sizePace.start();
}

void frmMain::ShowHeldFileSize()
{
    if (!m_heldSize)
        return;
    ui->lblFileSize->setText(*std::exchange(m_heldSize, std::nullopt));
    m_sizePace.start();
}

void frmMain::SetFileSize(const QString& caption)
{
    m_heldSize.reset();
    ui->lblFileSize->setText(caption);
}

QString frmMain::FilterText() const
{
    return ui->txtFilter->text();
}

void frmMain::SetHorizontalScrolls()
{
    ui->lstRows->SetHorizontalExtent(ui->lstRows->LongestLinePixels());
}

void frmMain::cmdContinous_Click()
{
    if (const QList<LogFolder> folders = TreeFolderList::SelectedFolders(*ui->ListView1);
        folders.size() >= 2)
        return FollowFolders(folders);
    if (ui->File1->FileName().isEmpty())
        return;
    m_days.Finish();
    const QString path = m_settings.CurrentPath + ui->File1->FileName();
    ShowFullPath(path);
    if (TailCompressed(path, QStringLiteral("a compressed day is finished and is not followed")))
        return;
    ui->cmdStop->setEnabled(true);
    ui->cmdContinous->setEnabled(false);
    SetHorizontalScrolls();
    m_monitor.Start(path, m_folderFilter);
}

void frmMain::FollowFolders(const QList<LogFolder>& folders)
{
    m_days.Finish();
    m_compressedTail.Abandon(); // its end would replace the run's lines
    QStringList names;
    for (const LogFolder& folder : folders)
        names << folder.Name;
    const QString label = QStringLiteral("Following %1 folders: ").arg(folders.size()) +
                          names.join(QStringLiteral(", "));
    ShowFullPath(label, label);
    SetFileSize(QStringLiteral("%1 folders").arg(folders.size()));
    ui->cmdStop->setEnabled(true);
    ui->cmdContinous->setEnabled(false);
    SetHorizontalScrolls();
    m_monitor.Start(folders);
}

void frmMain::FollowingMoved(const QString& from, const QString& to)
{
    ShowFullPath(to);
    // The list shows the new day's file; the choice follows it only while it still names the
    // file that was followed. No click handler runs: the commands stay as they are.
    FileListBox* files = ui->File1;
    const bool chosen = m_settings.CurrentPath + files->FileName() == from;
    const QSignalBlocker quiet(files);
    files->Refresh();
    const QString name = to.mid(to.lastIndexOf(QDir::separator()) + 1);
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
    if (chosen && !found.isEmpty())
        files->setCurrentItem(found.first());
}

// The run's size (or its "Cannot open") goes with it; Continous needs a chosen file or several
// folders, or it would follow the folder itself.
void frmMain::cmdStop_Click()
{
    StopFollowing();
    ForgetRun();
}

void frmMain::StopFollowing()
{
    if (m_monitor.Running())
        SetFileSize(QString());
    m_monitor.Stop();
    ui->cmdStop->setEnabled(false);
    ui->cmdContinous->setEnabled(CanFollow());
}

void frmMain::cmdQuit_Click()
{
    KeepRun(false); // taken while it still goes on
    EndFollowing();
    if (!SaveConfigFile())
        return; // the user stays, with following ended as by Stop
    m_closing = true;
    close();
}

void frmMain::chkDivider_Click()
{
    m_settings.UseDividers = ui->chkDivider->isChecked();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The frame's close box asks about unsaved changes before anything stops.
    if (!m_closing)
        KeepRun(false);
    if (!m_closing && !ConfirmClose()) {
        event->ignore();
        return;
    }
    m_monitor.Stop();
    event->accept();
}
