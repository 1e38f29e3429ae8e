#include "ConfigFormat.h"

#include <QStringDecoder>

#include <optional>

namespace config
{

namespace
{

// Keys and the SPLITLINES value are compared without surrounding blanks; tabs count as text.
QString TrimBlanks(const QString& s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == u' ')
        ++first;
    while (last > first && s.at(last - 1) == u' ')
        --last;
    return s.mid(first, last - first);
}

bool IsTrue(const QString& value)
{
    return TrimBlanks(value).toUpper() == u"TRUE";
}

// A line in the system's encoding. A U+FEFF at its start is text the user typed (the file's
// own byte-order mark is gone before lines are split), so it is kept.
QString DecodeLine(QByteArrayView raw)
{
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::ConvertInitialBom);
    return decode(raw);
}

// The lines a save writes, each with its end; a line without one gets the file's own when more
// follows.
class SavedLines
{
public:
    explicit SavedLines(const IniText& read)
        : m_bom(read.bom),
          m_eol(read.lines.isEmpty() || read.lines.first().end.isEmpty() ? QByteArray("\r\n")
                                                                         : read.lines.first().end)
    {
    }
    void Keep(const IniLine& line) { m_lines.append({line.text, line.end}); }
    void Add(const QString& line) { m_lines.append({line.toLocal8Bit(), m_eol}); }
    void Add(const QStringList& lines)
    {
        for (const QString& line : lines)
            Add(line);
    }
    QByteArray Bytes() const
    {
        QByteArray bytes = m_bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const auto& [text, end] = m_lines[i];
            const bool last = i + 1 == m_lines.size();
            // A lone CR before an empty line that ends in LF would read as one CR LF and take
            // that line with it.
            const bool joins = end == "\r" && !last && m_lines[i + 1].first.isEmpty() &&
                               m_lines[i + 1].second.startsWith('\n');
            bytes += text + (end.isEmpty() && !last ? m_eol : joins ? QByteArray("\r\n") : end);
        }
        return bytes;
    }

private:
    bool m_bom;
    QByteArray m_eol;
    QList<std::pair<QByteArray, QByteArray>> m_lines;
};

QString FolderLine(const LogFolder& row)
{
    return row.Name + u',' + row.Path + u',' + row.Filter;
}

QStringList Header(const QString& viewerLine, const QString& dividerLine)
{
    return {QStringLiteral(";"),
            QStringLiteral("; Tarvisk Application ini-file "),
            QStringLiteral("; Quorvel, 2003"),
            QStringLiteral(";"),
            viewerLine,
            dividerLine,
            QStringLiteral(";")};
}

// Where the lines that say something sit in the file as read.
struct Places {
    qsizetype viewer = -1;  // the EXTVIEWER line that counts (the last)
    qsizetype divider = -1; // the SPLITLINES line that counts (the last)
    qsizetype firstFolder = -1;
    qsizetype lastFolder = -1;
    qsizetype folders = 0;
    qsizetype keys = -1; // after the header comments: where a missing key goes
};

Places Find(const IniText& read)
{
    Places at;
    at.keys = read.lines.size();
    for (qsizetype i = 0; i < read.lines.size(); ++i) {
        const ParsedLine& parsed = read.lines[i].parsed;
        if (parsed.kind != LineKind::Comment)
            at.keys = std::min(at.keys, i);
        if (parsed.kind == LineKind::Setting && parsed.key == u"EXTVIEWER")
            at.viewer = i;
        if (parsed.kind == LineKind::Setting && parsed.key == u"SPLITLINES")
            at.divider = i;
        if (parsed.kind == LineKind::Folder) {
            at.firstFolder = at.folders++ == 0 ? i : at.firstFolder;
            at.lastFolder = i;
        }
    }
    return at;
}

QList<const IniLine*> FolderLines(const IniText& text)
{
    QList<const IniLine*> lines;
    for (const IniLine& line : text.lines) {
        if (line.parsed.kind == LineKind::Folder)
            lines.append(&line);
    }
    return lines;
}

