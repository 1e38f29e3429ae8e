#include "DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopUrlOpener::Open(const QString& address)
{
    // fromUserInput: an address written without "http://" still opens in the browser.
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}
