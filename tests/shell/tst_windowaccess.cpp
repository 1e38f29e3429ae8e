#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "settings/modMain.h"
#include "shell/ConfigFile.h"
#include "shell/QtMessageBox.h"
#include "shell/frmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

// What keyboard users, screen readers and desktop automation meet in the windows.
class TestWindowAccess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_window;

    // Every control that takes the focus has a name to be found by.
    static void AllNamed(QWidget* window)
    {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().isEmpty() ||
                w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        const QString longPath = QStringLiteral("/srv/logs/") + QString(120, u'w');
        QVERIFY(
            WriteFile(m_dir.filePath(QStringLiteral("tarvisk.ini")),
                      config::FormatConfigFile("vi", true, {{"Web", longPath, "exyymmdd.log"}})));
        m_window = std::make_unique<frmMain>(m_messages, m_dir.path());
        QVERIFY(m_window->Form_Load());
        m_window->show();
    }

    void cleanup() { m_window.reset(); }

    void controlsAreNamed()
    {
        AllNamed(m_window.get());
        for (const char* button : {"cmdAdd", "cmdSearch"}) {
            m_window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            auto* dialog = m_window->findChild<QDialog*>();
            QVERIFY(dialog);
            AllNamed(dialog);
            delete dialog;
        }
    }

    void cutCellShowsItsTextAsTip()
    {
        auto* list = m_window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QTreeWidgetItem* row = list->topLevelItem(0);
        for (int column : {0, 1}) {
            const QPoint at = list->visualItemRect(row).topLeft() +
                              QPoint(list->columnViewportPosition(column) + 4, 4);
            QHelpEvent tip(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &tip);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(),
                     column == 1 ? row->text(1) : QString()); // "Web" fits
            QToolTip::hideText();
        }
    }

    void longMessageWraps()
    {
        const QString line = QStringLiteral("Unable to interpret: ") + QString(400, u'x');
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarvisk"), Breakable(line));
        box.show();
        QVERIFY(box.width() < box.screen()->availableGeometry().width() * 6 / 10);
        QCOMPARE(Breakable(line).remove(QChar(0x200B)), line);
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_windowaccess.moc"
