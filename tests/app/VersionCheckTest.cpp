#include "app/VersionCheck.h"
#include "app/AppDelegate.h"
#include "tests/support/HttpServer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

// Readable failure messages for Qt strings.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using zarn::test::HttpResponse;
using zarn::test::HttpServer;

const QString productPage = QStringLiteral("http://www.zarn.example/zarn/");
// No handler takes this scheme; on the offscreen platform the desktop refuses it without
// starting any program.
const QString unopenablePage = QStringLiteral("zarn-nohandler://zarn/");

const QString failedTitle = QStringLiteral("Version check failed.");
const QString failedText = QStringLiteral("The Zarn web site could not be contacted.");
const QString newVersionText = QStringLiteral("It can be downloaded from the Zarn web site.");

QStringList titlesOf(const QList<QAbstractButton*>& buttons) {
    QStringList titles;
    for (const auto* button : buttons) {
        titles << button->text();
    }
    return titles;
}

struct SeenAlert {
    bool shown = false;
    QString text;
    QString informativeText;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool busyCursor = false; // an override cursor was set while the alert was up
};

// Presses the button titled `press` in the next application-modal alert. It polls from a timer
// of its own, which the blocking call under test lets run; it stops polling when it goes out of
// scope, so an alert that never came cannot be answered in a later test.
class ModalAlertAnswerer {
public:
    explicit ModalAlertAnswerer(QString press) : press_(std::move(press)) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { answer(); });
        poll_.start(10);
    }
    const SeenAlert& seen() const { return seen_; }
    int alertsSeen() const { return alertsSeen_; }

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->windowModality() != Qt::ApplicationModal) {
            return;
        }
        poll_.stop();
        ++alertsSeen_;
        seen_ = {true,
                 box->text(),
                 box->informativeText(),
                 titlesOf(box->buttons()),
                 box->icon(),
                 QGuiApplication::overrideCursor() != nullptr};
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == press_) {
                button->click();
                return;
            }
        }
        box->reject();
    }

    QString press_;
    QTimer poll_;
    SeenAlert seen_;
    int alertsSeen_ = 0;
};

SeenAlert checkAnswering(const QString& press, const QString& versionFileUrl,
                         const QString& running, const QString& product = productPage) {
    ModalAlertAnswerer answerer(press);
    zarn::checkForNewVersion(versionFileUrl, running, product);
    EXPECT_EQ(answerer.alertsSeen(), 1);
    return answerer.seen();
}

QMessageBox* sheetOn(QWidget* window) {
    const auto boxes = window->findChildren<QMessageBox*>();
    for (QMessageBox* box : boxes) {
        if (box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// A main window shown and active, as the sheets of the web page command need one.
struct ActiveMainWindow {
    ActiveMainWindow() {
        window.setObjectName(QStringLiteral("window"));
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QMainWindow window;
};

// Catches every URL handed to the desktop for http and https while it lives, so that no test
// starts a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> opened;
    QList<bool> openedWhileAlertRan;

public slots:
    void open(const QUrl& url) {
        opened << url;
        openedWhileAlertRan << (QApplication::activeModalWidget() != nullptr);
    }
};

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.isListening()); }

    QString serve(const QByteArray& body) {
        HttpResponse response;
        response.body = body;
        server.setResponse(QStringLiteral("/version.txt"), response);
        return server.url(QStringLiteral("/version.txt"));
    }

    HttpServer server;
    UrlRecorder recorder;
};

struct Comparison {
    const char* name;
    QByteArray file;
    QString running;
    bool newer;
    QString shown; // the version inside the parentheses of the message
};

