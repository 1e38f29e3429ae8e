#include "NetworkHttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace
{

// Reads what has arrived, up to one byte past the limit; that byte marks a reply too long.
void Take(QNetworkReply& reply, HttpReply& result)
{
    result.body += reply.read(about::MaxReplyBytes + 1 - result.body.size());
    if (result.body.size() > about::MaxReplyBytes && !result.tooLong) {
        result.tooLong = true;
        reply.abort();
    }
}

} // namespace

HttpReply NetworkHttpGet::Get(const QString& address)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(address)};
    // The transfer time-out starts again with every byte; the timer below ends a trickle.
    request.setTransferTimeout(about::TimeLimitMs);
    // Only the support server's own answer counts: a redirect's target is not asked.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager.get(request); // owned by the manager
    reply->setReadBufferSize(about::MaxReplyBytes + 1);

    HttpReply result;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] { Take(*reply, result); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(about::TimeLimitMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    result.completed = reply->error() == QNetworkReply::NoError;
    if (result.completed && !result.tooLong)
        Take(*reply, result);
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return result;
}
