#pragma once

#include "LineAssembly.h"
#include "OutputModel.h"
#include "Readers.h"
#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace reading
{

// What one slice of reading a followed file found.
struct SliceRead {
    bool more = false; // a backlog waits: the next slice goes on with it
    bool grew = false; // new bytes were found
    // The line that completes the row the file's Tail showed unterminated; it comes before the
    // slice's lines.
    std::optional<QByteArray> completion;
    qint64 skipped = 0;      // bytes left unread because the backlog was too large,
    qsizetype skippedAt = 0; // before the slice's line with this index
};

// Reads one followed file a slice at a time: what was appended since its reading state's
// LastReadPos, made into lines.
class FollowedFile
{
public:
    FollowedFile(const QString& path, ReadingStore& readings, const modMain::Settings& settings,
                 AccessWatch* watch);

    const QString& Path() const { return m_path; }
    FileReading& Reading() const { return m_readings.ReadingOf(m_path); }
    // Reads for half a slice at most, or up to a cut backlog's skip; adds the completed lines.
    // `size` sees the file's size caption.
    SliceRead ReadSlice(OutputBatch& lines, const SizeCaption& size = {});

private:
    void MakeLines(qint64 count, const Delivery& at, OutputBatch& lines, SliceRead& read);

    QString m_path;
    ReadingStore& m_readings;
    const modMain::Settings& m_settings;
    AccessWatch* m_watch;
    QByteArray m_buffer;
};

} // namespace reading
