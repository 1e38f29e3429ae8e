#include "FakeMessageBox.h"
#include "about/UrlOpener.h"
#include "about/frmAbout.h"
#include "shell/frmMain.h"

#include <QTest>
#include <QtNetwork>
#include <QtWidgets>

// The update check at start against a loopback HTTP server, and the About window.
class TestAbout : public QObject
{
    Q_OBJECT

    struct FakeOpener final : UrlOpener {
        void Open(const QString& address) override { opened.append(address); }
        QStringList opened;
    };

private Q_SLOTS:
    // The window keeps its state in a test folder, not in the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startup_data()
    {
        QTest::addColumn<QByteArray>("response"); // also "refused", and "off" for no base
        QTest::addColumn<QString>("shown");       // the version in the message; null: no message
        auto reply = [](const QByteArray& body, const char* status = "200 OK") {
            return "HTTP/1.1 " + QByteArray(status) +
                   "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        };
        QTest::newRow("newer code by code, equal as a number, 4 KiB")
            << reply("1.1" + QByteArray(4093, '0')) << "1.1" + QString(4093, u'0');
        QTest::newRow("same") << reply("1.1") << QString();
        QTest::newRow("html") << reply("<html><body>2.0</body></html>") << QString();
        QTest::newRow("redirect") << reply("", "301 Moved\r\nLocation: /moved") << QString();
        QTest::newRow("404") << reply("9.9", "404 Not Found") << QString();
        QTest::newRow("4 KiB + 1") << reply(QByteArray(4097, '9')) << QString();
        QTest::newRow("trickle") << QByteArray("HTTP/1.1 200 OK\r\n\r\n9") << QString();
        QTest::newRow("refused") << QByteArray("refused") << QString();
        QTest::newRow("check off") << QByteArray("off") << QString();
    }

    void startup()
    {
        QFETCH(QByteArray, response);
        QFETCH(QString, shown);
        QByteArray request;
        QTcpServer server;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [&, socket] {
                request += socket->readAll();
                if (!request.endsWith("\r\n\r\n"))
                    return;
                const bool moved = request.lastIndexOf("GET /moved") > 0;
                socket->write(moved ? "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n9.9" : response);
                auto* trickle = new QTimer(socket); // a body without a length goes on
                connect(trickle, &QTimer::timeout, socket, [socket] { socket->write("9"); });
                trickle->start(1000);
            });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
        if (response == "refused")
            server.close();
        QTemporaryDir dir;
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        window.SetUpdateBase(response == "off" ? QString() : base);
        QVERIFY(window.Form_Load());

        QCOMPARE(
            request.startsWith("GET /tarvisk.asp?version=version=" TARVISK_VERSION " HTTP/1.1\r\n"),
            response != "refused" && response != "off");
        QCOMPARE(messages.shown.size(), shown.isNull() ? 0 : 1);
        QVERIFY(shown.isNull() || messages.shown[0].text.contains("Download version " + shown));
    }

    // The web address goes to the desktop's opener and About stays open; Escape closes it, and
    // so does Return (OK).
    void aboutWindow()
    {
        FakeOpener opener;
        frmAbout about(opener, QStringLiteral("https://example.org/t"), nullptr);
        about.show();
        QTest::mouseClick(about.findChild<QLabel*>("Label2"), Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList("https://example.org/t"));
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        QVERIFY(!about.isVisible());

        // One picture in the menu, on the main window and in About.
        const QImage menu = QIcon(QStringLiteral(MENU_ICON)).pixmap(32, 32).toImage();
        QVERIFY(!menu.isNull());
        QCOMPARE(about.findChild<QLabel*>("picIcon")->pixmap().toImage(), menu);
        FakeMessageBox messages;
        const frmMain window(messages, QDir::tempPath());
        QCOMPARE(window.windowIcon().pixmap(32, 32).toImage(), menu);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
