#include "FakeMessageBox.h"
#include "reading/OutputView.h"
#include "search/frmSearch.h"
#include "settings/modMain.h"
#include "shell/frmMain.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using Rows = QList<qsizetype>;

// The search dialog over the main window's output list, and the list's Clear and Copy.
class TestFrmSearch : public QObject
{
    Q_OBJECT

    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_main;
    OutputList* m_list = nullptr;

    template <typename T> T* Get(QWidget* in, const char* name) const
    {
        T* w = in->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    frmSearch* Dialog() const { return m_main->findChild<frmSearch*>(); }
    QString Status() const { return Get<QLabel>(Dialog(), "lblStatus")->text(); }
    QString Caption() const { return Get<QPushButton>(Dialog(), "cmdSearch")->text(); }

    void Fill(const QList<QByteArray>& lines)
    {
        OutputBatch batch;
        for (const QByteArray& line : lines)
            batch.Add(line);
        m_list->Replace(batch);
    }

    Rows Selected() const
    {
        Rows rows;
        for (qsizetype i = 0; i < m_list->Count(); ++i) {
            if (m_list->IsSelected(i))
                rows << i;
        }
        return rows;
    }

    void Open() { QTest::mouseClick(Get<QPushButton>(m_main.get(), "cmdSearch"), Qt::LeftButton); }
    void Type(const QString& text)
    {
        QTest::keyClicks(Get<QLineEdit>(Dialog(), "txtSearch"), text);
    }
    void Press() { QTest::keyClick(Get<QLineEdit>(Dialog(), "txtSearch"), Qt::Key_Return); }
    void Click(const char* name)
    {
        QTest::mouseClick(Get<QPushButton>(m_main.get(), name), Qt::LeftButton);
    }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_main = std::make_unique<frmMain>(m_messages, QDir::tempPath());
        m_list = Get<OutputView>(m_main.get(), "lstRows")->List();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        Open();
    }

    void cleanup() { m_main.reset(); }

