#include "UpdateCheck.h"

#include <QVersionNumber>

namespace about
{

namespace
{

QVersionNumber ProgramVersion()
{
    return QVersionNumber::fromString(QStringLiteral(TARVISK_VERSION));
}

} // namespace

QString VersionText()
{
    const QVersionNumber version = ProgramVersion();
    return QStringLiteral("%1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

QString RequestText()
{
    return QStringLiteral("version=") + VersionText();
}

QString ComparisonText()
{
    const QVersionNumber version = ProgramVersion();
    return QStringLiteral("%1.%2").arg(version.majorVersion()).arg(version.minorVersion());
}

QString ConfiguredUpdateBase()
{
    const QString host = QStringLiteral(TARVISK_SUPPORT_HOST);
    return host.isEmpty() ? QString() : QStringLiteral("http://") + host;
}

QString ConfiguredWebAddress()
{
    return QStringLiteral(TARVISK_WEB_ADDRESS);
}

QString UpdateAddress(const QString& base)
{
    // The query value itself begins with "version=", so the key appears twice; the support
    // server expects it that way.
    return base + QStringLiteral("/tarvisk.asp?version=") + RequestText();
}

std::optional<QString> ReplyVersion(const HttpReply& reply)
{
    if (!reply.completed || reply.status != 200 || reply.tooLong ||
        reply.body.size() > MaxReplyBytes)
        return std::nullopt;
    // An error page or a portal's login page is not a version number.
    if (reply.body.isEmpty() || reply.body.front() < '0' || reply.body.front() > '9')
        return std::nullopt;
    return QString::fromUtf8(reply.body);
}

bool IsNewer(const QString& reply, const QString& comparison)
{
    return QString::compare(reply, comparison, Qt::CaseSensitive) > 0;
}

Message NewVersionMessage(const QString& reply, const QString& webAddress)
{
    QString text =
        QStringLiteral("A new version of Tarvisk is available\r\n\r\nDownload version ") + reply;
    if (!webAddress.isEmpty())
        text += QStringLiteral(" from ") + webAddress;
    return {text, QStringLiteral("New version available"), Message::Icon::Information,
            Message::Buttons::Ok};
}

void CheckForUpdate(const QString& base, const QString& webAddress, HttpGet& http,
                    MessageBox& messages)
{
    if (base.isEmpty())
        return;
    const std::optional<QString> reply = ReplyVersion(http.Get(UpdateAddress(base)));
    if (reply && IsNewer(*reply, ComparisonText()))
        messages.Show(NewVersionMessage(*reply, webAddress));
}

} // namespace about