TEST_F(VersionCheckTest, ComparesTheFileWithTheRunningVersionByUtf16Units) {
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, two surrogates
    const QString lastBmp(QChar(0xFFFF));
    const std::vector<Comparison> cases = {
        {"newer", "2.0", "1.9", true, "2.0"},
        {"same", "1.9", "1.9", false, "1.9"},
        {"digits are not numbers", "1.10", "1.9", false, "1.9"},
        {"digits are not numbers, reversed", "1.9", "1.10", true, "1.9"},
        {"line end kept, not shown", "1.9\n", "1.9", true, "1.9"},
        {"shorter prefix is lower", "1.9", "1.9.1", false, "1.9.1"},
        {"upper case is lower", "1.9B", "1.9b", false, "1.9b"},
        {"empty file", "", "1.9", false, "1.9"},
        {"leading blank kept", " 2.0", "1.9", false, "1.9"},
        {"surrogate below U+FFFF", "\xF0\x9F\x98\x80", lastBmp, false, lastBmp},
        {"U+FFFF above a surrogate", "\xEF\xBF\xBF", smiley, true, lastBmp},
        {"byte order mark dropped",
         "\xEF\xBB\xBF"
         "1.9",
         "1.9", false, "1.9"},
    };
    for (const Comparison& c : cases) {
        SCOPED_TRACE(c.name);
        const QString url = serve(c.file);
        const SeenAlert seen = checkAnswering(
            c.newer ? QStringLiteral("Cancel") : QStringLiteral("OK"), url, c.running);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.icon, QMessageBox::Information);
        if (c.newer) {
            EXPECT_EQ(seen.text, "A new version of Zarn (" + c.shown + ") is available.");
            EXPECT_EQ(seen.informativeText, newVersionText);
            EXPECT_EQ(seen.buttons, QStringList({"Go to web site", "Cancel"}));
        } else {
            EXPECT_EQ(seen.text, "This version of Zarn (" + c.shown + ") is the current version.");
            EXPECT_EQ(seen.informativeText, "");
            EXPECT_EQ(seen.buttons, QStringList({"OK"}));
        }
    }
    // Neither "Cancel" nor "OK" opens anything.
    EXPECT_TRUE(recorder.opened.isEmpty());
}

TEST_F(VersionCheckTest, AWholeWebPageAsVersionMakesAnAlertThatFitsAndEscapeCancels) {
    QByteArray page = "<html>\n";
    while (page.size() < 12 * 1024) {
        page += "<p>Please log in to use this network.</p>\n";
    }
    const QString url = serve(page);
    QString text;
    QSize size;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll.stop();
        text = box->text();
        size = box->sizeHint();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    poll.start(10);
    zarn::checkForNewVersion(url, "1.0", productPage);

    const QString words = QStringLiteral("A new version of Zarn () is available.");
    EXPECT_TRUE(text.startsWith("A new version of Zarn (<html> <p>Please")) << text.toStdString();
    EXPECT_LE(text.size(), words.size() + 64) << text.toStdString();
    EXPECT_FALSE(text.contains('\n'));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(size.height(), screen.height());
    EXPECT_LE(size.width(), screen.width());
    EXPECT_TRUE(recorder.opened.isEmpty());
    EXPECT_EQ(zarn::shownVersion(" 1.2\t\r\n beta\x01"), "1.2 beta");
}

TEST_F(VersionCheckTest, FetchReturnsTheWholeBodyOfASuccessfulAnswer) {
    EXPECT_EQ(zarn::fetchURLString(serve("2.0")), QString("2.0"));
    EXPECT_EQ(zarn::fetchURLString(serve(" 2.0 \r\n")), QString(" 2.0 \r\n"));
    EXPECT_EQ(zarn::fetchURLString(serve("")), QString(""));
    EXPECT_EQ(zarn::fetchURLString(serve("\xC3\xA9t\xC3\xA9")),
              QString::fromUtf8("\xC3\xA9t\xC3\xA9"));

    // A body of exactly 64 KiB is still a version file, with or without its length announced.
    const QByteArray largest(64 * 1024, '7');
    EXPECT_EQ(zarn::fetchURLString(serve(largest)), QString::fromLatin1(largest));
    HttpResponse unannounced;
    unannounced.body = largest;
    unannounced.sendContentLength = false;
    server.setResponse("/unannounced", unannounced);
    EXPECT_EQ(zarn::fetchURLString(server.url("/unannounced")), QString::fromLatin1(largest));

    HttpResponse moved;
    moved.status = 302;
    moved.headers = {{"Location", "/version.txt"}};
    server.setResponse("/old.txt", moved);
    serve("3.1");
    EXPECT_EQ(zarn::fetchURLString(server.url("/old.txt")), QString("3.1"));
    EXPECT_EQ(server.requestCount("/old.txt"), 1);
}

struct FailedRead {
    const char* name;
    HttpResponse response;
};

HttpResponse withStatus(int status, QByteArray body) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

HttpResponse unannouncedBody(QByteArray body) {
    HttpResponse response;
    response.body = std::move(body);
    response.sendContentLength = false;
    return response;
}

