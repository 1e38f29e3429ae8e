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

    QTcpServer m_server;
    QByteArray m_response, m_request;
    QTimer m_trickle;

    struct FakeOpener final : UrlOpener {
        void Open(const QString& address) override { opened.append(address); }
        QStringList opened;
    };

    static QByteArray Reply(const char* status, const QByteArray& body)
    {
        const QByteArray length = QByteArray::number(body.size());
        return "HTTP/1.1 " + QByteArray(status) + "\r\nContent-Length: " + length +
               "\r\nConnection: close\r\n\r\n" + body;
    }

    // Answers once the request is complete: m_response as it is, nothing at all when it is
    // empty, or for "trickle" a head and then one byte of the body a second.
    void Accept()
    {
        QTcpSocket* socket = m_server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const bool complete = m_request.contains("\r\n\r\n");
            m_request += socket->readAll();
            if (complete || !m_request.contains("\r\n\r\n") || m_response.isEmpty())
                return;
            if (m_response != "trickle") {
                socket->write(m_response);
                socket->disconnectFromHost();
                return;
            }
            socket->write(Reply("200 OK", QByteArray(100, '9')).chopped(90));
            connect(&m_trickle, &QTimer::timeout, socket, [socket] { socket->write("9"); });
            m_trickle.start(1000);
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
        QTest::addColumn<QByteArray>("response"); // also "refused", and "off" for no base
        QTest::addColumn<QString>("shown");       // the version in the message; null: no message
        const QString none;
        auto ok = [](const QByteArray& body) { return Reply("200 OK", body); };
        QTest::newRow("same") << ok("1.1") << none;
        QTest::newRow("older") << ok("1.0") << none;
        QTest::newRow("newer by code, not by number") << ok("1.10") << "1.10";
        QTest::newRow("line break kept") << ok("1.1\r\n") << "1.1\r\n";
        QTest::newRow("empty") << ok("") << none;
        QTest::newRow("404") << Reply("404 Not Found", "9.9 <html>gone</html>") << none;
        QTest::newRow("203") << Reply("203 Non-Authoritative Information", "9.9") << none;
        QTest::newRow("html") << ok("<html><body>2.0</body></html>") << none;
        QTest::newRow("4 KiB") << ok(QByteArray(4096, '9')) << QString(4096, u'9');
        QTest::newRow("4 KiB + 1") << ok(QByteArray(4097, '9')) << none;
        QTest::newRow("silent") << QByteArray() << none;
        QTest::newRow("trickle") << QByteArray("trickle") << none;
        QTest::newRow("refused") << QByteArray("refused") << none;
        QTest::newRow("check off") << QByteArray("off") << none;
    }

    void startup()
    {
        QFETCH(QByteArray, response);
        QFETCH(QString, shown);
        m_response = response;
        m_request.clear();
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
        if (response == "refused")
            m_server.close();
        QTemporaryDir dir;
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        window.SetUpdateBase(response == "off" ? QString() : base);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.Form_Load());
        QVERIFY(clock.elapsed() < 5500);

        const bool asked = response != "refused" && response != "off";
        QCOMPARE(m_request.left(m_request.indexOf("\r\n")),
                 asked ? "GET /tarvisk.asp?version=version=" TARVISK_VERSION " HTTP/1.1"
                       : QByteArray());
        QCOMPARE(messages.shown.size(), shown.isNull() ? 0 : 1);
        if (shown.isNull())
            return;
        const QString web = about::ConfiguredWebAddress();
        QCOMPARE(messages.shown[0].text,
                 "A new version of Tarvisk is available\r\n\r\nDownload version " + shown +
                     (web.isEmpty() ? QString() : " from " + web));
        QCOMPARE(messages.shown[0].icon, Message::Icon::Information);
    }

    // The About button opens it and Enter or Escape closes it; the web address goes to the
    // desktop's opener and About stays open; without one it is neither shown nor named in the
    // new-version message.
    void aboutWindow()
    {
        QTemporaryDir dir;
        FakeMessageBox messages;
        frmMain window(messages, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            bool closed = false;
            QTimer::singleShot(0, &window, [&] {
                QWidget* about = QApplication::activeModalWidget();
                if (!about || about->parentWidget() != &window)
                    return;
                QTest::keyClick(about, key);
                closed = !about->isVisible();
                about->close(); // never leave the test waiting on a window the key left open
            });
            window.findChild<QPushButton*>("cmdAbout")->click();
            QVERIFY(closed);
        }

        const QString web = QStringLiteral("https://example.org/tarvisk");
        FakeOpener opener;
        frmAbout about(opener, web, nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.findChild<QLabel*>("Label2"), Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList(web));
        QVERIFY(about.isVisible());
        QVERIFY(frmAbout(opener, QString(), nullptr).findChild<QLabel*>("Label2")->isHidden());
        QVERIFY(about::NewVersionMessage("1.2", web).text.endsWith("1.2 from " + web));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
