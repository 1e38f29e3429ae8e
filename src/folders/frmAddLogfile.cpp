#include "folders/frmAddLogfile.h"

#include "base/FolderPicker.h"
#include "settings/modMain.h"
#include "ui_frmAddLogfile.h"

#include <QDir>

const QStringList frmAddLogfile::Styles = {QStringLiteral("exyymmdd.log"),
                                           QStringLiteral("inyymmdd.log"),
                                           QStringLiteral("ncyymmdd.log"),
                                           QStringLiteral("FWSEXTDyyyymmdd.log"),
                                           QStringLiteral("IPPEXTDyyyymmdd.log"),
                                           QStringLiteral("WEBEXTDyyyymmdd.log"),
                                           QStringLiteral("*.log"),
                                           QStringLiteral("*.*")};

frmAddLogfile::frmAddLogfile(QTreeWidget& folders, MessageBox& messages, FolderPicker& picker,
                             QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::frmAddLogfile>()), m_folders(folders), m_messages(messages),
      m_picker(picker)
{
    ui->setupUi(this);
    setFixedSize(size());
    setModal(false);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAddLogfile::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAddLogfile::cmdCancel_Click);
    connect(ui->cmdBrowse, &QPushButton::clicked, this, &frmAddLogfile::cmdBrowse_Click);
    // Closed in any way (OK, Cancel, Esc, the close box): gone, so the next opening is fresh.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
    Form_Load();
}

frmAddLogfile::~frmAddLogfile() = default;

void frmAddLogfile::Form_Load()
{
    ui->cmbLogFileStyle->addItems(Styles);
    ui->cmbLogFileStyle->setCurrentIndex(-1); // no style chosen: the text stays empty
    if (modMain::EditorMode != EditMode) {
        setWindowTitle(QStringLiteral("Add Logfolder"));
        return;
    }
    setWindowTitle(QStringLiteral("Edit Logfolder"));
    // With no row selected the fields stay empty; OK then asks for a row.
    if (const std::optional<LogFolder> row = m_folders.Selected()) {
        ui->txtLogname->setText(row->Name);
        ui->txtLogPath->setText(row->Path);
        ui->cmbLogFileStyle->setEditText(row->Filter);
    }
}

void frmAddLogfile::cmdOK_Click()
{
    const LogFolder values = {ui->txtLogname->text(), ui->txtLogPath->text(),
                              ui->cmbLogFileStyle->currentText()};
    if (EditorOk(modMain::EditorMode, values, m_folders, m_messages))
        accept();
}

// The chosen folder replaces the path; a cancelled choice leaves it.
void frmAddLogfile::cmdBrowse_Click()
{
    const QString folder = m_picker.PickFolder(ui->txtLogPath->text());
    if (!folder.isEmpty())
        ui->txtLogPath->setText(QDir::toNativeSeparators(folder));
}

void frmAddLogfile::cmdCancel_Click()
{
    reject();
}
