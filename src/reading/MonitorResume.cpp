// Monitor: keeping a run for the next start, and resuming it there.
#include "Monitor.h"

#include "CompressedReader.h"
#include "LineAssembly.h"
#include "folders/FileListing.h"

#include <QDir>

namespace reading
{

namespace
{
// The `n` bytes of a file before `end`; empty when it cannot be read or is shorter.
QByteArray BytesBefore(const QString& path, qint64 end, qint64 n)
{
    LogFileAccess file;
    QByteArray bytes(n, '\0');
    if (!file.Open(path) || file.ReadAt(end - n, bytes.data(), n) != n)
        return {};
    return bytes;
}

bool Holds(const QString& path, const FileResume& saved)
{
    return BytesBefore(path, saved.end, saved.before.size()) == saved.before;
}

// Another file of the folder that holds the saved bytes at the saved end: where rotation put
// the followed file. Only names that begin as the followed one's are looked at.
QString RotatedTo(const QString& folder, const FileResume& saved)
{
    const QString name = NameOf(saved.path);
    const QString stem = name.section(u'.', 0, 0);
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& other : names) {
        if (other != name && other.startsWith(stem) && !IsCompressedName(other) &&
            Holds(folder + other, saved))
            return other;
    }
    return {};
}

// The lines of a compressed file's content after `end`, when the content holds `before` just
// before it; nothing when it does not (or is not compressed). Its unterminated last line counts:
// the file is finished. Only the newest `keep` bytes are made lines, the older ones counted in
// `skipped`, so a large compressed day costs no more than a plain one.
std::optional<OutputBatch> CompressedRest(const QString& path, qint64 end, const QByteArray& before,
                                          qint64 keep, qint64& skipped)
{
    CompressedReader reader;
    if (!reader.Open(path) || !reader.Compressed())
        return std::nullopt;
    const qint64 from = end - before.size();
    QByteArray seen, older, newer; // the newest content after `end`, in two halves
    qint64 after = 0;
    qint64 at = 0;
    for (QByteArrayView piece = reader.Next(); !piece.isEmpty();
         at += piece.size(), piece = reader.Next()) {
        const qint64 first = qBound<qint64>(0, from - at, piece.size());
        seen.append(piece.sliced(first, qBound<qint64>(first, end - at, piece.size()) - first));
        const qint64 rest = qBound<qint64>(0, end - at, piece.size());
        if (rest < piece.size() && seen != before)
            return std::nullopt;
        after += piece.size() - rest;
        newer.append(piece.sliced(rest));
        if (newer.size() >= keep / 2)
            older = std::exchange(newer, QByteArray());
    }
    if (seen != before)
        return std::nullopt;
    const QByteArrayView kept =
        QByteArrayView(older).last(qMin(older.size(), qMax<qint64>(0, keep - newer.size())));
    skipped = after - kept.size() - newer.size();
    LineMaker maker(NulByte::Character);
    OutputBatch lines;
    maker.Continue(kept, lines);
    maker.Continue(newer, lines);
    if (!maker.Unfinished().isEmpty())
        lines.Add(maker.Unfinished());
    return lines;
}

// The files rotated after `rest` (NAME.N): NAME.N-1 down to NAME.1, those still there and plain.
QStringList RotatedAfter(const QString& folder, const QString& name, const QString& rest)
{
    bool numbered = false;
    const int n = rest.mid(name.size() + 1).toInt(&numbered);
    QStringList after;
    for (int i = n - 1; numbered && rest.startsWith(name + u'.') && i > 0; --i) {
        if (LogFileAccess::Stat(folder + name + u'.' + QString::number(i)).exists)
            after.append(name + u'.' + QString::number(i));
    }
    return after;
}

bool Configured(const QList<LogFolder>& configured, const QString& folder)
{
    return std::any_of(configured.begin(), configured.end(), [&](const LogFolder& c) {
        return QDir::cleanPath(c.Path) == QDir::cleanPath(folder);
    });
}
} // namespace

FileResume Monitor::Saved(const Followed& f) const
{
    FileResume saved;
    saved.date = f.day ? f.day->Date() : m_clock.Now().date();
    if (!f.file)
        return saved;
    saved.path = f.file->Path();
    const FileReading& reading = f.file->Reading();
    if (reading.seen.isEmpty()) { // nothing delivered yet
        saved.end = reading.started ? 0 : -1;
        return saved;
    }
    // The maker has taken every byte up to LastReadPos; the text after the last break waits.
    saved.end = reading.LastReadPos + 1 - reading.maker.PendingSize();
    const qint64 from = qMax<qint64>(0, saved.end - SeenBytes);
    const qint64 seenFrom = reading.LastReadPos + 1 - reading.seen.size();
    saved.before = from >= seenFrom ? reading.seen.mid(from - seenFrom, saved.end - from)
                                    : BytesBefore(saved.path, saved.end, saved.end - from);
    if (saved.before.size() != saved.end - from) // unreadable now: read again from the start
        saved = {saved.path, 0, {}, saved.date};
    return saved;
}

