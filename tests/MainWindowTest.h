#pragma once

#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "shell/ConfigFormat.h"
#include "shell/frmMain.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

// The main window of a program folder of its own, with fake message boxes and program starts,
// driven as a user does: controls found by their object names.
class MainWindowTest
{
protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMessageBox m_messages;
    FakeLauncher m_launcher;
    std::unique_ptr<frmMain> m_window;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    template <class T = QPushButton> T* Get(const char* name) const
    {
        return m_window->findChild<T*>(name);
    }

    // Starts the window, shown and active, with these folders or on the configuration file as
    // it is.
    void Load(const QList<LogFolder>& folders = {})
    {
        if (!folders.isEmpty())
            QVERIFY(WriteFile(Path("tarvisk.ini"), config::FormatConfigFile("vi", true, folders)));
        m_messages.shown.clear();
        m_window = std::make_unique<frmMain>(m_messages, m_dir->path());
        m_window->SetLauncher(m_launcher);
        QVERIFY(m_window->Form_Load());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    // A click on a row of the folders ("ListView1"), the files ("File1") or the output.
    void Click(const char* list, int row)
    {
        auto* view = Get<QAbstractItemView>(list);
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }
};
