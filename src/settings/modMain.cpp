#include "modMain.h"

namespace modMain
{

void SetStartValues()
{
    UseDividers = true;
    ExtViewer = QString::fromLatin1(DefaultViewer);
    PollSeconds = 1;
    TailBytes = 131072;
    IniPath.clear();
    CurrentPath.clear();
    EditorMode = 0;
    SearchPosition = 0;
    FolderNames.clear();
    FolderPaths.clear();
    FolderFilters.clear();
}

} // namespace modMain