std::vector<FailedRead> failingAnswers() {
    HttpResponse silent;
    silent.neverAnswer = true;
    return {
        {"404", withStatus(404, "<!DOCTYPE html><title>Not Found</title>")},
        {"500", withStatus(500, "2.0")},
        {"redirect without a target", withStatus(302, "2.0")},
        // Statuses that Qt itself does not count as errors.
        {"199", withStatus(199, "2.0")},
        {"300 multiple choices", withStatus(300, "2.0")},
        {"304 not modified", withStatus(304, "")},
        {"overlong form", withStatus(200, "\xC0\xAF")},
        {"encoded surrogate", withStatus(200, "1.\xED\xA0\x80")},
        {"above U+10FFFF", withStatus(200, "\xF4\x90\x80\x80")},
        {"cut off at the end", withStatus(200, "1.9\xE2\x82")},
        {"stray continuation byte", withStatus(200, "1.9\x80")},
        {"Latin-1", withStatus(200, "caf\xE9")},
        {"one byte over 64 KiB", withStatus(200, QByteArray(64 * 1024 + 1, '7'))},
        {"over 64 KiB unannounced", unannouncedBody(QByteArray(64 * 1024 + 1, '7'))},
        {"megabytes unannounced", unannouncedBody(QByteArray(8 * 1024 * 1024, '7'))},
        {"never answers", silent},
    };
}

TEST_F(VersionCheckTest, FetchGivesNothingForAFailedRead) {
    for (const FailedRead& c : failingAnswers()) {
        SCOPED_TRACE(c.name);
        const QString path = QStringLiteral("/") + QString::fromLatin1(c.name).replace(' ', '-');
        server.setResponse(path, c.response);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(zarn::fetchURLString(server.url(path), 500), std::nullopt);
        // Qt's client sends a request once more when the connection closes before it has begun
        // to read the answer, which a body ended by the close can meet on a busy machine.
        EXPECT_GE(server.requestCount(path), 1);
        EXPECT_LE(server.requestCount(path), 2);
        // Only the silent server makes it wait for the time-out.
        EXPECT_LT(clock.elapsed(), 5000);
    }

    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/version.txt").arg(HttpServer::unusedPort());
    EXPECT_EQ(zarn::fetchURLString(refused, 5000), std::nullopt);
}

