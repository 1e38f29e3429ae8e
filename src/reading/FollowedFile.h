#pragma once

#include "LineAssembly.h"
#include "OutputModel.h"
#include "Readers.h"
#include "base/LogFileAccess.h"
#include "settings/modMain.h"

#include <QByteArray>
#include <QString>

#include <memory>
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
    bool window = false;     // the file's last window, read as following starts: no new lines
};

// How long one slice of a backlog may keep the event loop: its reading stops where reading and
// then showing what it read would take longer. What showing a line costs is learnt from the
// slices shown before.
class SliceBudget
{
public:
    bool Spent(qint64 readingNs, qsizetype lines) const
    {
        return readingNs + lines * m_showNsPerLine >= SliceNs;
    }
    void Shown(qint64 ns, qsizetype lines);

private:
    static constexpr qint64 SliceNs = 12'000'000;
    qint64 m_showNsPerLine = 1000;
};

// Reads one followed file a slice at a time: what was appended since its reading state's
// LastReadPos, made into lines. The file stays open between slices: when its path names another
// file (rotated by rename, or deleted and made again), the open one is read to its end first,
// then handed over (Replaced) and the path's new file opened.
class FollowedFile
{
public:
    FollowedFile(const QString& path, ReadingStore& readings, const modMain::Settings& settings,
                 AccessWatch* watch);

    const QString& Path() const { return m_path; }
    FileReading& Reading() const { return m_own ? *m_own : m_readings.ReadingOf(m_path); }
    // Reads as much as `budget` allows, or up to a cut backlog's skip; adds the completed lines.
    // `size` sees the file's size caption.
    SliceRead ReadSlice(OutputBatch& lines, const SliceBudget& budget,
                        const SizeCaption& size = {});
    // From now on only the open file is read, whatever its path names.
    void Detach() { m_detached = true; }
    // A stopped run holds no file open: a deleted one would keep its disk space.
    void Close() { m_file.Close(); }
    // The open file as it is now.
    LogFileAccess::Status OpenStatus() const { return m_file.OpenStatus(); }
    // The file the path named before a slice found another there: read to its end, with a
    // reading state of its own, named where it is now; late writes to it are read through it.
    std::unique_ptr<FollowedFile> Replaced() { return std::move(m_replaced); }

private:
    bool Hold();
    bool PathMoved() const;
    void HandOver();
    void MakeLines(qint64 count, const Delivery& at, OutputBatch& lines, SliceRead& read);

    QString m_path;
    ReadingStore& m_readings;
    mutable std::optional<FileReading> m_own; // a replaced file's, apart from the path's
    const modMain::Settings& m_settings;
    AccessWatch* m_watch;
    QByteArray m_buffer;
    LogFileAccess m_file;
    bool m_detached = false;
    std::unique_ptr<FollowedFile> m_replaced;
};

} // namespace reading