std::optional<RunState> Monitor::Snapshot() const
{
    if (!Running() || m_followed.empty())
        return std::nullopt;
    RunState run;
    run.dividers = m_settings.UseDividers;
    run.taken = m_clock.Now();
    run.folders = m_folders;
    if (!m_many) {
        run.path = Path();
        run.filter = m_followed[0]->filter;
    }
    for (const auto& f : m_followed)
        run.files.append(Saved(*f));
    return run;
}

bool Monitor::Resume(const RunState& run, const QList<LogFolder>& configured)
{
    QList<LogFolder> folders;
    QList<FileResume> files;
    QStringList dropped;
    const QList<LogFolder> saved = run.folders.isEmpty()
                                       ? QList<LogFolder>{{{}, FolderOf(run.path), run.filter}}
                                       : run.folders;
    for (qsizetype i = 0; i < saved.size(); ++i) {
        if (Configured(configured, saved[i].Path)) {
            folders.append(saved[i]);
            files.append(run.files.value(i));
        } else {
            dropped.append(saved[i].Name.isEmpty() ? saved[i].Path : saved[i].Name);
        }
    }
    EndEarlier();
    QStringList names;
    for (const LogFolder& folder : folders)
        names << folder.Name;
    m_many = !run.folders.isEmpty();
    Begin(m_many ? names : QStringList());
    m_display.ForFolder(0);
    m_display.ShowMarker(QStringLiteral("resumed, closed since ") + StampText(run.taken));
    for (const QString& folder : dropped)
        m_display.ShowMarker(folder + QStringLiteral(" is no longer a log folder: not resumed"));
    m_followed.clear();
    m_folders = m_many ? folders : QList<LogFolder>();
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const quint16 tag = m_many ? quint16(i + 1) : 0;
        ResumeOne(Add(folders[i].Path, folders[i].Filter, tag), files[i]);
    }
    if (m_followed.empty()) {
        Stop();
        return false;
    }
    CapCatchUp();
    Poll();
    return true;
}

bool Monitor::Resume(const QByteArray& saved, const QList<LogFolder>& configured)
{
    if (const std::optional<RunState> run = RunStateFrom(saved))
        return Resume(*run, configured);
    m_display.ForFolder(0);
    m_display.ShowMarker(QStringLiteral("the saved run cannot be read: not resumed"));
    return false;
}

// Where the catch-up of all files together passes its cap, each folder reads its share of the
// cap, newest bytes first: the oldest part of its files, the days that passed included, is
// skipped.
void Monitor::CapCatchUp()
{
    struct Part {
        Followed* f;
        QString path;
        qint64 from, size, bytes;
    };
    std::vector<Part> parts; // each folder's oldest first
    std::map<Followed*, qint64> share;
    qint64 total = 0;
    const auto add = [&](Followed& f, const QString& path, const FileReading* reading) {
        const qint64 from =
            reading && reading->started && !reading->seen.isEmpty() ? reading->LastReadPos + 1 : 0;
        const qint64 size = LogFileAccess::Stat(path).size;
        parts.push_back({&f, path, from, size, qBound<qint64>(0, size - from, BacklogCut)});
        share[&f] += parts.back().bytes;
        total += parts.back().bytes;
    };
    for (const auto& f : m_followed) {
        if (!f->file)
            continue;
        if (f->rest)
            add(*f, f->rest->Path(), &f->rest->Reading());
        for (const QString& path : f->rests)
            add(*f, path, nullptr);
        add(*f, f->file->Path(), &f->file->Reading());
        for (const QString& name : f->day ? f->day->Later(m_clock.Now().date()) : QStringList())
            add(*f, f->folder + name, nullptr);
    }
    if (total <= m_catchUpCap)
        return;
    for (auto& [f, bytes] : share)
        bytes = qint64(double(bytes) * double(m_catchUpCap) / double(total));
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        qint64& left = share[part->f];
        const qint64 keep = qMin(left, part->bytes);
        left -= keep;
        if (keep < part->bytes && part->size - keep > part->from)
            SkipTo(*part->f, part->path, part->size - keep, part->from);
    }
}