    void presses_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<qsizetype>("current"); // also SearchPosition unless nothing happened
        QTest::addColumn<Rows>("selected");
        const QList<QByteArray> abc{"Alpha", "beta", "ALPHABET"};
        const QList<QByteArray> at5{"a", "b", "c", "d", "e", "needle", "f", "g"};
        const QString next = QStringLiteral("Next match"), count = QStringLiteral("&Search");
        const QString last = QStringLiteral("This is the last match");
        QTest::newRow("count") << abc << "alpha" << 1 << "2 occurances of 'alpha' found" << next
                               << qsizetype(0) << Rows{0, 2};
        QTest::newRow("step") << abc << "alpha" << 2 << "Match on line: 2" << next << qsizetype(2)
                              << Rows{0, 2};
        QTest::newRow("last, no wrap")
            << abc << "alpha" << 4 << last << next << qsizetype(2) << Rows{0, 2};
        QTest::newRow("line 0 then more")
            << QList<QByteArray>{"x1", "y", "x2", "x3"} << "X" << 2 << "Match on line: 2" << next
            << qsizetype(2) << Rows{0, 2, 3};
        QTest::newRow("one on line 5") << at5 << "NEEDLE" << 1 << "1 occurance of 'NEEDLE' found"
                                       << next << qsizetype(5) << Rows{5};
        QTest::newRow("one, then last")
            << at5 << "needle" << 2 << last << next << qsizetype(5) << Rows{5};
        QTest::newRow("no match") << abc << "gamma" << 1 << "No occurances of 'gamma' found"
                                  << count << qsizetype(0) << Rows{};
        QTest::newRow("non-ASCII")
            << QList<QByteArray>{"caf\xC3\xA9", "cafe", "CAF\xC3\x89"} << QStringLiteral("\u00C9")
            << 1 << QStringLiteral("2 occurances of '\u00C9' found") << next << qsizetype(0)
            << Rows{0, 2};
        QTest::newRow("empty text")
            << abc << "" << 1 << "" << count << qsizetype(-1) << Rows{0, 1, 2};
        QTest::newRow("empty list")
            << QList<QByteArray>{} << "a" << 1 << "" << count << qsizetype(-1) << Rows{};
    }

    void presses()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QString, text);
        QFETCH(int, presses);
        QFETCH(QString, status);
        QFETCH(QString, caption);
        QFETCH(qsizetype, current);
        QFETCH(Rows, selected);
        Fill(lines);
        m_list->SelectAll(); // a count leaves exactly its matches selected
        modMain::SearchPosition = -1;
        Type(text);
        for (int i = 0; i < presses; ++i)
            Press();
        QCOMPARE(Status(), status);
        QCOMPARE(Caption(), caption);
        QCOMPARE(m_list->Current(), current);
        QCOMPARE(modMain::SearchPosition, current);
        QCOMPARE(Selected(), selected);
    }

    void editAfterCount()
    {
        Fill({"Alpha", "beta", "ALPHABET"});
        Type(QStringLiteral("alpha"));
        Press();
        Type(QStringLiteral("b"));
        QCOMPARE(Caption(), QStringLiteral("&Search"));
        QCOMPARE(Status(), QStringLiteral("2 occurances of 'alpha' found"));
        QCOMPARE(Selected(), (Rows{0, 2}));
        Press();
        QCOMPARE(Status(), QStringLiteral("1 occurance of 'alphab' found"));
        QCOMPARE(Selected(), (Rows{2}));
    }

    void stepsFollowTheUser()
    {
        Fill({"Alpha", "beta", "ALPHABET", "gamma"});
        Type(QStringLiteral("alpha"));
        Press();
        m_list->SelectLines({0, 1, 3});
        Press();
        QCOMPARE(Status(), QStringLiteral("Match on line: 1"));
        Press();
        QCOMPARE(Status(), QStringLiteral("Match on line: 3"));
        QCOMPARE(Selected(), (Rows{0, 1, 3}));
    }

    void clearAndCopy()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));
        Click("cmdCopy"); // empty list: the clipboard keeps its text
        QCOMPARE(clipboard->text(), QStringLiteral("before"));
        Fill({"Alpha", "", "beta \xC3\xA9", "ALPHABET"});
        Click("cmdCopy");
        QCOMPARE(clipboard->text(), QString());
        Type(QStringLiteral("a"));
        Press();
        Click("cmdCopy");
        QCOMPARE(clipboard->text(), QStringLiteral("Alpha\r\nbeta \u00E9\r\nALPHABET\r\n"));
        auto* size = Get<QLabel>(m_main.get(), "lblFileSize");
        size->setText(QStringLiteral("Filesize: 10"));
        modMain::LastReadPos = 77;
        Click("cmdClear");
        QCOMPARE(m_list->Count(), 0);
        QCOMPARE(size->text(), QString());
        QCOMPARE(modMain::LastReadPos, 77);
    }

    void closeForgets_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void closeForgets()
    {
        QFETCH(bool, byEscape);
        Fill({"Alpha"});
        frmSearch* first = Dialog();
        Type(QStringLiteral("alpha"));
        Press();
        Open(); // an open dialog is only brought to the front
        QCOMPARE(Dialog(), first);
        QCOMPARE(Caption(), QStringLiteral("Next match"));
        if (byEscape)
            QTest::keyClick(Dialog(), Qt::Key_Escape);
        else
            QTest::mouseClick(Get<QPushButton>(Dialog(), "cmdCancel"), Qt::LeftButton);
        QTRY_VERIFY(!Dialog());
        Open();
        QVERIFY(Dialog()->isVisible());
        QCOMPARE(Get<QLineEdit>(Dialog(), "txtSearch")->text(), QString());
        QCOMPARE(Status(), QString());
        QCOMPARE(Caption(), QStringLiteral("&Search"));
        QCOMPARE(modMain::SearchPosition, 0); // it outlives the dialog
    }

    // A second count over other lines must not compare the old selection with the new one
    // range by range; done that way it would take hours here instead of a moment.
    void secondCountOverAMillionLines()
    {
        OutputBatch batch;
        for (int i = 0; i < 1000000; ++i)
            batch.Add(QByteArray(i % 6 == 0   ? "alpha "
                                 : i % 6 == 3 ? "beta "
                                              : "gamma ") +
                      QByteArray::number(i));
        m_list->Replace(batch);
        QElapsedTimer timer;
        timer.start();
        Type(QStringLiteral("alpha"));
        Press();
        const qint64 first = timer.restart();
        QCOMPARE(Status(), QStringLiteral("166667 occurances of 'alpha' found"));
        Get<QLineEdit>(Dialog(), "txtSearch")->setText(QStringLiteral("beta"));
        Press();
        qInfo("counts took %lld ms and %lld ms", first, timer.elapsed());
        QCOMPARE(Status(), QStringLiteral("166667 occurances of 'beta' found"));
        QVERIFY(!m_list->IsSelected(0) && m_list->IsSelected(3) && m_list->IsSelected(999999));
        QCOMPARE(m_list->NextSelected(3), 9);
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
