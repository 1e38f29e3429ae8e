#pragma once

#include "base/MessageBox.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What the HTTP client delivers for one GET: whether the transfer ended without an error, the
// status, and the first bytes of the body (never more than MaxReplyBytes + 1 of them).
struct HttpReply {
    bool completed = false;
    int status = 0;
    QByteArray body;
    bool tooLong = false; // the body held more than MaxReplyBytes
};

// A GET that waits for its reply, at most TimeLimitMs overall.
class HttpGet
{
public:
    virtual ~HttpGet() = default;
    virtual HttpReply Get(const QString& address) = 0;
};

namespace about
{

// A version number is a few characters; anything longer is not one.
inline constexpr qsizetype MaxReplyBytes = 4096;
// Start-up never waits longer than this for the support server.
inline constexpr int TimeLimitMs = 5000;

// The program's version as major.minor.revision, decimal without leading zeros.
QString VersionText();
// "version=" and the version: the query value the support server is sent.
QString RequestText();
// major.minor: newer replies are those greater than this.
QString ComparisonText();

// The support server as "http://" and the configured host; empty when no host is configured,
// which turns the check off.
QString ConfiguredUpdateBase();
// The maker's web site as configured; may be empty.
QString ConfiguredWebAddress();

QString UpdateAddress(const QString& base);
// The reply text when the reply can be a version number at all.
std::optional<QString> ReplyVersion(const HttpReply& reply);
// Ordinal, code by code from the left; a text that begins another is the smaller one.
bool IsNewer(const QString& reply, const QString& comparison);
Message NewVersionMessage(const QString& reply, const QString& webAddress);

// Asks the support server at base for the newest version and says so when it is newer than
// this one. Silent on every failure; an empty base sends nothing.
void CheckForUpdate(const QString& base, const QString& webAddress, HttpGet& http,
                    MessageBox& messages);

} // namespace about