// The keys as a reading of the file sets them: the last of each counts.
struct Keys {
    QString viewer = QString::fromLatin1(modMain::DefaultViewer);
    bool dividers = true;
};

Keys ReadKeys(const IniText& text)
{
    const Places at = Find(text);
    Keys keys;
    if (at.viewer >= 0 && !text.lines[at.viewer].parsed.value.isEmpty())
        keys.viewer = text.lines[at.viewer].parsed.value;
    if (at.divider >= 0)
        keys.dividers = IsTrue(text.lines[at.divider].parsed.value);
    return keys;
}

QByteArray Rewrite(const IniText& read, const QString& extViewer, bool useDividers,
                   const QList<FolderRow>& rows)
{
    const QString viewerLine = QStringLiteral("EXTVIEWER=") + extViewer;
    const QString dividerLine =
        useDividers ? QStringLiteral("SPLITLINES=TRUE") : QStringLiteral("SPLITLINES=FALSE");
    const Places at = Find(read);
    QList<std::optional<LogFolder>> rowOf(at.folders); // by the place of its line as read
    QStringList added;
    for (const FolderRow& row : rows) {
        if (row.origin >= 0 && row.origin < at.folders)
            rowOf[row.origin] = row.folder;
        else
            added.append(FolderLine(row.folder));
    }
    SavedLines out(read);
    if (read.lines.isEmpty()) {
        out.Add(Header(viewerLine, dividerLine) + added);
        return out.Bytes();
    }
    const qsizetype n = read.lines.size();
    QList<QStringList> before(n + 1); // lines added before line i
    if (at.viewer < 0)
        before[at.keys].append(viewerLine);
    if (at.divider < 0) {
        const bool afterViewer =
            at.viewer >= 0 && (at.firstFolder < 0 || at.viewer < at.firstFolder);
        before[afterViewer ? at.viewer + 1 : at.keys].append(dividerLine);
    }
    before[at.lastFolder >= 0 ? at.lastFolder + 1 : n] += added;
    for (qsizetype i = 0, folder = 0; i < n; ++i) {
        out.Add(before[i]);
        const IniLine& line = read.lines[i];
        const ParsedLine& parsed = line.parsed;
        if (parsed.kind == LineKind::Folder) {
            const std::optional<LogFolder>& row = rowOf[folder++];
            if (row && *row == parsed.folder)
                out.Keep(line);
            else if (row)
                out.Add(FolderLine(*row));
        } else if (i == at.viewer && parsed.value != extViewer) {
            out.Add(viewerLine);
        } else if (i == at.divider && IsTrue(parsed.value) != useDividers) {
            out.Add(dividerLine);
        } else {
            out.Keep(line);
        }
    }
    out.Add(before[n]);
    return out.Bytes();
}

} // namespace

ParsedLine ClassifyLine(const QString& line)
{
    ParsedLine parsed;
    if (line.startsWith(u';')) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    // A blank line made by hand says nothing, like a comment.
    if (line.trimmed().isEmpty()) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (line.count(u'=') == 1) {
        const qsizetype eq = line.indexOf(u'=');
        parsed.kind = LineKind::Setting;
        parsed.key = TrimBlanks(line.left(eq)).toUpper();
        parsed.value = line.mid(eq + 1);
        return parsed;
    }
    const QStringList fields = line.split(u',');
    if (fields.size() == 3) {
        parsed.kind = LineKind::Folder;
        parsed.folder = {fields[0], fields[1], fields[2]};
    }
    return parsed;
}

IniText SplitLines(const QByteArray& bytes)
{
    IniText text;
    QByteArrayView rest(bytes);
    text.bom = rest.startsWith("\xEF\xBB\xBF");
    if (text.bom)
        rest = rest.sliced(3);
    qsizetype start = 0;
    const auto add = [&](qsizetype textEnd, qsizetype lineEnd) {
        const QByteArray line = rest.sliced(start, textEnd - start).toByteArray();
        text.lines.append({line, rest.sliced(textEnd, lineEnd - textEnd).toByteArray(),
                           ClassifyLine(DecodeLine(line))});
        start = lineEnd;
    };
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c != '\r' && c != '\n')
            continue;
        const bool crLf = c == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n';
        add(i, i + (crLf ? 2 : 1));
        i = start - 1;
    }
    if (start < rest.size())
        add(rest.size(), rest.size());
    return text;
}

