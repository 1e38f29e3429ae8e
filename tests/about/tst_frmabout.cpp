#include "FakeMessageBox.h"
#include "about/UrlOpener.h"
#include "about/frmAbout.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The About window: opened from the main window, closed by Enter and Escape, and its address.
class TestFrmAbout : public QObject
{
    Q_OBJECT

    struct FakeOpener final : UrlOpener {
        void Open(const QString& address) override { opened.append(address); }
        QStringList opened;
    };

    static QString Text(QWidget* w, const char* name)
    {
        return w->findChild<QLabel*>(name)->text();
    }

private Q_SLOTS:
    void openTwice()
    {
        QTemporaryDir dir;
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        window.SetUpdateBase(QString());
        QVERIFY(window.Form_Load());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QStringList seen;
            bool closed = false;
            QTimer::singleShot(0, &window, [&] {
                QWidget* about = QApplication::activeModalWidget();
                if (!about || about->parentWidget() != &window)
                    return;
                seen << about->windowTitle() << Text(about, "lblTitle")
                     << Text(about, "lblVersion");
                QTest::keyClick(about, key);
                closed = !about->isVisible();
                about->close(); // never leave the test waiting on a window the key left open
            });
            window.findChild<QPushButton*>("cmdAbout")->click();
            QVERIFY(closed);
            QCOMPARE(seen, QStringList({"About Tarvisk", "Tarvisk", "Version " TARVISK_VERSION}));
            QVERIFY(!QApplication::activeModalWidget());
        }
    }

    void address()
    {
        FakeOpener opener;
        frmAbout about(opener, "https://example.org/tarvisk", nullptr);
        about.Form_Load();
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* label = about.findChild<QLabel*>("Label2");
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList("https://example.org/tarvisk"));
        QVERIFY(about.isVisible());
        QVERIFY(frmAbout(opener, QString(), nullptr).findChild<QLabel*>("Label2")->isHidden());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
