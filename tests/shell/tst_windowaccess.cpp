#include "FakeMessageBox.h"
#include "TestFiles.h"
#include "shell/ConfigFile.h"
#include "shell/QtMessageBox.h"
#include "shell/frmMain.h"

#include <QTest>
#include <QtWidgets>

// What keyboard users, screen readers and desktop automation meet in the windows.
class TestWindowAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Focusable controls of the main window and its dialogs have names; a cut path has a tip.
    void mainWindow()
    {
        QTemporaryDir dir;
        const QString longPath = QStringLiteral("/srv/logs/") + QString(120, u'w');
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("tarvisk.ini")),
                          config::FormatConfigFile("vi", true, {{"Web", longPath, "ex.log"}})));
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        QVERIFY(window.Form_Load());
        window.show();
        for (const char* button : {"cmdAdd", "cmdSearch"})
            window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        QCOMPARE(window.findChildren<QDialog*>().size(), 2);
        const auto named = [](const QWidget* w) {
            const QString name = w->objectName();
            return (w->focusPolicy() & Qt::TabFocus) && !name.isEmpty() && !name.startsWith(u"qt_");
        };
        for (QWidget* w : window.findChildren<QWidget*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(!named(w) || (a && !a->text(QAccessible::Name).isEmpty()),
                     qPrintable(w->objectName()));
        }

        // Tab leaves the output list instead of moving its current line.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QWidget*>("lstRows")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdClear"));
        // Tab walks the main window's controls in this order.
        QStringList order;
        for (QWidget* w = window.findChild<QWidget*>("ListView1"); order.size() < 18;
             w = w->nextInFocusChain())
            if (named(w) && w->window() == &window)
                order << w->objectName();
        QCOMPARE(order.join(u' '),
                 QStringLiteral("ListView1 cmdAdd cmdRemove cmdEdit File1 cmdView "
                                "cmdTail cmdContinous cmdStop lstRows cmdClear "
                                "cmdCopy cmdSearch chkDivider txtFilter cmdAbout "
                                "cmdQuit cmdOpen"));

        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
        QHelpEvent tip(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &tip);
        QCOMPARE(QToolTip::text(), longPath);
    }

    // A long message wraps, yet a copy of it and assistive tools get exactly its text.
    void longMessageWraps()
    {
        const QString line = QStringLiteral("Unable to interpret: ") + QString(400, u'x');
        const auto box = MakeMessageBox({line, "Tarvisk", Message::Icon::Exclamation}, nullptr);
        box->show();
        QVERIFY(box->width() < box->screen()->availableGeometry().width() * 6 / 10);
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        label->setSelection(0, int(label->text().size()));
        QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), line);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), line);
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_windowaccess.moc"
