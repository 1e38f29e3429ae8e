#include "frmSearch.h"

#include "ui_frmSearch.h"

#include <QCloseEvent>

frmSearch::frmSearch(reading::OutputList& lstRows, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::frmSearch>()), m_lstRows(lstRows)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmSearch::cmdCancel_Click);
    connect(ui->txtSearch, &QLineEdit::textChanged, this, &frmSearch::txtSearch_Change);
    connect(ui->optDays, &QRadioButton::toggled, this, &frmSearch::optDays_Toggled);
    connect(&m_count, &search::ListCount::Finished, this, &frmSearch::ShowResult);
    connect(&m_count, &search::ListCount::Cancelled, this,
            [this] { ui->lblStatus->setText(QStringLiteral("Search cancelled")); });
    connect(&m_count, &search::ListCount::Progress, this, [this](qsizetype done, qsizetype lines) {
        ui->lblStatus->setText(QStringLiteral("Searching... line %1 of %2").arg(done).arg(lines));
    });
    connect(ui->chkRegex, &QCheckBox::toggled, this, &frmSearch::txtSearch_Change);
    // Another range is another search.
    for (QDateEdit* day : {ui->dtFrom, ui->dtTo})
        connect(day, &QDateEdit::dateChanged, this, &frmSearch::txtSearch_Change);
    // The last seven days up to today.
    ui->dtTo->setDate(QDate::currentDate());
    ui->dtFrom->setDate(QDate::currentDate().addDays(-6));
    optDays_Toggled();
    ui->txtSearch->setFocus();
}

void frmSearch::SetDays(search::DayResults& days, std::function<QList<search::DayFolder>()> folders)
{
    m_days = &days;
    m_folders = std::move(folders);
    ui->optDays->setEnabled(true);
    connect(&days, &search::DayResults::Progress, this, &frmSearch::DaysProgress);
    connect(&days, &search::DayResults::Finished, this, &frmSearch::DaysFinished);
}

frmSearch::~frmSearch() = default;

void frmSearch::cmdSearch_Click()
{
    if (DaysRunning())
        return;
    if (ui->optDays->isChecked() && m_mode == search::Mode::Count) {
        StartDays();
        return;
    }
    const QString text = ui->txtSearch->text();
    const auto result = m_mode == search::Mode::Count
                            ? m_count.Start(text, ui->chkRegex->isChecked())
                            : search::Press(m_lstRows, text, m_mode);
    if (m_count.Running())
        ui->lblStatus->setText(QStringLiteral("Searching..."));
    else if (result)
        ShowResult(*result);
}

void frmSearch::ShowResult(const search::PressResult& result)
{
    SetMode(result.mode);
    ui->lblStatus->setText(result.status);
}

void frmSearch::cmdCancel_Click()
{
    if (DaysRunning())
        m_days->Cancel();
    else if (m_count.Running())
        m_count.Cancel();
    else
        close();
}

void frmSearch::closeEvent(QCloseEvent* event)
{
    if (DaysRunning())
        m_days->Cancel();
    m_count.Cancel();
    event->accept();
}

// Another text is another search: a count still running for the old one stops.
void frmSearch::txtSearch_Change()
{
    m_count.Cancel();
    SetMode(search::Mode::Count);
}

void frmSearch::SetMode(search::Mode mode)
{
    m_mode = mode;
    ui->cmdSearch->setText(search::Caption(mode));
}

void frmSearch::optDays_Toggled()
{
    const bool days = ui->optDays->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(ui->lblFrom), static_cast<QWidget*>(ui->dtFrom),
                             static_cast<QWidget*>(ui->lblTo), static_cast<QWidget*>(ui->dtTo)})
        control->setEnabled(days);
    ui->prgDays->setVisible(days);
    txtSearch_Change();
}

void frmSearch::StartDays()
{
    const QString text = ui->txtSearch->text();
    const QList<search::DayFolder> folders = m_folders();
    if (text.isEmpty())
        return;
    if (folders.isEmpty() || folders.first().path.isEmpty()) {
        ui->lblStatus->setText(QStringLiteral("Choose a log folder first"));
        return;
    }
    const QString error = m_days->Start(folders, ui->dtFrom->date(), ui->dtTo->date(), text,
                                        ui->chkRegex->isChecked());
    if (!error.isEmpty()) {
        ui->lblStatus->setText(error);
        return;
    }
    ui->prgDays->setValue(0);
    ui->prgDays->setFormat(QString());
    ui->lblStatus->setText(QStringLiteral("Searching..."));
    ui->cmdSearch->setEnabled(false);
}

// The bar goes by the bytes read from the files; the text counts the bytes searched, which for
// a compressed day are its uncompressed content.
void frmSearch::DaysProgress(qsizetype filesDone, qsizetype files, qint64 bytesDone, qint64 bytes,
                             qint64 contentDone)
{
    ui->prgDays->setValue(bytes > 0 ? int(qMin<qint64>(1000, bytesDone * 1000 / bytes)) : 0);
    ui->prgDays->setFormat(
        QStringLiteral("%1 of %2 files, %3 bytes").arg(filesDone).arg(files).arg(contentDone));
}

void frmSearch::DaysFinished(const search::PressResult& result)
{
    ui->prgDays->setValue(ui->prgDays->maximum());
    ui->cmdSearch->setEnabled(true);
    ShowResult(result);
}
