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
using Lines = QList<QByteArray>;

// The search dialog over the main window's output list, and the list's Clear, Copy and Tab.
class TestFrmSearch : public QObject
{
    Q_OBJECT

    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_main;
    OutputList* m_list = nullptr;

    template <typename T = QPushButton> T* Get(const char* name, bool inDialog = true) const
    {
        QWidget* in = m_main.get();
        if (inDialog)
            in = m_main->findChild<frmSearch*>();
        return in ? in->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QString State() const
    {
        return Get<QLabel>("lblStatus")->text() + QStringLiteral(" | ") + Get("cmdSearch")->text();
    }
    void Fill(const Lines& lines)
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
    void Type(const QString& text) { QTest::keyClicks(Get<QLineEdit>("txtSearch"), text); }
    void Press(const QString& typed = {})
    {
        Type(typed);
        QTest::keyClick(Get<QLineEdit>("txtSearch"), Qt::Key_Return);
    }
    void Click(const char* name) { QTest::mouseClick(Get(name, false), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        modMain::SetStartValues();
        m_main = std::make_unique<frmMain>(m_messages, QDir::tempPath());
        m_list = m_main->findChild<OutputView*>()->List();
        m_main->show();
        Click("cmdSearch");
    }

    void presses_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QStringList>("presses"); // typed before each press
        QTest::addColumn<QString>("state");
        QTest::addColumn<qsizetype>("current"); // and SearchPosition
        QTest::addColumn<Rows>("selected");
        const Lines abc{"Alpha", "beta", "ALPHABET"}, at5{"a", "b", "c", "d", "e", "needle", "f"};
        auto row = [](const char* name, const Lines& lines, const QStringList& presses,
                      const char* state, qsizetype current, const Rows& selected) {
            QTest::newRow(name) << lines << presses << QString::fromUtf8(state) << current
                                << selected;
        };
        row("count", abc, {"alpha"}, "2 occurances of 'alpha' found | Next match", 0, {0, 2});
        row("step", abc, {"alpha", ""}, "Match on line: 2 | Next match", 2, {0, 2});
        row("no wrap", abc, {"alpha", "", "", ""}, "This is the last match | Next match", 2,
            {0, 2});
        row("0 then more", {"x1", "y", "x2", "x3"}, {"X", ""}, "Match on line: 2 | Next match", 2,
            {0, 2, 3});
        row("one on 5", at5, {"NEEDLE"}, "1 occurance of 'NEEDLE' found | Next match", 5, {5});
        row("one, last", at5, {"needle", ""}, "This is the last match | Next match", 5, {5});
        row("none", abc, {"gamma"}, "No occurances of 'gamma' found | &Search", 0, {});
        row("edited", abc, {"alpha", "b"}, "1 occurance of 'alphab' found | Next match", 2, {2});
        row("edges", {"xab", "abx", "a", "b a", "aaab"}, {"AB"},
            "3 occurances of 'AB' found | Next match", 0, {0, 1, 4});
        row("repeats", {"aab", "abab", "aaab"}, {"aab"}, "2 occurances of 'aab' found | Next match",
            0, {0, 2});
        row("not across", {"ab", "cd", "abcd"}, {"bc"}, "1 occurance of 'bc' found | Next match", 2,
            {2});
        row("non-ASCII", {"caf\xC3\xA9", "cafe", "CAF\xC3\x89", "caf\xE9"}, {"\u00C9"},
            "3 occurances of '\u00C9' found | Next match", 0, {0, 2, 3});
        row("upper-cased to ASCII",
            {"stra\xC3\x9F"
             "e",
             "MASS", "mast",
             "\xC4\xB1"
             "d"},
            {"SS"}, "2 occurances of 'SS' found | Next match", 0, {0, 1});
        row("empty text", abc, {""}, " | &Search", -1, {0, 1, 2});
        row("empty list", {}, {"a"}, " | &Search", -1, {});
    }

    void presses()
    {
        QFETCH(Lines, lines);
        QFETCH(QStringList, presses);
        QFETCH(qsizetype, current);
        Fill(lines);
        m_list->SelectAll(); // a count leaves exactly its matches selected
        modMain::SearchPosition = -1;
        for (const QString& typed : presses)
            Press(typed);
        QTEST(State(), "state");
        QCOMPARE(m_list->Current(), current);
        QCOMPARE(modMain::SearchPosition, current);
        QTEST(Selected(), "selected");
    }

    void stepsFollowTheUserAndEdits()
    {
        Fill({"Alpha", "beta", "ALPHABET", "gamma"});
        Press(QStringLiteral("alpha"));
        m_list->SelectLines({0, 1, 3});
        Press();
        QCOMPARE(State(), QStringLiteral("Match on line: 1 | Next match"));
        Press();
        Type(QStringLiteral("x"));
        QCOMPARE(State(), QStringLiteral("Match on line: 3 | &Search"));
        QCOMPARE(Selected(), (Rows{0, 1, 3}));
    }

    void clearCopyAndTab()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));
        Click("cmdCopy"); // an empty list leaves the clipboard alone
        QCOMPARE(clipboard->text(), QStringLiteral("before"));
        Fill({"Alpha", "", "beta \xC3\xA9", "ALPHABET"});
        Click("cmdCopy");
        QCOMPARE(clipboard->text(), QString());
        Press(QStringLiteral("a"));
        auto* view = m_main->findChild<OutputView*>();
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            view->setFocus();
            QTest::keyClick(view, key);
            QVERIFY(m_main->focusWidget() != view);
        }
        Click("cmdCopy");
        QCOMPARE(clipboard->text(), QStringLiteral("Alpha\r\nbeta \u00E9\r\nALPHABET\r\n"));
        Get<QLabel>("lblFileSize", false)->setText(QStringLiteral("Filesize: 10"));
        modMain::LastReadPos = 77;
        Click("cmdClear");
        QCOMPARE(m_list->Count() + modMain::LastReadPos, 77);
        QCOMPARE(Get<QLabel>("lblFileSize", false)->text(), QString());
    }

    void closeForgets()
    {
        Fill({"Alpha"});
        for (const bool byEscape : {false, true}) {
            frmSearch* open = m_main->findChild<frmSearch*>();
            Press(QStringLiteral("alpha"));
            Click("cmdSearch"); // an open dialog only comes to the front
            QCOMPARE(m_main->findChild<frmSearch*>(), open);
            if (byEscape)
                QTest::keyClick(open, Qt::Key_Escape);
            else
                QTest::mouseClick(Get("cmdCancel"), Qt::LeftButton);
            QTRY_VERIFY(!m_main->findChild<frmSearch*>());
            Click("cmdSearch");
            QCOMPARE(Get<QLineEdit>("txtSearch")->text() + State(), QStringLiteral(" | &Search"));
        }
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
        Press(QStringLiteral("alpha"));
        const qint64 first = timer.restart();
        Get<QLineEdit>("txtSearch")->setText(QStringLiteral("beta"));
        Press();
        qInfo("counts took %lld ms and %lld ms", first, timer.elapsed());
        QCOMPARE(State(), QStringLiteral("166667 occurances of 'beta' found | Next match"));
        QVERIFY(!m_list->IsSelected(0) && m_list->IsSelected(3) && m_list->IsSelected(999999));
        QCOMPARE(m_list->NextSelected(3), 9);
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