ParsedConfig ParseConfig(const QByteArray& bytes, modMain::Settings& settings)
{
    ParsedConfig parsed{SplitLines(bytes), {}, 0, {}};
    for (qsizetype i = 0; i < parsed.text.lines.size(); ++i) {
        const ParsedLine& line = parsed.text.lines[i].parsed;
        switch (line.kind) {
        case LineKind::Comment:
        case LineKind::Blank:
            break;
        case LineKind::Setting:
            // Only the SPLITLINES line decides the dividers; other keys leave them alone.
            if (line.key == u"EXTVIEWER")
                settings.ExtViewer = line.value;
            else if (line.key == u"SPLITLINES")
                settings.UseDividers = IsTrue(line.value);
            break;
        case LineKind::Folder:
            parsed.folders.append(line.folder);
            break;
        case LineKind::Invalid:
            parsed.invalidNumber = i + 1;
            parsed.invalidLine = DecodeLine(parsed.text.lines[i].text);
            return parsed;
        }
    }
    if (settings.ExtViewer.isEmpty())
        settings.ExtViewer = QString::fromLatin1(modMain::DefaultViewer);
    return parsed;
}

QByteArray FormatConfigFile(const IniText& read, const QString& extViewer, bool useDividers,
                            const QList<FolderRow>& rows)
{
    return Rewrite(read, extViewer, useDividers, rows);
}

QByteArray FormatConfigFile(const QString& extViewer, bool useDividers,
                            const QList<LogFolder>& rows)
{
    QList<FolderRow> added;
    for (const LogFolder& row : rows)
        added.append({row, -1});
    return FormatConfigFile(IniText(), extViewer, useDividers, added);
}

bool FoldersChanged(const IniText& read, bool useDividers, const QList<FolderRow>& rows)
{
    QList<FolderRow> readRows;
    for (const IniLine* line : FolderLines(read))
        readRows.append({line->parsed.folder, readRows.size()});
    return useDividers != ReadKeys(read).dividers || rows != readRows;
}

AppliedChanges ApplyChanges(const IniText& read, const IniText& now, bool useDividers,
                            const QList<FolderRow>& rows)
{
    const QList<const IniLine*> was = FolderLines(read);
    const QList<const IniLine*> is = FolderLines(now);
    QList<std::optional<LogFolder>> rowOf(was.size()); // this window's row of each line as read
    QList<FolderRow> out;
    for (const FolderRow& row : rows) {
        if (row.origin >= 0 && row.origin < was.size())
            rowOf[row.origin] = row.folder;
    }
    // Every line of `now` stays as it is unless a line as read, taken in order, is found in it.
    QList<std::optional<LogFolder>> nowRow;
    for (const IniLine* line : is)
        nowRow.append(line->parsed.folder);
    QList<bool> taken(is.size(), false);
    AppliedChanges applied;
    for (qsizetype j = 0; j < was.size(); ++j) {
        qsizetype k = 0;
        while (k < is.size() && (taken[k] || is[k]->text != was[j]->text))
            ++k;
        if (k == is.size()) {
            if (rowOf[j] != was[j]->parsed.folder)
                applied.missing.append(DecodeLine(was[j]->text));
            continue;
        }
        taken[k] = true;
        nowRow[k] = rowOf[j];
    }
    for (qsizetype k = 0; k < is.size(); ++k) {
        if (nowRow[k])
            out.append({*nowRow[k], k});
    }
    for (const FolderRow& row : rows) {
        if (row.origin < 0 || row.origin >= was.size())
            out.append({row.folder, -1});
    }
    const Keys keys = ReadKeys(now);
    const bool dividers = useDividers != ReadKeys(read).dividers ? useDividers : keys.dividers;
    applied.bytes = Rewrite(now, keys.viewer, dividers, out);
    return applied;
}

} // namespace config
