#include "app/web/WebRead.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>
#include <type_traits>
#include <utility>

namespace {

zarn::web::Outcome fetchHere(const QUrl& target, int timeoutMs, qint64 maxBodyBytes) {
    QNetworkAccessManager manager;
    QNetworkRequest request(target);
    // Redirects are followed, but never from https to http: a version file fetched securely
    // must not come from a plain connection. Set here, not left to Qt's default.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    bool failed = false;
    QEventLoop loop;
    auto giveUp = [&] {
        failed = true;
        reply->abort();
    };
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The announced length stops a large body before it is read, the running count one sent
    // without a length (or with a false one) as soon as it passes the limit.
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        // The body of a redirect that is being followed is never read.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if ((status < 300 || status > 399) && length.isValid() &&
            length.toLongLong() > maxBodyBytes) {
            giveUp();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (reply->bytesAvailable() > maxBodyBytes) {
            giveUp();
        }
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, giveUp);
    if (!reply->isFinished()) {
        deadline.start(timeoutMs);
        loop.exec();
    }
    if (failed || reply->error() != QNetworkReply::NoError) {
        return {};
    }
    // An error page is not a version file; Qt reports only some statuses as errors.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        return {};
    }
    QByteArray body = reply->readAll();
    if (body.size() > maxBodyBytes) {
        return {};
    }
    return {true, std::move(body)};
}

} // namespace

// The entry point that the application resolves by name (zarn::web::readSymbol).
extern "C" __attribute__((visibility("default"))) void
zarnWebRead(const QUrl* target, int timeoutMs, qint64 maxBodyBytes, zarn::web::Outcome* outcome) {
    static_assert(std::is_same_v<decltype(&zarnWebRead), zarn::web::ReadFunction>);
    *outcome = fetchHere(*target, timeoutMs, maxBodyBytes);
}
