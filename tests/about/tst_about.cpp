#include "FakeMessageBox.h"
#include "about/UpdateCheck.h"
#include "about/UrlOpener.h"
#include "about/frmAbout.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The update check at start against a loopback HTTP server that answers as each row says, and
// the About window.
class TestAbout : public QObject
{
    Q_OBJECT

    enum Mode { Answer, Silent, Trickle, Refused, Off };
    QTcpServer m_server;
    QByteArray m_response, m_request;
    Mode m_mode = Answer;
    QTimer m_trickle;

    struct FakeOpener final : UrlOpener {
        void Open(const QString& address) override { opened.append(address); }
        QStringList opened;
    };

    static QByteArray Reply(const char* status, const QByteArray& body)
    {
        return "HTTP/1.1 " + QByteArray(status) +
               "\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

    void Respond(QTcpSocket* socket)
    {
        if (m_mode == Answer) {
            socket->write(m_response);
            socket->disconnectFromHost();
        } else if (m_mode == Trickle) {
            const QByteArray started = Reply("200 OK", QByteArray(100, '9'));
            socket->write(started.left(started.size() - 90)); // the head and ten bytes
            connect(&m_trickle, &QTimer::timeout, socket, [socket] { socket->write("9"); });
            m_trickle.start(1000);
        }
    }

    void Accept()
    {
        QTcpSocket* socket = m_server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const bool complete = m_request.contains("\r\n\r\n");
            m_request += socket->readAll();
            if (!complete && m_request.contains("\r\n\r\n"))
                Respond(socket);
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &TestAbout::Accept);
    }

    void cleanup()
    {
        m_trickle.stop();
        m_server.close();
    }

    void startup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("shown"); // the version in the message; null: no message
        const QString none;
        auto ok = [](const QByteArray& body) { return Reply("200 OK", body); };
        QTest::newRow("same") << +Answer << ok("1.1") << none;
        QTest::newRow("older") << +Answer << ok("1.0") << none;
        QTest::newRow("minor") << +Answer << ok("1.2") << "1.2";
        QTest::newRow("major") << +Answer << ok("2.0") << "2.0";
        QTest::newRow("ordinal") << +Answer << ok("1.10") << "1.10";
        QTest::newRow("line break") << +Answer << ok("1.1\r\n") << "1.1\r\n";
        QTest::newRow("empty") << +Answer << ok("") << none;
        QTest::newRow("404") << +Answer << Reply("404 Not Found", "9.9 <html>gone</html>") << none;
        QTest::newRow("not 200") << +Answer << Reply("203 Non-Authoritative Information", "9.9")
                                 << none;
        QTest::newRow("html") << +Answer << ok("<html><body>2.0</body></html>") << none;
        QTest::newRow("4 KiB") << +Answer << ok(QByteArray(4096, '9')) << QString(4096, u'9');
        QTest::newRow("4 KiB + 1") << +Answer << ok(QByteArray(4097, '9')) << none;
        QTest::newRow("1 MB") << +Answer << ok(QByteArray(1 << 20, '9')) << none;
        QTest::newRow("silent") << +Silent << QByteArray() << none;
        QTest::newRow("trickle") << +Trickle << QByteArray() << none;
        QTest::newRow("refused") << +Refused << QByteArray() << none;
        QTest::newRow("check off") << +Off << QByteArray() << none;
    }

    void startup()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, response);
        QFETCH(QString, shown);
        m_mode = Mode(mode);
        m_response = response;
        m_request.clear();
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
        if (m_mode == Refused)
            m_server.close();
        QTemporaryDir dir;
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        window.SetUpdateBase(m_mode == Off ? QString() : base);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.Form_Load());
        QVERIFY(clock.elapsed() < 5500);

        const bool asked = m_mode != Refused && m_mode != Off;
        QCOMPARE(m_request.left(m_request.indexOf("\r\n")),
                 asked ? "GET /tarvisk.asp?version=version=" TARVISK_VERSION " HTTP/1.1"
                       : QByteArray());
        QCOMPARE(messages.shown.size(), shown.isNull() ? 0 : 1);
        if (shown.isNull())
            return;
        const QString web = about::ConfiguredWebAddress();
        const Message& m = messages.shown[0];
        QCOMPARE(m.text, "A new version of Tarvisk is available\r\n\r\nDownload version " + shown +
                             (web.isEmpty() ? QString() : " from " + web));
        QVERIFY(m.title == "New version available" && m.icon == Message::Icon::Information &&
                m.buttons == Message::Buttons::Ok);
    }

    void messageNamesWebSite()
    {
        QVERIFY(about::NewVersionMessage("1.2", "https://example.org/tarvisk")
                    .text.endsWith("Download version 1.2 from https://example.org/tarvisk"));
    }

    void aboutTwice()
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
            QTimer::singleShot(0, &window, [&] {
                QWidget* about = QApplication::activeModalWidget();
                if (!about || about->parentWidget() != &window)
                    return;
                seen << about->windowTitle();
                for (const char* name : {"lblTitle", "lblVersion"})
                    seen << about->findChild<QLabel*>(name)->text();
                QTest::keyClick(about, key);
                seen << (about->isVisible() ? "left open" : "closed");
                about->close(); // never leave the test waiting on a window the key left open
            });
            window.findChild<QPushButton*>("cmdAbout")->click();
            QCOMPARE(seen, QStringList(
                               {"About Tarvisk", "Tarvisk", "Version " TARVISK_VERSION, "closed"}));
        }
    }

    void address()
    {
        FakeOpener opener;
        frmAbout about(opener, "https://example.org/tarvisk", nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.findChild<QLabel*>("Label2"), Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList("https://example.org/tarvisk"));
        QVERIFY(about.isVisible());
        QVERIFY(frmAbout(opener, QString(), nullptr).findChild<QLabel*>("Label2")->isHidden());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