TEST_F(VersionCheckTest, TheBusyCursorShowsWhileTheFetchWaitsAndNotWithTheAlerts) {
    HttpResponse silent;
    silent.neverAnswer = true;
    server.setResponse("/silent", silent);
    std::optional<Qt::CursorShape> duringWait;
    QTimer::singleShot(100, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        duringWait = cursor != nullptr ? std::optional(cursor->shape()) : std::nullopt;
    });
    EXPECT_EQ(zarn::fetchURLString(server.url("/silent"), 400), std::nullopt);
    EXPECT_EQ(duringWait, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The answers are alerts that take input: the user sees the ordinary cursor over them.
    const QString unanswered =
        QStringLiteral("http://127.0.0.1:%1/version.txt").arg(HttpServer::unusedPort());
    for (const QString& url : {serve("2.0"), unanswered}) {
        SCOPED_TRACE(url.toStdString());
        const SeenAlert seen = checkAnswering(QStringLiteral("OK"), url, "2.0");
        EXPECT_TRUE(seen.shown);
        EXPECT_FALSE(seen.busyCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(VersionCheckTest, FetchStopsReadingAnOversizedBodyAtOnce) {
    // Both bodies never end: only giving up on them early returns before the time-out.
    HttpResponse announced;
    announced.sendContentLength = false;
    announced.headers = {{"Content-Length", "100000000"}};
    announced.body = "2.0";
    announced.keepOpen = true;
    server.setResponse("/announced", announced);
    HttpResponse unannounced;
    unannounced.sendContentLength = false;
    unannounced.body = QByteArray(64 * 1024 + 100, '7');
    unannounced.keepOpen = true;
    server.setResponse("/unannounced", unannounced);

    for (const char* path : {"/announced", "/unannounced"}) {
        SCOPED_TRACE(path);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(zarn::fetchURLString(server.url(path), 4000), std::nullopt);
        EXPECT_LT(clock.elapsed(), 2000);
    }
}

TEST_F(VersionCheckTest, FetchGivesUpOnASilentServerAtTheTimeOut) {
    HttpResponse silent;
    silent.neverAnswer = true;
    server.setResponse("/silent", silent);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(zarn::fetchURLString(server.url("/silent"), 300), std::nullopt);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST_F(VersionCheckTest, HugeHeadersGiveTheFailureAlertWithinTheLimit) {
    constexpr int limitMs = 2000;
    HttpResponse manyLines;
    for (int i = 0; i < 200000; ++i) {
        manyLines.rawHeaders +=
            "X-Filler-" + QByteArray::number(i) + ": " + QByteArray(24, 'y') + "\r\n";
    }
    HttpResponse oneLine;
    oneLine.rawHeaders = "X-Filler: " + QByteArray(8 * 1024 * 1024, 'y') + "\r\n";
    for (const auto& [name, response] :
         {std::pair{"many lines", manyLines}, {"one line", oneLine}}) {
        SCOPED_TRACE(name);
        server.setResponse("/huge", response);
        QElapsedTimer clock;
        clock.start();
        const ModalAlertAnswerer answerer("OK");
        zarn::checkForNewVersion(server.url("/huge"), "1.9", productPage, limitMs);
        EXPECT_LT(clock.elapsed(), limitMs + 500);
        EXPECT_EQ(answerer.seen().text, failedTitle);
    }
}

TEST_F(VersionCheckTest, FetchRefusesMalformedAndNonWebUrls) {
    serve("2.0");
    const QString port = QString::number(server.port());
    const QStringList urls = {
        "",
        "not a url",
        "version.txt",
        "/version.txt",
        "http://",
        "http:///version.txt",
        "http://127.0.0.1:" + port + "/vers ion.txt",
        "http://127.0.0.1:" + port + "/version.txt%",
        "ftp://127.0.0.1:" + port + "/version.txt",
        "file:///etc/hostname",
        "data:text/plain,2.0",
    };
    for (const QString& url : urls) {
        SCOPED_TRACE(url.toStdString());
        EXPECT_EQ(zarn::fetchURLString(url, 2000), std::nullopt);
    }
    EXPECT_EQ(server.requestCount("/version.txt"), 0);
}

TEST_F(VersionCheckTest, AFailedReadShowsTheFailureAlert) {
    std::vector<std::pair<std::string, QString>> urls = {
        {"connection refused",
         QStringLiteral("http://127.0.0.1:%1/version.txt").arg(HttpServer::unusedPort())},
        {"malformed url", QStringLiteral("http://127.0.0.1:%1/vers ion.txt").arg(server.port())},
    };
    for (const FailedRead& c : failingAnswers()) {
        if (c.response.neverAnswer) {
            continue; // would wait the full minute of the real time-out
        }
        const QString path = QStringLiteral("/") + QString::fromLatin1(c.name).replace(' ', '-');
        server.setResponse(path, c.response);
        urls.emplace_back(c.name, server.url(path));
    }
    for (const auto& [name, url] : urls) {
        SCOPED_TRACE(name);
        const SeenAlert seen = checkAnswering("OK", url, "1.9");
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.text, failedTitle);
        EXPECT_EQ(seen.informativeText, failedText);
        EXPECT_EQ(seen.buttons, QStringList({"OK"}));
        EXPECT_EQ(seen.icon, QMessageBox::Information);
    }
    EXPECT_TRUE(recorder.opened.isEmpty());
}

TEST_F(VersionCheckTest, GoToWebSiteOpensTheProductPageOnceTheAlertHasClosed) {
    const SeenAlert seen = checkAnswering("Go to web site", serve("2.0"), "1.9");
    ASSERT_TRUE(seen.shown);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(productPage));
    EXPECT_FALSE(recorder.openedWhileAlertRan[0]);
}

TEST_F(VersionCheckTest, OpenUrlStringSaysWhetherTheDesktopTookTheUrl) {
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    EXPECT_TRUE(zarn::openURLString(productPage));
    EXPECT_FALSE(zarn::openURLString(unopenablePage));
    EXPECT_FALSE(zarn::openURLString("http://www.zarn.example/za rn/"));
    EXPECT_FALSE(zarn::openURLString(""));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(productPage));
}

void expectWebPageFailureSheet(QWidget* window) {
    QMessageBox* sheet = sheetOn(window);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->text(), "Unexpected Error");
    EXPECT_EQ(sheet->informativeText(),
              "Unable to Zarn web page, is there a live connection to the Web?");
    EXPECT_EQ(titlesOf(sheet->buttons()), QStringList({"OK"}));
    sheet->buttons().first()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheetOn(window) == nullptr; }, 2000));
}

