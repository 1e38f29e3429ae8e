#pragma once

#include "UpdateCheck.h"

// The GET of the update check over QNetworkAccessManager, awaited in a local event loop. The
// whole request ends within about::TimeLimitMs, a reply that keeps trickling in included, and
// no more of the body is read than can be a version number.
class NetworkHttpGet final : public HttpGet
{
public:
    HttpReply Get(const QString& address) override;
};
