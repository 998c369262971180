#include "app/VersionCheck.h"

#include "alerts/Alerts.h"
#include "app/BusyCursor.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace zarn {

namespace {

// A version file is a few bytes; anything near this size is not one.
constexpr qint64 maxBodyBytes = 64 * 1024;

// The context of the version check's texts in the catalogues.
struct VersionCheck {
    Q_DECLARE_TR_FUNCTIONS(VersionCheck)
};

} // namespace

std::optional<QString> fetchURLString(const QString& url, int timeoutMs) {
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid() || target.host().isEmpty() ||
        (target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https"))) {
        return std::nullopt;
    }

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
    QObject::connect(&deadline, &QTimer::timeout, &loop, giveUp);

    if (!reply->isFinished()) {
        // Only the wait shows the busy cursor: the alerts that follow it take input.
        const BusyCursor busy;
        deadline.start(std::max(timeoutMs, 0));
        // The windows go on painting while the request runs, but take no input: the caller
        // expects to be blocked like any other synchronous read.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (failed || reply->error() != QNetworkReply::NoError) {
        return std::nullopt;
    }
    // An error page is not a version file; Qt reports only some statuses as errors.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        return std::nullopt;
    }
    const QByteArray body = reply->readAll();
    if (body.size() > maxBodyBytes) {
        return std::nullopt;
    }
    // Stateless: a sequence cut off at the end counts as an error, not as pending input. A
    // leading byte order mark is a signature, not part of the text, and is dropped.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

bool openURLString(const QString& url) {
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid()) {
        return false;
    }
    return QDesktopServices::openUrl(target);
}

QString bundleShortVersion() {
    return QString::fromUtf8(build::ShortVersion);
}

void checkForNewVersion(const QString& versionFileUrl, const QString& runningVersion,
                        const QString& productWebPageUrl) {
    const std::optional<QString> fetched = fetchURLString(versionFileUrl);
    if (!fetched) {
        showModalAlert(1, VersionCheck::tr("Version check failed."),
                       VersionCheck::tr("The Zarn web site could not be contacted."),
                       VersionCheck::tr("OK"));
        return;
    }

    // Ordinal on UTF-16 units and case-sensitive; digits are not read as numbers, so 1.10 sorts
    // below 1.9.
    if (QString::compare(*fetched, runningVersion, Qt::CaseSensitive) > 0) {
        //: The version number and ") is available." follow.
        const QString message = VersionCheck::tr("A new version of Zarn (") +
                                shownVersion(*fetched) +
                                //: Follows "A new version of Zarn (" and the version number.
                                VersionCheck::tr(") is available.");
        const qint64 code = showModalAlert(
            1, message, VersionCheck::tr("It can be downloaded from the Zarn web site."),
            VersionCheck::tr("Go to web site"), VersionCheck::tr("Cancel"));
        // showModalAlert has closed the alert by now, so a failure sheet comes after it.
        if (code == FirstButtonCode) {
            openProductWebPage(productWebPageUrl);
        }
        return;
    }
    //: The version number and ") is the current version." follow.
    const QString message = VersionCheck::tr("This version of Zarn (") + runningVersion +
                            //: Follows "This version of Zarn (" and the version number.
                            VersionCheck::tr(") is the current version.");
    showModalAlert(1, message, QString(), VersionCheck::tr("OK"));
}

QString shownVersion(const QString& version) {
    constexpr qsizetype shownLength = 64;
    QString line;
    bool blank = false;
    for (const QChar c : version) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            blank = !line.isEmpty();
            continue;
        }
        if (blank) {
            line += QLatin1Char(' ');
            blank = false;
        }
        line += c;
    }
    if (line.size() <= shownLength) {
        return line;
    }
    // Not inside a surrogate pair.
    qsizetype cut = shownLength - 1;
    if (line.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return line.left(cut) + QChar(0x2026);
}

void openProductWebPage(const QString& productWebPageUrl) {
    if (openURLString(productWebPageUrl)) {
        return;
    }
    showSheetOnMainWindow(
        VersionCheck::tr("Unexpected Error"),
        VersionCheck::tr("Unable to Zarn web page, is there a live connection to the Web?"),
        VersionCheck::tr("OK"), QString());
}

} // namespace zarn
