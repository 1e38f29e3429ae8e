#pragma once

#include <QDialog>

#include <memory>

class UrlOpener;

namespace Ui
{
class frmAbout;
}

// The About window: title, version, the maker's notices and web site. Modal over its owner.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // An empty web address leaves the address line out.
    frmAbout(UrlOpener& opener, const QString& webAddress, QWidget* owner);
    ~frmAbout() override;

    void Form_Load();

private Q_SLOTS:
    void Label2_Click();
    void cmdOK_Click();

private:
    std::unique_ptr<Ui::frmAbout> ui;
    UrlOpener& m_opener;
};
