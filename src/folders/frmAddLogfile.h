#pragma once

#include "folders/FolderListView.h"

#include <QDialog>

#include <memory>

class FolderPicker;
class MessageBox;
class QTreeWidget;

namespace Ui
{
class frmAddLogfile;
}

// The log-folder editor: adds a folder to the main window's list or changes the selected one,
// as its EditorMode (AddMode or EditMode) says when OK is pressed; its title says the same.
// Modeless and owned by the main window; it deletes itself once closed, so each opening starts
// afresh.
class frmAddLogfile : public QDialog
{
    Q_OBJECT

public:
    frmAddLogfile(qint16 EditorMode, QTreeWidget& folders, MessageBox& messages,
                  FolderPicker& picker, QWidget* owner);
    ~frmAddLogfile() override;

    // An open editor switched to another mode: the title follows, the fields stay.
    void SetMode(qint16 EditorMode);

    // The name styles the filter box offers, in their order.
    static const QStringList Styles;

private Q_SLOTS:
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();

private:
    void Form_Load();

    std::unique_ptr<Ui::frmAddLogfile> ui;
    qint16 m_mode;
    TreeFolderList m_folders;
    MessageBox& m_messages;
    FolderPicker& m_picker;
};