TEST_F(VersionCheckTest, AWebPageThatCannotBeOpenedGivesASheetOnTheMainWindow) {
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    ActiveMainWindow main;

    // The command returns at once; the sheet stays until it is dismissed.
    zarn::openProductWebPage(unopenablePage);
    expectWebPageFailureSheet(&main.window);
    zarn::openProductWebPage("http://www.zarn.example/za rn/");
    expectWebPageFailureSheet(&main.window);

    // Asked for by the version alert, the sheet comes after the alert has closed.
    checkAnswering("Go to web site", serve("2.0"), "1.9", unopenablePage);
    expectWebPageFailureSheet(&main.window);
    EXPECT_TRUE(recorder.opened.isEmpty());
}

// The delegate's menu, and its commands run with the URLs of its environment.
class MenusTest : public VersionCheckTest {
protected:
    void SetUp() override {
        VersionCheckTest::SetUp();
        zarn::Environment environment;
        environment.versionFileUrl = server.url("/version.txt");
        environment.productWebPageUrl = productPage;
        delegate = std::make_unique<zarn::AppDelegate>(std::move(environment));
        menu = delegate->window()->menuBar()->findChild<QMenu*>("applicationMenu");
        ASSERT_NE(menu, nullptr);
    }

    QAction* action(const char* name) const {
        auto* found = menu->findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::unique_ptr<zarn::AppDelegate> delegate;
    QMenu* menu = nullptr;
};

TEST_F(MenusTest, TheApplicationMenuHoldsTheFourCommandsWithTheirRoles) {
    EXPECT_EQ(menu->title().remove('&'), "Zarn");
    QStringList texts;
    for (const QAction* entry : menu->actions()) {
        texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    }
    EXPECT_EQ(texts, QStringList({"About Zarn", QString::fromUtf8("Check for Updates\u2026"),
                                  "Zarn Web Page", "-", "Quit Zarn"}));
    EXPECT_EQ(action("aboutAction")->menuRole(), QAction::AboutRole);
    EXPECT_EQ(action("checkForUpdatesAction")->menuRole(), QAction::ApplicationSpecificRole);
    EXPECT_EQ(action("quitAction")->menuRole(), QAction::QuitRole);
    // The platform's quit key where it has one, else Ctrl+Q.
    const QList<QKeySequence> platformKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    EXPECT_EQ(action("quitAction")->shortcuts(),
              platformKeys.isEmpty() ? QList<QKeySequence>{QKeySequence("Ctrl+Q")} : platformKeys);
}

TEST_F(MenusTest, QuitRequestsTermination) {
    QSignalSpy terminate(delegate.get(), &zarn::AppDelegate::terminateRequested);
    action("quitAction")->trigger();
    EXPECT_EQ(terminate.count(), 1);
}

TEST_F(MenusTest, AboutShowsThePanel) {
    ASSERT_FALSE(delegate->splashWindow()->isVisible());
    action("aboutAction")->trigger();
    EXPECT_TRUE(delegate->splashWindow()->isVisible());
}

TEST_F(MenusTest, WebPageOpensTheProductPageOfTheEnvironment) {
    action("webPageAction")->trigger();
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(productPage));
}

TEST_F(MenusTest, CheckForUpdatesComparesWithTheBundleVersion) {
    serve("0");
    {
        ModalAlertAnswerer answerer("OK");
        action("checkForUpdatesAction")->trigger();
        ASSERT_TRUE(answerer.seen().shown);
        EXPECT_EQ(answerer.seen().text, "This version of Zarn (" + zarn::bundleShortVersion() +
                                            ") is the current version.");
    }
    serve("~");
    {
        ModalAlertAnswerer answerer("Go to web site");
        action("checkForUpdatesAction")->trigger();
        ASSERT_TRUE(answerer.seen().shown);
        EXPECT_EQ(answerer.seen().text, "A new version of Zarn (~) is available.");
    }
    EXPECT_EQ(server.requestCount("/version.txt"), 2);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(productPage));
}

} // namespace

#include "VersionCheckTest.moc"
