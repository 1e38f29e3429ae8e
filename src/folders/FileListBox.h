#pragma once

#include "folders/FolderWatch.h"

#include <QListWidget>
#include <QString>
#include <QStringList>

// The file list File1: the names of one folder's regular files that match a wildcard pattern,
// one a row, sorted by name; one file can be selected. The list follows the folder: a file made,
// removed or renamed there shows by itself, and the chosen file stays chosen.
class FileListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr); // no folder, pattern "*.*": lists nothing

    enum class Listing { Read, Missing, Unreadable };
    // Missing, and the list stays as it was, when `folder` does not exist or is not a folder;
    // Unreadable, and the list is empty, when it exists but cannot be read.
    Listing SetPath(const QString& folder);

    void SetPattern(const QString& pattern); // shows the folder's files that match it

    // The selected file's name without folder; empty when none is selected and for a name that
    // is not valid in the system's encoding: that file is listed but cannot be opened.
    QString FileName() const;
    QString ShownName() const; // the selected row's text
    void Refresh();            // reads the folder again
    // With no file chosen, chooses the row that has the focus frame. True when one is chosen.
    bool ChooseCurrent();
    // Lists nothing, and goes on listing nothing until a pattern is set: a new folder shows only
    // once its pattern is known.
    void Clear();

Q_SIGNALS:
    // The chosen file is no longer in the folder: no file is chosen now.
    void ChosenFileGone();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowMatches();

    QString m_path;
    QString m_pattern;
    QStringList m_files; // every regular file of the folder when it was last read, sorted
    QStringList m_shown; // the names of the rows, as read
    FolderWatch m_watch;
};
