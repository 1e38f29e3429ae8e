#include "folders/frmAddLogfile.h"

#include "base/FolderPicker.h"
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

frmAddLogfile::frmAddLogfile(qint16 EditorMode, QTreeWidget& folders, MessageBox& messages,
                             FolderPicker& picker, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::frmAddLogfile>()), m_mode(EditorMode), m_folders(folders),
      m_messages(messages), m_picker(picker)
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
    SetMode(m_mode);
    if (m_mode != EditMode)
        return;
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
    if (EditorOk(m_mode, values, m_folders, m_messages))
        accept();
}

void frmAddLogfile::SetMode(qint16 EditorMode)
{
    m_mode = EditorMode;
    setWindowTitle(m_mode == EditMode ? QStringLiteral("Edit Logfolder")
                                      : QStringLiteral("Add Logfolder"));
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
