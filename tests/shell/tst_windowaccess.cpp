#include "MainWindowTest.h"
#include "shell/QtMessageBox.h"
#include "shell/frmRules.h"

#include <QSignalSpy>

// What keyboard users, screen readers and desktop automation meet in the windows.
class TestWindowAccess : public QObject, MainWindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_window.reset(); }

    // Every command has its Alt key; each runs its control's command. Filter and the two lists
    // take the focus.
    void accelerators_data()
    {
        QTest::addColumn<QChar>("key");
        QTest::addColumn<QString>("control");
        const char* table[][2] = {{"A", "cmdAdd"},       {"R", "cmdRemove"}, {"E", "cmdEdit"},
                                  {"O", "cmdOpen"},      {"V", "cmdView"},   {"T", "cmdTail"},
                                  {"C", "cmdContinous"}, {"P", "cmdStop"},   {"L", "cmdClear"},
                                  {"Y", "cmdCopy"},      {"S", "cmdSearch"}, {"U", "chkDivider"},
                                  {"F", "txtFilter"},    {"B", "cmdAbout"},  {"Q", "cmdQuit"},
                                  {"D", "ListView1"},    {"M", "File1"},     {"G", "cmdHighlight"}};
        for (const auto& [key, control] : table)
            QTest::newRow(control) << QChar::fromLatin1(key[0]) << QString::fromLatin1(control);
    }

    void accelerators()
    {
        QFETCH(QChar, key);
        QFETCH(QString, control);
        Load();
        auto* target = Get<QWidget>(qPrintable(control));
        target->setEnabled(true); // the file commands wait for a chosen file
        auto* button = qobject_cast<QAbstractButton*>(target);
        QSignalSpy pressed(button ? button : target,
                           button ? SIGNAL(clicked()) : SIGNAL(destroyed()));
        // About waits in a modal window: close it once it is up.
        QTimer::singleShot(500, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QTest::keyClick(m_window.get(), Qt::Key(key.unicode()), Qt::AltModifier);
        if (button)
            QTRY_COMPARE(pressed.size(), 1);
        else
            QCOMPARE(QApplication::focusWidget(), target);
    }

    // With one folder of one file, the keyboard alone chooses both: Space, Enter or an arrow on
    // the row with the focus frame. Esc stops following from the main window; in the search
    // dialog it closes only the dialog.
    void escape_data()
    {
        QTest::addColumn<int>("key");
        for (const int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Down, Qt::Key_Up})
            QTest::addRow("%s", qPrintable(QKeySequence(key).toString())) << key;
    }

    void escape()
    {
        QFETCH(int, key);
        QVERIFY(WriteFile(Path("ex261206.log"), "a\n"));
        Load({{"Web", m_dir->path(), "ex*.log"}});
        frmMain& window = *m_window;
        for (const char* list : {"ListView1", "File1"}) {
            Get<QWidget>(list)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(Get<QWidget>(list), Qt::Key(key));
        }
        QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
        auto* stop = Get("cmdStop");
        QTRY_VERIFY(stop->isEnabled());
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(window.findChild<QDialog*>());
        auto* dialog = window.findChild<QDialog*>();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!window.findChild<QDialog*>());
        QVERIFY(stop->isEnabled() && window.Following());
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(Get<QWidget>("lstRows"), Qt::Key_Escape);
        QVERIFY(!stop->isEnabled() && !window.Following());
    }

    // Focusable controls of the main window and its dialogs have names; a cut path has a tip.
    void mainWindow()
    {
        const QString longPath = QStringLiteral("/srv/logs/") + QString(120, u'w');
        Load({{"Web", longPath, "ex.log"}});
        frmMain& window = *m_window;
        for (const char* button : {"cmdAdd", "cmdSearch"})
            Get(button)->click();
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
        for (const QLabel* label : window.findChildren<QLabel*>()) // a dialog's labels: Alt keys
            QVERIFY2(label->window() == &window || label->text().isEmpty() || label->buddy(),
                     qPrintable(label->text()));

        // Tab leaves the output list instead of moving its current line.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Get<QWidget>("lstRows")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdClear"));
        // Tab walks the main window's controls in this order.
        QStringList order;
        for (QWidget* w = Get<QWidget>("ListView1"); order.size() < 19; w = w->nextInFocusChain())
            if (named(w) && w->window() == &window)
                order << w->objectName();
        QCOMPARE(order.join(u' '),
                 QStringLiteral("ListView1 cmdAdd cmdRemove cmdEdit cmdOpen File1 cmdView "
                                "cmdTail cmdContinous cmdStop lstRows cmdClear "
                                "cmdCopy cmdSearch cmdHighlight chkDivider txtFilter cmdAbout "
                                "cmdQuit"));

        auto* list = Get<QTreeWidget>("ListView1");
        const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
        QHelpEvent tip(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &tip);
        QCOMPARE(QToolTip::text(), longPath);
    }

    // The rules dialog from opening to saving by keyboard alone: the starter rules, a new
    // expression saved only once valid, a rule moved and one removed.
    void rulesByKeyboard()
    {
        RulesFile file = ReadRulesFile(Path("rules.txt"));
        frmRules dialog(file);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // Alt keys (a button's is pressed as a click shown for 100 ms), then a plain key.
        const auto keys = [&](const QString& alt, Qt::Key key = Qt::Key_unknown) {
            for (const QChar c : alt) {
                QTest::keyClick(&dialog, Qt::Key(c.toUpper().unicode()), Qt::AltModifier);
                QTest::qWait(120);
            }
            if (key != Qt::Key_unknown)
                QTest::keyClick(QApplication::focusWidget(), key);
        };
        keys("ba"); // starter rules, a new rule with the focus in its text
        QTest::keyClicks(QApplication::focusWidget(), "(a");
        keys("x");
        auto* save = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
        QVERIFY(!dialog.findChild<QLabel*>("lblError")->text().isEmpty() && !save->isEnabled());
        keys("t", Qt::Key_End);
        QGuiApplication::clipboard()->setText("\nb"); // a pasted line break is refused
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(dialog.findChild<QLabel*>("lblError")->text().contains("line break") &&
                !save->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "+)$");
        keys("o", Qt::Key_End); // alert
        keys("o", Qt::Key_Up);  // hide while following
        keys("u");
        keys("r", Qt::Key_Home);
        keys("vs");
        QVERIFY(dialog.result() == QDialog::Accepted);
        QCOMPARE(ReadFile(Path("rules.txt")),
                 "colour:orange\twords\tnocase\tfail\n"
                 "hide\tregex\tnocase\t(a+)$\n"
                 "colour:purple\tregex\tnocase\t\" 5\\d\\d | 5\\d\\d \\d+ \\d+ \\d+$\n");
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
