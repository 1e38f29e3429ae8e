#include "frmAbout.h"

#include "UpdateCheck.h"
#include "UrlOpener.h"
#include "ui_frmAbout.h"

#include <QIcon>

frmAbout::frmAbout(UrlOpener& opener, const QString& webAddress, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::frmAbout>()), m_opener(opener)
{
    Q_INIT_RESOURCE(tarvisk);
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setModal(true);
    ui->picIcon->setPixmap(QIcon(QStringLiteral(":/tarvisk.svg")).pixmap(32, 32));
    QFont link = ui->Label2->font();
    link.setPointSizeF(9.75); // a little larger than the notices, as a link stands out
    ui->Label2->setFont(link);
    ui->Label2->setText(webAddress);
    ui->Label2->setVisible(!webAddress.isEmpty());
    ui->cmdOK->setDefault(true);
    connect(ui->Label2, &ClickLabel::clicked, this, &frmAbout::Label2_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    const QString title = QStringLiteral("Tarvisk");
    setWindowTitle(QStringLiteral("About ") + title);
    ui->lblVersion->setText(QStringLiteral("Version ") + about::VersionText());
    ui->lblTitle->setText(title);
}

void frmAbout::Label2_Click()
{
    m_opener.Open(ui->Label2->text());
}

// Escape closes the window the same way, through QDialog's own reject.
void frmAbout::cmdOK_Click()
{
    accept();
}