// A file read now goes on at `at` at once; a later day's file when the catch-up gets there.
void Monitor::SkipTo(Followed& f, const QString& path, qint64 at, qint64 from)
{
    if (path != f.file->Path() && !(f.rest && path == f.rest->Path())) {
        f.skipTo[path] = at;
        return;
    }
    m_readings.ResumeAt(path, at, BytesBefore(path, at, qMin(at, SeenBytes)));
    Show(f).ShowMarker(QString::number(at - from) + QStringLiteral(" bytes skipped"));
}

void Monitor::ResumeOne(Followed& f, const FileResume& saved)
{
    if (m_notify && !f.folderWatch)
        f.folderWatch = m_watcher.addPath(f.folder);
    const bool here = !saved.path.isEmpty() && FolderOf(saved.path) == f.folder;
    if (!(here && ResumeFile(f, saved)) && m_many) {
        LookForFile(f); // as a new run there
        return;
    }
    if (!here)
        return;
    f.day = DayFollow::At(f.folder, NameOf(saved.path), f.filter, m_clock.Now().date(),
                          m_clock.MonotonicMs(), true);
    f.catchUp = true;
}

// The saved file goes on after its last line shown when it still holds the bytes before that
// end. Otherwise it is new, read from its first byte, after the rest of the file it replaced
// where rotation left that beside it. False when the file is gone.
bool Monitor::ResumeFile(Followed& f, const FileResume& saved)
{
    const QString name = NameOf(saved.path);
    FollowFile(f, saved.path);
    if (!LogFileAccess::Stat(saved.path).exists) {
        if (ShowCompressedRest(f, saved, true))
            return false;
        Show(f).ShowMarker(name + QStringLiteral(" is gone: not resumed"));
        m_readings.ForgetReading(saved.path);
        return false;
    }
    if (saved.end < 0) {
        m_readings.ForgetReading(saved.path);
        return true;
    }
    m_readings.ResumeAt(saved.path, saved.end, saved.before);
    if (saved.end == 0 || Holds(saved.path, saved))
        return true;
    const QString rest = RotatedTo(f.folder, saved);
    if (rest.isEmpty() && ShowCompressedRest(f, saved, false))
        return true;
    if (rest.isEmpty()) {
        Show(f).ShowMarker(name + QStringLiteral(" was replaced while closed: the rest of the "
                                                 "file it replaced is lost"));
        return true;
    }
    m_readings.ResumeAt(f.folder + rest, saved.end, saved.before);
    f.rest = std::make_unique<FollowedFile>(f.folder + rest, m_readings, m_settings, &m_access);
    for (const QString& after : RotatedAfter(f.folder, name, rest))
        f.rests.append(f.folder + after);
    return true;
}

// The next file rotated while closed, read whole (less what the catch-up's cap skips).
void Monitor::NextRest(Followed& f)
{
    if (f.rests.isEmpty())
        return;
    const QString path = f.rests.takeFirst();
    m_readings.ResumeAt(path, 0, {});
    f.rest = std::make_unique<FollowedFile>(path, m_readings, m_settings, &m_access);
    if (const auto skip = f.skipTo.find(path); skip != f.skipTo.end())
        SkipTo(f, path, skip->second, 0);
}

// A compressed file of the folder that holds the saved bytes at the saved end is the followed
// file, compressed while closed: its lines after that end show now. The gone file's own
// compressed form shows whole, as a new file, when it does not hold them.
bool Monitor::ShowCompressedRest(Followed& f, const FileResume& saved, bool gone)
{
    const QString name = NameOf(saved.path);
    const QStringList names = QDir(f.folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& other : names) {
        if (!other.startsWith(name.section(u'.', 0, 0)) || !IsCompressedName(other))
            continue;
        const qint64 keep = qMin(BacklogCut, m_catchUpCap);
        qint64 skipped = 0;
        std::optional<OutputBatch> lines =
            CompressedRest(f.folder + other, saved.end, saved.before, keep, skipped);
        if (!lines && gone && WithoutCompression(other) == name)
            lines = CompressedRest(f.folder + other, 0, {}, keep, skipped);
        if (lines) {
            if (skipped > 0)
                Show(f).ShowMarker(QString::number(skipped) + QStringLiteral(" bytes skipped"));
            Show(f).ShowLines(f.folder + other, *lines);
            return true;
        }
    }
    return false;
}

// A resumed run reads each day that passed while it was closed, the rest of one before the
// next, without waiting for polls.
void Monitor::CatchUpDays(Followed& f)
{
    f.catchUp = false;
    const QDate today = m_clock.Now().date();
    if (!f.day || !f.day->Behind(today))
        return;
    if (const std::optional<QString> next = f.day->Next(today, m_clock.MonotonicMs())) {
        f.catchUp = true;
        MoveToDay(f, *next);
    }
}

} // namespace reading
