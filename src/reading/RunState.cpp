#include "RunState.h"

#include "Readers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace reading
{

namespace
{
constexpr int Version = 1;

QJsonObject FileObject(const FileResume& file)
{
    return {{"path", file.path},
            {"end", QString::number(file.end)},
            {"before", QString::fromLatin1(file.before.toBase64())},
            {"date", file.date.toString(Qt::ISODate)}};
}

std::optional<FileResume> FileFrom(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    bool number = false;
    FileResume file{o.value("path").toString(), o.value("end").toString().toLongLong(&number),
                    QByteArray::fromBase64(o.value("before").toString().toLatin1()),
                    QDate::fromString(o.value("date").toString(), Qt::ISODate)};
    if (!value.isObject() || !number || file.end < -1 || file.before.size() > SeenBytes ||
        file.before.size() > qMax<qint64>(file.end, 0))
        return std::nullopt;
    return file;
}
} // namespace

QByteArray RunStateText(const RunState& run)
{
    QJsonArray folders, files;
    for (const LogFolder& f : run.folders)
        folders.append(QJsonObject{{"name", f.Name}, {"path", f.Path}, {"filter", f.Filter}});
    for (const FileResume& file : run.files)
        files.append(FileObject(file));
    const QJsonObject o{{"version", Version},
                        {"path", run.path},
                        {"filter", run.filter},
                        {"folders", folders},
                        {"dividers", run.dividers},
                        {"taken", run.taken.toString(Qt::ISODateWithMs)},
                        {"files", files}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<RunState> RunStateFrom(const QByteArray& text)
{
    const QJsonObject o = QJsonDocument::fromJson(text).object();
    RunState run;
    run.path = o.value("path").toString();
    run.filter = o.value("filter").toString();
    run.dividers = o.value("dividers").toBool(true);
    run.taken = QDateTime::fromString(o.value("taken").toString(), Qt::ISODateWithMs);
    for (const QJsonValue& f : o.value("folders").toArray()) {
        const QJsonObject folder = f.toObject();
        run.folders.append({folder.value("name").toString(), folder.value("path").toString(),
                            folder.value("filter").toString()});
    }
    for (const QJsonValue& value : o.value("files").toArray()) {
        const std::optional<FileResume> file = FileFrom(value);
        if (!file)
            return std::nullopt;
        run.files.append(*file);
    }
    const bool one = !run.path.isEmpty() && run.folders.isEmpty() && run.files.size() == 1;
    const bool many =
        run.path.isEmpty() && run.folders.size() >= 2 && run.files.size() == run.folders.size();
    if (o.value("version").toInt() != Version || !run.taken.isValid() || !(one || many))
        return std::nullopt;
    return run;
}

} // namespace reading
