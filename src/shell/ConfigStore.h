#pragma once

#include "ConfigFormat.h"

#include <QString>

#include <functional>
#include <optional>

// Where the configuration file lives, reading it, and saving it so that a failure never damages
// the file that was there.
namespace config
{

inline constexpr auto FileName = "tarvisk.ini";

struct ReadResult {
    enum class Status {
        Read,         // the file was read; settings and folders are set
        Created,      // there was no file; an empty one was made, start values kept
        CreateFailed, // there was no file and none could be made
        Invalid,      // a line could not be interpreted: the program must end
        Failed,       // the file exists but could not be read (or is no regular file)
    };
    Status status = Status::Read;
    QString failure;     // Failed: error number, a blank and the description
    ParsedConfig parsed; // Read and Invalid: what the file says
};

// Reads the file at settings.IniPath into its ExtViewer and UseDividers and the result's
// folders. Only a regular file is opened, and never in a way that waits (a FIFO, a folder:
// Failed).
ReadResult ReadConfigFile(modMain::Settings& settings);

// Replaces the file at `path`: on any failure the old file stays byte for byte as it was and
// `error` says why. Atomic through a new file; where the folder takes no new file but the file
// itself is writable, rewritten in place with the old bytes put back when anything fails.
bool WriteConfigFile(const QString& path, const QByteArray& content, QString* error);

// How the window saves a whole file: WriteConfigFile, or a test's stand-in that fails as a full
// disk does.
using SaveFile =
    std::function<bool(const QString& path, const QByteArray& content, QString* error)>;

// This window's changes since `read` applied to the file at `path` as it is now, read again (see
// ApplyChanges); a file gone meanwhile is made again from this window's list. Nullopt and `error`
// set when the file is there but cannot be read.
std::optional<AppliedChanges> ApplyToFile(const QString& path, const IniText& read,
                                          bool useDividers, const QList<FolderRow>& rows,
                                          QString* error);

// "tarvisk.ini" beside the program when that folder holds it or can take it; otherwise in the
// user's configuration folder, which is created when needed.
QString ChooseIniPath(const QString& programDir, const QString& userConfigDir);

} // namespace config
