#include "frmMain.h"

#include "ConfigFile.h"
#include "LogFolder.h"
#include "MessageBox.h"
#include "modMain.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QStandardPaths>

frmMain::frmMain(MessageBox& messages, const QString& programDir, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>()), m_messages(messages),
      m_programDir(programDir)
{
    ui->setupUi(this);
    connect(ui->cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(ui->chkDivider, &QCheckBox::stateChanged, this, &frmMain::chkDivider_Click);
}

frmMain::~frmMain() = default;

int frmMain::Twips(int twips) const
{
    return twips * logicalDpiX() / 1440;
}

bool frmMain::Form_Load()
{
    switch (ReadConfigFile()) {
    case LoadStep::EndProgram:
        return false;
    case LoadStep::Abort:
        // A failure of the load sequence skips its remaining steps and is not reported.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return true;
    case LoadStep::Continue:
        break;
    }
    ui->ListView1->setColumnWidth(0, Twips(2800));
    ui->ListView1->setColumnWidth(1, Twips(2800));
    ui->ListView1->setColumnWidth(2, Twips(1000));
    ui->txtFilter->setText(QStringLiteral("*"));
    return true;
}

frmMain::LoadStep frmMain::ReadConfigFile()
{
    using Status = config::ReadResult::Status;
    const QString userConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    modMain::IniPath = config::ChooseIniPath(m_programDir, userConfig);
    const config::ReadResult result = config::ReadConfigFile();
    switch (result.status) {
    case Status::CreateFailed:
        return LoadStep::Abort;
    case Status::Invalid:
        m_messages.Show({config::InvalidDataText(result.invalidLine), config::InvalidDataTitle(),
                         Message::Icon::Exclamation, Message::Buttons::Ok});
        return LoadStep::EndProgram;
    case Status::Failed:
        m_messages.Show({result.failure});
        return LoadStep::Continue;
    case Status::Read:
        for (qsizetype i = 1; i < modMain::FolderNames.size(); ++i)
            AddFolderRow({modMain::FolderNames[i], modMain::FolderPaths[i],
                          modMain::FolderFilters[i]});
        break;
    case Status::Created:
        break;
    }
    ui->chkDivider->setChecked(modMain::UseDividers);
    return LoadStep::Continue;
}

void frmMain::AddFolderRow(const LogFolder& folder)
{
    new QTreeWidgetItem(ui->ListView1, {folder.Name, folder.Path, folder.Filter});
}

QList<LogFolder> frmMain::FolderRows() const
{
    QList<LogFolder> rows;
    const int count = ui->ListView1->topLevelItemCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = ui->ListView1->topLevelItem(i);
        rows.append({item->text(0), item->text(1), item->text(2)});
    }
    return rows;
}

void frmMain::WriteConfigFile()
{
    const QByteArray content =
        config::FormatConfigFile(modMain::ExtViewer, modMain::UseDividers, FolderRows());
    QString error;
    if (!config::WriteConfigFile(modMain::IniPath, content, &error))
        m_messages.Show({QStringLiteral("The settings could not be saved to ") +
                             modMain::IniPath + QStringLiteral("\n\n") + error,
                         QStringLiteral("Tarvisk"), Message::Icon::Exclamation});
}

void frmMain::cmdQuit_Click()
{
    StopRequested = true;
    WriteConfigFile();
    close();
}

void frmMain::chkDivider_Click()
{
    modMain::UseDividers = ui->chkDivider->isChecked();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing by the frame discards this run's changes; only Quit saves. A follow loop must
    // still end.
    StopRequested = true;
    event->accept();
}
