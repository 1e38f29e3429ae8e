#pragma once

#include <QString>

// Lets the user choose a folder. The editor asks through FolderPicker so that tests answer
// with a fake instead of a modal folder dialog.
class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // The folder chosen, starting from `start`; empty when the user cancelled.
    virtual QString PickFolder(const QString& start) = 0;
};
