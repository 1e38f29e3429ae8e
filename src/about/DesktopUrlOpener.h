#pragma once

#include "UrlOpener.h"

// Opens the address with the desktop's default program (the browser for a web address).
class DesktopUrlOpener final : public UrlOpener
{
public:
    void Open(const QString& address) override;
};
