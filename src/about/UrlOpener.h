#pragma once

#include <QString>

// Opens a web address with the desktop's default program. Whether that worked is not looked at:
// without a browser the click simply shows nothing.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void Open(const QString& address) = 0;
};
