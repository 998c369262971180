#include "app/VersionCheck.h"

#include "alerts/Alerts.h"
#include "app/BusyCursor.h"
#include "app/web/WebRead.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLibrary>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <utility>

namespace zarn {

namespace {

// A version file is a few bytes; anything near this size is not one.
constexpr qint64 maxBodyBytes = 64 * 1024;

// The context of the version check's texts in the catalogues.
struct VersionCheck {
    Q_DECLARE_TR_FUNCTIONS(VersionCheck)
};

// The web-reading module, loaded on the first read and never unloaded: a read that outlived its
// caller's limit still runs in it. Looked for beside the program (the build tree), then in the
// library directory beside its bin/ (a staged or relocated install), then where it was installed.
web::ReadFunction webReader() {
    static const web::ReadFunction reader = []() -> web::ReadFunction {
        const QString dir = QCoreApplication::applicationDirPath();
        const QString name = QString::fromLatin1(web::moduleFileName);
        for (const QString& path : {dir + QLatin1Char('/') + name,
                                    dir + QStringLiteral("/../" ZARN_WEB_MODULE_LIBDIR "/") + name,
                                    QStringLiteral(ZARN_WEB_MODULE_INSTALLED_DIR "/") + name}) {
            QLibrary module(path);
            if (module.load()) {
                return reinterpret_cast<web::ReadFunction>(module.resolve(web::readSymbol));
            }
        }
        return nullptr;
    }();
    return reader;
}

// Reads that outlived their caller's limit. Each ends a few seconds later at most; those still
// running when the application ends are waited for, so that none runs while Qt is torn down.
QList<QThread*>& lingeringReads() {
    static QList<QThread*> threads;
    return threads;
}

void waitForLingeringReads() {
    for (QThread* thread : std::exchange(lingeringReads(), {})) {
        thread->wait();
        delete thread;
    }
}

} // namespace

std::optional<QString> fetchURLString(const QString& url, int timeoutMs) {
    const QUrl target(url, QUrl::StrictMode);
    if (!target.isValid() || target.host().isEmpty() ||
        (target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https"))) {
        return std::nullopt;
    }
    const int limit = std::max(timeoutMs, 0);
    // Without the module nothing can be read: the check then fails as with no network.
    const web::ReadFunction read = webReader();
    if (read == nullptr) {
        return std::nullopt;
    }

    // The read runs on a thread of its own, and this one only waits for it. Qt's network thread
    // can be busy for seconds with a flood of headers, and a network manager that is destroyed
    // waits up to five seconds for it: here that would break the time limit and keep the windows
    // from painting. Past the limit the read is left to end by itself.
    auto outcome = std::make_shared<web::Outcome>();
    QThread* worker = QThread::create(
        [read, target, limit, outcome] { read(&target, limit, maxBodyBytes, outcome.get()); });
    bool finished = false;
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
        // Only the wait shows the busy cursor: the alerts that follow it take input.
        const BusyCursor busy;
        worker->start();
        deadline.start(limit);
        // The windows go on painting while the request runs, but take no input: the caller
        // expects to be blocked like any other synchronous read.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished) {
        [[maybe_unused]] static const bool waitedForAtExit = [] {
            qAddPostRoutine(waitForLingeringReads);
            return true;
        }();
        lingeringReads().append(worker);
        QObject::connect(worker, &QThread::finished, worker, [worker] {
            lingeringReads().removeOne(worker);
            worker->deleteLater();
        });
        return std::nullopt;
    }
    worker->wait();
    delete worker;
    if (!outcome->ok) {
        return std::nullopt;
    }
    // Stateless: a sequence cut off at the end counts as an error, not as pending input. A
    // leading byte order mark is a signature, not part of the text, and is dropped.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(outcome->body);
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
                        const QString& productWebPageUrl, int timeoutMs) {
    const std::optional<QString> fetched = fetchURLString(versionFileUrl, timeoutMs);
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
