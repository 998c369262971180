#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QTest>
#include <climits>

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const char* const lineNames[] = {"zarnVersion", "ccnos", "germanCredit", "ccnEmail", "copyright"};

// The texts of the five lines at the moment the panel receives its Show event.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* panel) : panel_(panel) { panel->installEventFilter(this); }
    ~ShowWatcher() override { panel_->removeEventFilter(this); }

    QList<QStringList> linesAtShow;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == panel_ && event->type() == QEvent::Show) {
            QStringList lines;
            for (const char* name : lineNames) {
                const auto* label = panel_->findChild<QLabel*>(name);
                lines << (label != nullptr ? label->text() : QString());
            }
            linesAtShow << lines;
        }
        return false;
    }

private:
    QWidget* panel_;
};

class AboutPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel = delegate.splashWindow();
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(panel->objectName(), "splashWindow");
        // Another window has the focus when the panel opens, as when the user works elsewhere.
        elsewhere.setWindowTitle("elsewhere");
        elsewhere.resize(200, 100);
        elsewhere.show();
        elsewhere.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    }

    QLabel* line(const char* name) const { return panel->findChild<QLabel*>(name); }

    bool mainWindowActiveInFront() const {
        QMainWindow* main = delegate.window();
        return QTest::qWaitFor(
            [main] { return main->isVisible() && QApplication::activeWindow() == main; }, 1000);
    }

    // Waits until the panel hides and returns the time since `opened` started, or -1.
    qint64 hiddenAfter(const QElapsedTimer& opened, int atMostMs) const {
        if (!QTest::qWaitFor([this] { return !panel->isVisible(); }, atMostMs)) {
            return -1;
        }
        return opened.elapsed();
    }

    zarn::AppDelegate delegate;
    QWidget* panel = nullptr;
    QWidget elsewhere;
};

QStringList expectedLines() {
    return {
        "Version: " + QString::fromUtf8(zarn::build::ShortVersion),
#ifdef __APPLE__
        "For Mac OS 10.9+",
        "64-bit, universal for macOS 11/Apple Silicon Macs",
#else
        "For Linux with systemd",
        QString::number(sizeof(void*) * CHAR_BIT) + "-bit, Qt " + QString::fromLatin1(qVersion()),
#endif
        "Email: " + QString::fromUtf8(zarn::build::ContactEmailAddress),
        QString::fromUtf8(zarn::build::CopyrightPrefix) +
            QString::number(QDate::currentDate().year()) + " " +
            QString::fromUtf8(zarn::build::VendorName),
    };
}

TEST_F(AboutPanelTest, IsHiddenUntilTheAboutCommand) {
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), "About Zarn");
    for (const char* name : lineNames) {
        SCOPED_TRACE(name);
        QLabel* label = line(name);
        ASSERT_NE(label, nullptr);
        // The lines carry build constants and translations: never render them as markup.
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        // The text is the name a screen reader reads; the description says what it is.
        EXPECT_FALSE(label->accessibleDescription().isEmpty());
    }
}

TEST_F(AboutPanelTest, WritesAllFiveLinesBeforeThePanelShows) {
    ASSERT_FALSE(QString::fromUtf8(zarn::build::ShortVersion).isEmpty());
    ShowWatcher watcher(panel);
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        // Text left over from an earlier opening must never be what shows.
        for (const char* name : lineNames) {
            line(name)->setText("stale");
        }
        panel->hide();
        delegate.buildSplashWnd();
        ASSERT_EQ(watcher.linesAtShow.size(), opening + 1);
        EXPECT_EQ(watcher.linesAtShow.last(), expectedLines());
        EXPECT_TRUE(panel->isVisible());
    }
    const QString copyright = line("copyright")->text();
    EXPECT_TRUE(copyright.endsWith(QString::number(QDate::currentDate().year()) + " " +
                                   QString::fromUtf8(zarn::build::VendorName)));
}

TEST_F(AboutPanelTest, HidesAfterFiveSecondsAndActivatesTheMainWindow) {
    // The main window is open behind the window that has the focus.
    delegate.window()->show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));

    QElapsedTimer opened;
    opened.start();
    delegate.buildSplashWnd();
    QTest::qWait(4500);
    EXPECT_TRUE(panel->isVisible());
    // (The offscreen platform activates every window it shows, the panel too.)
    EXPECT_NE(QApplication::activeWindow(), delegate.window());

    const qint64 hidden = hiddenAfter(opened, 2000);
    EXPECT_GE(hidden, 4950);
    EXPECT_LE(hidden, 5600);
    EXPECT_TRUE(mainWindowActiveInFront());
}

TEST_F(AboutPanelTest, TwoOpeningsTwoSecondsApartHideFiveSecondsAfterTheFirst) {
    QElapsedTimer opened;
    opened.start();
    delegate.buildSplashWnd();
    QTest::qWait(2000);
    delegate.buildSplashWnd();
    EXPECT_TRUE(panel->isVisible());

    const qint64 hidden = hiddenAfter(opened, 4500);
    EXPECT_GE(hidden, 4950);
    EXPECT_LE(hidden, 5600);
    EXPECT_TRUE(mainWindowActiveInFront());

    // The second timer fires later on the hidden panel and changes nothing.
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    QTest::qWait(int(7500 - opened.elapsed()));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(mainWindowActiveInFront());
}

TEST_F(AboutPanelTest, EscapeHidesThePanelAndTheTimerStillFires) {
    QElapsedTimer opened;
    opened.start();
    delegate.buildSplashWnd();
    // The user clicks into the panel and presses Escape.
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    // Only the timer brings the main window up.
    EXPECT_FALSE(delegate.window()->isVisible());

    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    QTest::qWait(int(5300 - opened.elapsed()));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(mainWindowActiveInFront());
}

} // namespace
