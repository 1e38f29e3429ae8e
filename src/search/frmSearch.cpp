#include "frmSearch.h"

#include "Search.h"
#include "ui_frmSearch.h"

frmSearch::frmSearch(OutputList& lstRows, QWidget* owner)
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
    ui->txtSearch->setFocus();
}

frmSearch::~frmSearch() = default;

void frmSearch::cmdSearch_Click()
{
    const auto result = search::Press(m_lstRows, ui->txtSearch->text(), ui->cmdSearch->text());
    if (!result)
        return;
    ui->cmdSearch->setText(result->caption);
    ui->lblStatus->setText(result->status);
}

void frmSearch::cmdCancel_Click()
{
    close();
}

void frmSearch::txtSearch_Change()
{
    ui->cmdSearch->setText(QStringLiteral("&Search"));
}
