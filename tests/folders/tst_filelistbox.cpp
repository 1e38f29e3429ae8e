#include "TestFiles.h"
#include "folders/FileListBox.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFileListBox : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QStringList Rows(const FileListBox& box)
    {
        QStringList rows;
        for (int i = 0; i < box.count(); ++i)
            rows.append(box.item(i)->text());
        return rows;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* name : {"ex030123.log", "ex021231.log", "notes.txt"})
            QVERIFY(WriteFile(m_dir.filePath(name), "x"));
        QVERIFY(QDir(m_dir.path()).mkdir("ex999999.log"));
    }

    void startsOnTheCurrentFolderWithEveryFile()
    {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const FileListBox box;
        QDir::setCurrent(before);
        QCOMPARE(box.Path(), m_dir.path());
        QCOMPARE(box.Pattern(), QStringLiteral("*.*"));
        QCOMPARE(Rows(box), (QStringList{"ex021231.log", "ex030123.log", "notes.txt"}));
        QCOMPARE(box.selectionMode(), QAbstractItemView::SingleSelection);
    }

    void missingFolderKeepsTheList()
    {
        FileListBox box;
        box.SetPattern("ex*.log");
        QVERIFY(box.SetPath(m_dir.path()));
        box.setCurrentRow(1);
        QVERIFY(!box.SetPath(m_dir.filePath("missing")));
        QVERIFY(!box.SetPath(m_dir.filePath("notes.txt")));
        QCOMPARE(box.Path(), m_dir.path());
        QCOMPARE(Rows(box), (QStringList{"ex021231.log", "ex030123.log"}));
        QCOMPARE(box.FileName(), QStringLiteral("ex030123.log"));
    }

    void patternListsAgainWithoutSelection()
    {
        FileListBox box;
        QVERIFY(box.SetPath(m_dir.path()));
        box.setCurrentRow(0);
        QSignalSpy selection(&box, &QListWidget::itemSelectionChanged);
        box.SetPattern("*.z19");
        QCOMPARE(box.count(), 0);
        box.SetPattern("*.TXT");
        QCOMPARE(Rows(box), QStringList{"notes.txt"});
        QCOMPARE(box.FileName(), QString());
        QCOMPARE(selection.count(), 0); // only a user's click tells of a selection
    }
};

QTEST_MAIN(TestFileListBox)
#include "tst_filelistbox.moc"
