#include "FakeMessageBox.h"
#include "reading/OutputView.h"
#include "search/frmSearch.h"
#include "settings/modMain.h"
#include "shell/frmMain.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using Rows = QList<qsizetype>;
using Lines = QList<QByteArray>;

// The search dialog over the main window's output list, and the list's Copy and Tab.
class TestFrmSearch : public QObject
{
    Q_OBJECT

    FakeMessageBox m_messages;
    std::unique_ptr<frmMain> m_main;
    OutputList* m_list = nullptr;

    template <typename T = QPushButton> T* Get(const char* name, bool inDialog = true) const
    {
        QWidget* in =
            inDialog ? m_main->findChild<frmSearch*>() : static_cast<QWidget*>(m_main.get());
        return in ? in->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QLineEdit* Text() const { return Get<QLineEdit>("txtSearch"); }
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
    void Press(const QString& typed = {})
    {
        QTest::keyClicks(Text(), typed);
        QTest::keyClick(Text(), Qt::Key_Return);
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
        const Lines abc{"Alpha", "beta", "ALPHABET"};
        auto row = [](const char* name, const Lines& lines, const QStringList& presses,
                      const char* state, qsizetype current, const Rows& selected) {
            QTest::newRow(name) << lines << presses << QString::fromUtf8(state) << current
                                << selected;
        };
        row("count", abc, {"alpha"}, "2 occurances of 'alpha' found | Next match", 0, {0, 2});
        row("no wrap", abc, {"alpha", "", "", ""}, "This is the last match | Next match", 2,
            {0, 2});
        row("step from 0", {"x1", "y", "x2", "x3"}, {"X", ""}, "Match on line: 2 | Next match", 2,
            {0, 2, 3});
        row("one on 5", {"a", "b", "c", "d", "e", "needle", "f"}, {"NEEDLE"},
            "1 occurance of 'NEEDLE' found | Next match", 5, {5});
        row("none", abc, {"gamma"}, "No occurances of 'gamma' found | &Search", 0, {});
        row("edited", abc, {"alpha", "b"}, "1 occurance of 'alphab' found | Next match", 2, {2});
        // At either end of a line, after a partial match, never across two lines.
        row("placings", {"aab", "xaab", "aabx", "aaab", "abab", "xa", "ab", "a ab"}, {"AAB"},
            "4 occurances of 'AAB' found | Next match", 0, {0, 1, 2, 3});
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
        Rows selected;
        for (qsizetype i = m_list->NextSelected(-1); i >= 0; i = m_list->NextSelected(i))
            selected << i;
        QTEST(selected, "selected");
    }

    // Copy takes the marks in list order, decoded, with CR LF; steps follow marks the user
    // changed; editing the text starts a new count but leaves the status; Tab leaves the list.
    void copyStepsTabAndCancel()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));
        Click("cmdCopy"); // an empty list leaves the clipboard alone
        QCOMPARE(clipboard->text(), QStringLiteral("before"));
        Fill({"Alpha", "beta", "ALPHABET \xC3\xA9", "gamma"});
        Click("cmdCopy"); // and nothing selected empties it
        QCOMPARE(clipboard->text(), QString());
        Press(QStringLiteral("alpha"));
        Click("cmdCopy");
        QCOMPARE(clipboard->text(), QStringLiteral("Alpha\r\nALPHABET \u00E9\r\n"));
        m_list->SelectLines({0, 1, 3});
        Press();
        QCOMPARE(State(), QStringLiteral("Match on line: 1 | Next match"));
        Press();
        QTest::keyClicks(Text(), QStringLiteral("x"));
        QCOMPARE(State(), QStringLiteral("Match on line: 3 | &Search"));
        auto* view = m_main->findChild<OutputView*>();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Tab);
        QVERIFY(m_main->focusWidget() != view);
        // Search on an open dialog only brings it to the front; Cancel forgets its text.
        frmSearch* open = m_main->findChild<frmSearch*>();
        Click("cmdSearch");
        QCOMPARE(m_main->findChild<frmSearch*>(), open);
        QTest::mouseClick(Get("cmdCancel"), Qt::LeftButton);
        QTRY_VERIFY(!m_main->findChild<frmSearch*>());
        Click("cmdSearch");
        QCOMPARE(Text()->text() + State(), QStringLiteral(" | &Search"));
    }

    // A second count over other lines must not compare the old selection with the new one
    // range by range; done that way it would take hours here instead of a moment.
    void secondCountOverAMillionLines()
    {
        OutputBatch batch;
        const char* words[] = {"alpha ", "gamma ", "gamma ", "beta ", "gamma ", "gamma "};
        for (int i = 0; i < 1000000; ++i)
            batch.Add(words[i % 6] + QByteArray::number(i));
        m_list->Replace(batch);
        Press(QStringLiteral("alpha"));
        Text()->setText(QStringLiteral("beta"));
        Press();
        QCOMPARE(State(), QStringLiteral("166667 occurances of 'beta' found | Next match"));
        QVERIFY(!m_list->IsSelected(0) && m_list->IsSelected(3) && m_list->IsSelected(999999));
        QCOMPARE(m_list->NextSelected(3), 9);
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
