#pragma once

#include <QString>

// One configured log folder: a row of the folder list and a line of the configuration file.
struct LogFolder {
    QString Name;
    QString Path;
    QString Filter;

    friend bool operator==(const LogFolder&, const LogFolder&) = default;
};
