#pragma once

#include <QString>
#include <QStringList>

// The names of the folder's regular files (links to regular files count; folders, FIFOs,
// sockets and devices do not) that match the file-list pattern (see WildcardPattern), sorted
// by name with letter case ignored, names that differ only in case in code-unit order.
// folderExists: false when `folder` does not exist or is not a folder. A folder that exists
// but cannot be read lists no file.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern,
                              bool* folderExists = nullptr);

// Sorts file names as ListMatchingFiles returns them.
void SortFileNames(QStringList& names);
