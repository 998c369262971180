// The desktop warnings before the action. Every bus here is a private dbus-daemon started by the
// test, with a stand-in notification service; nothing reaches a real desktop. Only dry-shutdown
// is ever given a time it would accept.

#include "helper/DeadlineTimer.h"
#include "helper/Notify.h"
#include "helper/Task.h"
#include "helper/TaskFolder.h"
#include "helper/Warnings.h"
#include "task/TaskRecord.h"
#include "tests/helper/HelperTestSupport.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <syslog.h>
#include <thread>
#include <unistd.h>

namespace {

using zarn::test::StopSignal;

using namespace zarn::helper;
using namespace std::chrono_literals;
using zarn::test::ProcessGuard;
using zarn::test::TempDir;
namespace fs = std::filesystem;

using Clock = std::chrono::system_clock;

constexpr uid_t nobodyId = 65534;

bool waitForPath(const fs::path& path, std::chrono::milliseconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A dbus-daemon of its own that lets every user connect, own names and send anything; ended
// with its folder; with `onDemand`, the command it starts at a call to the notification service.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& onDemand = {}) {
        const fs::path socket = dir_.path() / "bus";
        const fs::path config = dir_.path() / "bus.conf";
        std::ofstream(dir_.path() / "org.freedesktop.Notifications.service")
            << "[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=" << onDemand << "\n";
        std::ofstream(config)
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:path="
            << socket.string()
            << "</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
            << (onDemand.empty() ? "" : "  <servicedir>" + dir_.path().string() + "</servicedir>\n")
            << "  <policy context=\"default\">\n"
               "    <allow user=\"*\"/>\n"
               "    <allow own=\"*\"/>\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "  </policy>\n"
               "</busconfig>\n";
        const pid_t pid =
            zarn::test::spawnProgram("/usr/bin/dbus-daemon", {"--config-file=" + config.string(),
                                                              "--nofork", "--nopidfile"});
        if (pid <= 0) {
            return;
        }
        guard_.add(pid);
        if (waitForPath(socket, 5s)) {
            // The daemon is root's in a root-run test; the recipient must still connect.
            std::error_code ignored;
            fs::permissions(socket, fs::perms::all, ignored);
            address_ = "unix:path=" + socket.string();
        }
    }
    /// Empty when the daemon did not start.
    const std::string& address() const { return address_; }

private:
    TempDir dir_;
    ProcessGuard guard_;
    std::string address_;
};

// The stand-in notification service on `bus`, recording the calls it gets.
class Notifier {
public:
    Notifier(const PrivateBus& bus, std::vector<std::string> options = {}) {
        std::vector<std::string> args{record().string()};
        args.insert(args.end(), options.begin(), options.end());
        const pid_t pid = zarn::test::spawnProgram(zarn::test::binDir() + "/fake-notifier", args,
                                                   {"DBUS_SESSION_BUS_ADDRESS=" + bus.address()});
        if (pid > 0) {
            guard_.add(pid);
            ready_ = waitForPath(record().string() + ".ready", 5s);
        }
    }
    bool ready() const { return ready_; }
    fs::path record() const { return dir_.path() / "calls"; }
    std::vector<std::string> calls() const {
        std::istringstream text(zarn::test::readFile(record()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    TempDir dir_;
    ProcessGuard guard_;
    bool ready_ = false;
};

struct LogLine {
    int priority;
    std::string message;
};

struct LogRecorder {
    std::vector<LogLine> lines;
    LogFunction log() {
        return [this](int priority, const std::string& message) {
            lines.push_back({priority, message});
        };
    }
};

// The recipient a test can become: nobody when run as root, otherwise the test's own user.
Recipient testRecipient() {
    if (::geteuid() == 0) {
        return {nobodyId, nobodyId};
    }
    return {::getuid(), ::getgid()};
}

// Senders that this process started and that are still there.
std::vector<pid_t> leftSenders() {
    std::vector<pid_t> left;
    for (const pid_t pid : zarn::test::processesNamed("zarn-notify")) {
        if (zarn::test::parentOf(pid) == ::getpid()) {
            left.push_back(pid);
        }
    }
    return left;
}

// The line the stand-in service records for one call.
std::string recordedCall(const Notification& sent, uid_t uid, const std::string& keys = "",
                         unsigned replaces = 0) {
    return "Zarn\t" + std::to_string(replaces) + "\t" + sent.icon + "\t" + sent.summary + "\t" +
           sent.body + "\t" + keys + "\t" + std::to_string(sent.urgency) + "\t-1\t" +
           std::to_string(uid);
}

TEST(WarningSchedule, FiveAndOneMinuteBeforeOnlyWhileStillAhead) {
    const Instant now = Clock::now();
    const auto at = [now](auto deadlineIn) {
        return warningInstants(now, now + deadlineIn, defaultWarningOffsets);
    };
    EXPECT_EQ(at(10min), (std::vector<Instant>{now + 5min, now + 9min}));
    EXPECT_EQ(at(3min), std::vector<Instant>{now + 2min});
    EXPECT_TRUE(at(30s).empty());
    EXPECT_TRUE(at(0s).empty());
    // A warning due exactly now is no longer ahead.
    EXPECT_EQ(at(5min), std::vector<Instant>{now + 4min});
    EXPECT_TRUE(at(60s).empty());
    EXPECT_EQ(at(61s), std::vector<Instant>{now + 1s});
}

TEST(WarningSchedule, OffsetsInAnyOrderGiveEachInstantOnceEarliestFirst) {
    const Instant now = Clock::now();
    const std::vector<std::chrono::milliseconds> offsets{60s, 300s, 60s, 0s, -5s, 3s};
    EXPECT_EQ(warningInstants(now, now + 10min, offsets),
              (std::vector<Instant>{now + 5min, now + 9min, now + 10min - 3s}));
    EXPECT_TRUE(warningInstants(now, now + 10min, {}).empty());
}

TEST(WarningSchedule, OffsetsFromTheEnvironmentText) {
    using Offsets = std::vector<std::chrono::seconds>;
    EXPECT_EQ(parseWarningOffsets("3"), Offsets{3s});
    EXPECT_EQ(parseWarningOffsets("300,60"), (Offsets{300s, 60s}));
    EXPECT_EQ(parseWarningOffsets(" 300  60 ,5,"), (Offsets{300s, 60s, 5s}));
    EXPECT_EQ(parseWarningOffsets(""), Offsets{});
    EXPECT_EQ(parseWarningOffsets(" , "), Offsets{});
    for (const char* wrong : {"x", "3s", "-3", "+3", "0", "1.5", "3,,x", "9999999"}) {
        EXPECT_FALSE(parseWarningOffsets(wrong)) << wrong;
    }
}

TEST(Recipient, OnlyPlainNumericIdsOfAUserOtherThanRoot) {
    const auto user = recipientFrom("1000", "1001");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->uid, 1000u);
    EXPECT_EQ(user->gid, 1001u);
    EXPECT_TRUE(recipientFrom("65534", "0"));
    const char* const wrong[][2] = {{nullptr, "1000"},
                                    {"1000", nullptr},
                                    {"", "1000"},
                                    {"1000", ""},
                                    {"0", "0"},
                                    {"0", "1000"},
                                    {"-1", "1000"},
                                    {"+1000", "1000"},
                                    {"1000 ", "1000"},
                                    {"10a0", "1000"},
                                    {"4294967295", "1000"},
                                    {"1000", "4294967295"},
                                    {"4294967296", "1000"}};
    for (const auto& ids : wrong) {
        EXPECT_FALSE(recipientFrom(ids[0], ids[1]))
            << (ids[0] ? ids[0] : "null") << " " << (ids[1] ? ids[1] : "null");
    }
    EXPECT_EQ(userBusAddress(1000), "unix:path=/run/user/1000/bus");
}

TEST(WarningTexts, NameTheActionAndTheLocalTimeOfTheDeadline) {
    const auto deadline = zarn::task::deadlineFromStamp("3001051530");
    ASSERT_TRUE(deadline);
    const struct {
        Action action;
        const char* icon;
        const char* summary;
    } cases[] = {
        {Action::PowerOff, "system-shutdown", "This computer will shut down at 15:30"},
        {Action::Reboot, "system-reboot", "This computer will restart at 15:30"},
        {Action::Suspend, "system-suspend", "This computer will go to sleep at 15:30"},
    };
    for (const auto& expected : cases) {
        const Notification warning = warningFor(expected.action, *deadline);
        EXPECT_EQ(warning.icon, expected.icon);
        EXPECT_EQ(warning.summary, expected.summary);
        EXPECT_EQ(warning.body, "Save your work, or open Zarn and press End Task to cancel.");
    }
}

struct Event {
    std::string what;
    Instant at;
};

TEST(WarnedTask, WarnsAtEachInstantInTurnThenActs) {
    std::vector<Event> events;
    LogRecorder log;
    const Instant start = Clock::now();
    const Instant deadline = start + 500ms;
    auto timer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(timer);
    const WarningPlan plan{{400ms, 200ms},
                           [&](Action action, Instant warnedDeadline, Offer, int stopFd) {
                               EXPECT_EQ(action, Action::Reboot);
                               EXPECT_EQ(warnedDeadline, deadline);
                               EXPECT_EQ(stopFd, -1);
                               events.push_back({"warn", Clock::now()});
                               return ChoiceSource();
                           }};
    const Outcome outcome = runTask(
        Action::Reboot, std::move(*timer), -1,
        [&](Action) {
            events.push_back({"act", Clock::now()});
            return true;
        },
        log.log(), plan);
    EXPECT_EQ(outcome, Outcome::Acted);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].what, "warn");
    EXPECT_GE(events[0].at, start + 100ms);
    EXPECT_LT(events[0].at, start + 250ms);
    EXPECT_EQ(events[1].what, "warn");
    EXPECT_GE(events[1].at, start + 300ms);
    EXPECT_LT(events[1].at, deadline);
    EXPECT_EQ(events[2].what, "act");
    EXPECT_GE(events[2].at, deadline);
}

TEST(WarnedTask, AWarningReachedTooLateOrAfterTheDeadlineIsSkipped) {
    std::vector<Instant> warned;
    LogRecorder log;
    const Instant start = Clock::now();
    auto timer = DeadlineTimer::arm(start + 200ms, false);
    ASSERT_TRUE(timer);
    const WarningPlan plan{{31200ms, 1200ms}, [&](Action, Instant, Offer, int) {
                               warned.push_back(Clock::now());
                               return ChoiceSource();
                           }};
    int acted = 0;
    // The warnings are planned as if the wait began 40 s ago: both are reached late.
    bool planned = false;
    const auto clock = [&planned] {
        return std::exchange(planned, true) ? Clock::now() : Clock::now() - 40s;
    };
    EXPECT_EQ(runTask(
                  Action::PowerOff, std::move(*timer), -1, [&](Action) { return ++acted > 0; },
                  log.log(), plan, clock),
              Outcome::Acted);
    EXPECT_EQ(warned.size(), 1u);
    EXPECT_EQ(acted, 1);
    const auto skipped = std::count_if(log.lines.begin(), log.lines.end(), [](const LogLine& l) {
        return l.message.find("skipped: reached 31 s late") != std::string::npos;
    });
    EXPECT_EQ(skipped, 1);

    // The machine woke after the deadline: the warning due before it is not sent at all.
    warned.clear();
    const Instant deadline = Clock::now() - 2s;
    auto pastTimer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(pastTimer);
    EXPECT_EQ(runTask(
                  Action::PowerOff, std::move(*pastTimer), -1, [&](Action) { return ++acted > 0; },
                  log.log(),
                  WarningPlan{{3s},
                              [&](Action, Instant, Offer, int) {
                                  warned.push_back(Clock::now());
                                  return ChoiceSource();
                              }}),
              Outcome::Acted);
    EXPECT_TRUE(warned.empty());
    EXPECT_EQ(acted, 2);
}

TEST(WarnedTask, SigtermCancelsBeforeAndDuringAWarning) {
    LogRecorder log;
    int acted = 0;
    const auto act = [&](Action) { return ++acted > 0; };
    int warnings = 0;
    {
        const StopSignal stop;
        stop.raise();
        auto timer = DeadlineTimer::arm(Clock::now() + 20s, false);
        ASSERT_TRUE(timer);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(runTask(Action::Suspend, std::move(*timer), stop.fd, act, log.log(),
                          WarningPlan{{10s},
                                      [&](Action, Instant, Offer, int) {
                                          ++warnings;
                                          return ChoiceSource();
                                      }}),
                  Outcome::Cancelled);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
        EXPECT_EQ(warnings, 0);
    }
    {
        // The signal comes while the first warning is being sent: no second one, no action.
        const StopSignal stop;
        const Instant start = Clock::now();
        auto timer = DeadlineTimer::arm(start + 20s, false);
        ASSERT_TRUE(timer);
        EXPECT_EQ(runTask(Action::Suspend, std::move(*timer), stop.fd, act, log.log(),
                          WarningPlan{{19950ms, 19900ms},
                                      [&](Action, Instant, Offer, int stopFd) {
                                          EXPECT_EQ(stopFd, stop.fd);
                                          ++warnings;
                                          stop.raise();
                                          return ChoiceSource();
                                      }}),
                  Outcome::Cancelled);
        EXPECT_EQ(warnings, 1);
    }
    EXPECT_EQ(acted, 0);
}

// A warning whose user has already answered `choice`, or sent a byte that is no choice at all.
ChoiceSource answeredWith(std::optional<Choice> choice) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    zarn::sys::Fd end(fds[1]);
    if (choice ? !ChoiceSource::send(end.get(), *choice) : ::write(end.get(), "x", 1) != 1) {
        return {};
    }
    return ChoiceSource(zarn::sys::Fd(fds[0]), 0);
}

TEST(WarnedTask, TheUsersChoiceCancelsOrPostponesSixTimesAtMost) {
    const struct {
        const char* name;
        std::optional<Choice> choice;
        bool recordMoves;
        Outcome outcome;
        int postpones;
    } cases[] = {
        {"cancel", Choice::Cancel, true, Outcome::Cancelled, 0},
        {"postpone at every warning", Choice::Postpone, true, Outcome::Acted, postponeLimit},
        {"the record cannot move", Choice::Postpone, false, Outcome::Acted, 0},
        {"no such choice", std::nullopt, true, Outcome::Acted, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogRecorder log;
        const Instant deadline = Clock::now() + 150ms;
        auto timer = DeadlineTimer::arm(deadline, false);
        ASSERT_TRUE(timer);
        std::vector<Offer> offers;
        std::vector<Instant> moves;
        int notices = 0;
        WarningPlan plan{{100ms}, [&](Action, Instant, Offer offer, int) {
                             offers.push_back(offer);
                             return answeredWith(c.choice);
                         }};
        plan.postpone = [&](Instant later) {
            moves.push_back(later);
            return c.recordMoves;
        };
        plan.notify = [&](Notice notice, Action, Instant, int) {
            notices += notice == Notice::Postponed ? 1 : 0;
        };
        plan.postponeBy = 100ms;
        std::optional<Instant> actedAt;
        const auto act = [&](Action) {
            actedAt = Clock::now();
            return true;
        };
        EXPECT_EQ(runTask(Action::PowerOff, std::move(*timer), -1, act, log.log(), plan),
                  c.outcome);
        const Instant last = deadline + c.postpones * 100ms;
        EXPECT_EQ(actedAt.has_value(), c.outcome == Outcome::Acted);
        if (actedAt) {
            EXPECT_GE(*actedAt, last);
            EXPECT_LT(*actedAt, last + 90ms);
        }
        EXPECT_EQ(notices, c.postpones);
        if (c.recordMoves && !moves.empty()) {
            EXPECT_EQ(moves.back(), last);
        }
        // Each warning offers both buttons until the sixth postpone, then Cancel alone.
        std::vector<Offer> expected(c.postpones + 1, Offer::CancelOrPostpone);
        if (c.postpones == postponeLimit) {
            expected.back() = Offer::Cancel;
        }
        EXPECT_EQ(offers, expected);
    }
}

TEST(DesktopWarning, SendsOneNotifyFromAProcessWithTheRecipientsIds) {
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    const Notifier notifier(bus);
    ASSERT_TRUE(notifier.ready());
    LogRecorder log;
    const Recipient recipient = testRecipient();
    const Instant deadline = Clock::now() + 30s;
    desktopNotifications(recipient, bus.address(), log.log())
        .warn(Action::Reboot, deadline, Offer::Nothing, -1);

    EXPECT_EQ(notifier.calls(), std::vector<std::string>{recordedCall(
                                    warningFor(Action::Reboot, deadline), recipient.uid)});
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].priority, LOG_INFO);
    EXPECT_EQ(log.lines[0].message, "warning of reboot at " + describeInstant(deadline) +
                                        " sent to uid " + std::to_string(recipient.uid) + " on " +
                                        bus.address() + ", id 1");
    EXPECT_TRUE(leftSenders().empty());
}

TEST(DesktopWarning, ReachesAServerThatTheBusStartsSlowlyAndHearsItsButtons) {
    const TempDir record;
    // Slower to start than one call may take, as on a desktop in software emulation.
    const PrivateBus bus("/bin/sh -c \"sleep 6; exec " + zarn::test::binDir() + "/fake-notifier " +
                         (record.path() / "calls").string() + " --invoke cancel --lifetime 60\"");
    LogRecorder log;
    ChoiceSource choices = desktopNotifications(testRecipient(), bus.address(), log.log())
                               .warn(Action::PowerOff, Clock::now() + 60s, Offer::Cancel, -1);
    EXPECT_TRUE(zarn::sys::waitReadable(choices.fd(), std::chrono::steady_clock::now() + 2s) &&
                choices.next() == Choice::Cancel);
}

TEST(DesktopWarning, AsRootTheBusSeesTheUserNotRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a child another user's ids";
    }
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    const Notifier notifier(bus);
    ASSERT_TRUE(notifier.ready());
    // Ids as sudo hands them over.
    const auto recipient = recipientFrom("65534", "65534");
    ASSERT_TRUE(recipient);
    const auto result = sendNotificationAs(*recipient, bus.address(),
                                           warningFor(Action::PowerOff, Clock::now()), 5s, -1);
    EXPECT_TRUE(result) << result.error().text;
    const auto calls = notifier.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].substr(calls[0].rfind('\t') + 1), std::to_string(nobodyId));
    EXPECT_TRUE(leftSenders().empty());
}

TEST(DesktopWarning, FailsQuicklyAndLogsWithoutABusOrAService) {
    LogRecorder log;
    const Recipient recipient = testRecipient();
    const TempDir nowhere;
    const std::string noBus = "unix:path=" + (nowhere.path() / "no-bus").string();
    auto started = std::chrono::steady_clock::now();
    desktopNotifications(recipient, noBus, log.log())
        .warn(Action::PowerOff, Clock::now() + 30s, Offer::Nothing, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].priority, LOG_WARNING);
    EXPECT_NE(log.lines[0].message.find(" failed to uid "), std::string::npos)
        << log.lines[0].message;
    EXPECT_NE(log.lines[0].message.find("cannot connect to " + noBus), std::string::npos)
        << log.lines[0].message;

    // A bus with nobody owning the notification name.
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    started = std::chrono::steady_clock::now();
    const auto result = sendNotificationAs(recipient, bus.address(),
                                           warningFor(Action::Suspend, Clock::now()), 5s, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    ASSERT_FALSE(result);
    EXPECT_NE(result.error().text.find("Notify failed"), std::string::npos) << result.error().text;
    EXPECT_TRUE(leftSenders().empty());
}

TEST(DesktopWarning, NobodyToWarnIsLogged) {
    LogRecorder log;
    desktopNotifications(std::nullopt, "unix:path=/nonexistent", log.log())
        .warn(Action::PowerOff, Clock::now() + 30s, Offer::Nothing, -1);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].priority, LOG_WARNING);
    EXPECT_NE(log.lines[0].message.find("no user to warn"), std::string::npos);
}

TEST(DesktopWarning, AServiceThatNeverAnswersCannotHoldUpTheDeadlineOrACancel) {
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    const Notifier notifier(bus, {"--silent"});
    ASSERT_TRUE(notifier.ready());
    LogRecorder log;
    const Instant deadline = Clock::now() + 1500ms;
    desktopNotifications(testRecipient(), bus.address(), log.log())
        .warn(Action::PowerOff, deadline, Offer::Nothing, -1);
    const Instant returned = Clock::now();
    EXPECT_LT(returned, deadline + 300ms);
    EXPECT_GE(returned, deadline - 300ms);
    EXPECT_EQ(notifier.calls().size(), 1u);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].message.find("no answer within"), std::string::npos)
        << log.lines[0].message;
    EXPECT_TRUE(leftSenders().empty());

    const StopSignal stop;
    const auto started = std::chrono::steady_clock::now();
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(300ms);
        stop.raise();
    });
    const auto result = sendNotificationAs(testRecipient(), bus.address(),
                                           warningFor(Action::PowerOff, deadline), 10s, stop.fd);
    stopper.join();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text, "stopped by SIGTERM");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(leftSenders().empty());
}

TEST(WarnedProgram, WarnsThreeSecondsBeforeTheMinuteThenActsOnIt) {
    ASSERT_TRUE(zarn::test::becomeSubreaper());
    const TempDir scratch;
    ProcessGuard guard;
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    const Notifier notifier(bus);
    ASSERT_TRUE(notifier.ready());
    const Recipient recipient = testRecipient();
    const std::string sudoIds[] = {"SUDO_UID=" + std::to_string(recipient.uid),
                                   "SUDO_GID=" + std::to_string(recipient.gid)};
    const struct {
        const char* name;
        std::vector<std::string> environment;
    } scenarios[] = {
        {"wn", {sudoIds[0], sudoIds[1], "DBUS_SESSION_BUS_ADDRESS=" + bus.address()}},
        {"wb",
         {sudoIds[0], sudoIds[1],
          "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (scratch.path() / "no-bus").string()}},
        {"wu", {"SUDO_UID=", "SUDO_GID=", "DBUS_SESSION_BUS_ADDRESS=" + bus.address()}},
    };
    const auto now = Clock::now();
    auto minute = std::chrono::ceil<std::chrono::minutes>(now);
    if (minute - now < 6s) {
        minute += 1min;
    }
    const std::string stamp = zarn::test::stampOf(minute);

    std::vector<std::unique_ptr<zarn::test::HelperCopy>> copies;
    std::vector<pid_t> pids;
    std::vector<std::string> logs;
    for (const auto& scenario : scenarios) {
        copies.push_back(std::make_unique<zarn::test::HelperCopy>(
            "dry-shutdown", zarn::test::uniqueName(scenario.name)));
        logs.push_back((scratch.path() / (std::string(scenario.name) + ".log")).string());
        std::vector<std::string> environment = scenario.environment;
        environment.insert(environment.end(), {"PATH=" + (scratch.path() / "empty").string(),
                                               "ZARN_DRY_RUN_LOG=" + logs.back(),
                                               "ZARN_DRY_WARN_SECONDS=3", "LC_ALL=C"});
        const auto result =
            zarn::test::runProgram(copies.back()->path(), {"-h", stamp}, environment);
        ASSERT_EQ(result.status, 0) << scenario.name << ": " << result.err;
        const auto pid = zarn::test::printedPid(result.out);
        ASSERT_TRUE(pid) << result.out;
        guard.add(*pid);
        pids.push_back(*pid);
    }

    std::this_thread::sleep_until(minute - 3500ms);
    EXPECT_TRUE(notifier.calls().empty()) << "warned too early";
    std::optional<Instant> notified;
    std::vector<std::optional<Instant>> acted(logs.size());
    while (Clock::now() < minute + 1500ms) {
        if (!notified && !notifier.calls().empty()) {
            notified = Clock::now();
        }
        for (std::size_t i = 0; i < logs.size(); ++i) {
            if (!acted[i] && fs::exists(logs[i]) && fs::file_size(logs[i]) > 0) {
                acted[i] = Clock::now();
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(notified);
    EXPECT_GE(*notified, minute - 3s);
    EXPECT_LT(*notified, minute - 1s);
    // One call, from the scenario with both a user and a bus; the last minutes offer buttons.
    EXPECT_EQ(notifier.calls(), std::vector<std::string>{recordedCall(
                                    warningFor(Action::PowerOff, minute, Offer::CancelOrPostpone),
                                    recipient.uid, "cancel,postpone")});
    for (std::size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(scenarios[i].name);
        ASSERT_TRUE(acted[i]);
        EXPECT_GE(*acted[i], minute);
        EXPECT_LE(*acted[i], minute + 1s);
        EXPECT_EQ(zarn::test::readFile(logs[i]), "poweroff " + stamp + "\n");
        const auto status = zarn::test::waitForChild(pids[i], 5s);
        ASSERT_TRUE(status) << "still running after its action";
        guard.forget(pids[i]);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    }
    EXPECT_TRUE(leftSenders().empty());
}

TEST(WarnedProgram, OnlyTheServersButtonsCancelOrPostpone) {
    ASSERT_TRUE(zarn::test::becomeSubreaper());
    const TempDir scratch;
    const Recipient recipient = testRecipient();
    constexpr auto never = -1s;
    const struct {
        const char* name;
        std::vector<std::string> notifier;
        std::chrono::seconds actsAfterTheMinute;
    } scenarios[] = {
        {"bc", {"--invoke", "cancel"}, never},
        {"bp", {"--invoke", "postpone"}, 60s},
        {"bo", {"--invoke-from-other", "cancel"}, 0s},
        {"bn", {"--no-actions"}, 0s},
    };
    const auto now = Clock::now();
    auto minute = std::chrono::ceil<std::chrono::minutes>(now);
    if (minute - now < 6s) {
        minute += 1min;
    }
    const std::string stamp = zarn::test::stampOf(minute);
    std::vector<std::unique_ptr<PrivateBus>> buses;
    std::vector<std::unique_ptr<Notifier>> notifiers;
    std::vector<std::unique_ptr<zarn::test::HelperCopy>> copies;
    std::vector<std::vector<std::string>> environments;
    ProcessGuard guard;
    for (const auto& scenario : scenarios) {
        buses.push_back(std::make_unique<PrivateBus>());
        ASSERT_FALSE(buses.back()->address().empty()) << "dbus-daemon did not start";
        notifiers.push_back(std::make_unique<Notifier>(*buses.back(), scenario.notifier));
        ASSERT_TRUE(notifiers.back()->ready());
        copies.push_back(std::make_unique<zarn::test::HelperCopy>(
            "dry-shutdown", zarn::test::uniqueName(scenario.name)));
        environments.push_back({"SUDO_UID=" + std::to_string(recipient.uid),
                                "SUDO_GID=" + std::to_string(recipient.gid),
                                "DBUS_SESSION_BUS_ADDRESS=" + buses.back()->address(),
                                "ZARN_DRY_RUN_LOG=" + (scratch.path() / scenario.name).string(),
                                "ZARN_DRY_WARN_SECONDS=3", "ZARN_DRY_POSTPONE_SECONDS=60",
                                "LC_ALL=C"});
        const auto result =
            zarn::test::runProgram(copies.back()->path(), {"-h", stamp}, environments.back());
        ASSERT_EQ(result.status, 0) << scenario.name << ": " << result.err;
        const auto pid = zarn::test::printedPid(result.out);
        ASSERT_TRUE(pid) << result.out;
        guard.add(*pid);
    }
    const auto acted = [&](std::size_t i) {
        return zarn::test::readFile(scratch.path() / scenarios[i].name);
    };
    const auto shown = [&](std::size_t i) {
        return zarn::task::parseTaskRecord(
            zarn::test::runProgram(copies[i]->path(), {"--show"}, environments[i]).out);
    };
    const Notification warning = warningFor(Action::PowerOff, minute, Offer::CancelOrPostpone);
    const std::string uid = std::to_string(recipient.uid);
    std::this_thread::sleep_until(minute + 1500ms);
    for (std::size_t i = 0; i < std::size(scenarios); ++i) {
        SCOPED_TRACE(scenarios[i].name);
        EXPECT_EQ(acted(i),
                  scenarios[i].actsAfterTheMinute == 0s ? "poweroff " + stamp + "\n" : "");
        EXPECT_EQ(shown(i).has_value(), scenarios[i].actsAfterTheMinute > 0s);
    }
    EXPECT_EQ(notifiers[0]->calls(),
              (std::vector<std::string>{
                  recordedCall(warning, recipient.uid, "cancel,postpone"),
                  recordedCall(noticeFor(Notice::Cancelled, Action::PowerOff, minute),
                               recipient.uid, "", 1)}));
    EXPECT_EQ(notifiers[2]->calls(),
              std::vector<std::string>{recordedCall(warning, recipient.uid, "cancel,postpone")});
    EXPECT_EQ(notifiers[3]->calls(),
              std::vector<std::string>{recordedCall(
                  warningFor(Action::PowerOff, minute, Offer::Nothing), recipient.uid)});

    // Postponed: the record names the new minute, the twin acts on it, and warns again first.
    const Instant later = minute + 60s;
    const auto record = shown(1);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->deadline, later);
    EXPECT_EQ(record->stamp, zarn::test::stampOf(later));
    std::this_thread::sleep_until(later - 1s);
    EXPECT_EQ(acted(1), "");
    std::this_thread::sleep_until(later + 1500ms);
    EXPECT_EQ(acted(1), "poweroff " + zarn::test::stampOf(later) + "\n");
    EXPECT_EQ(notifiers[1]->calls(),
              (std::vector<std::string>{
                  recordedCall(warning, recipient.uid, "cancel,postpone"),
                  recordedCall(noticeFor(Notice::Postponed, Action::PowerOff, later), recipient.uid,
                               "", 1),
                  recordedCall(warningFor(Action::PowerOff, later, Offer::CancelOrPostpone),
                               recipient.uid, "cancel,postpone", 1)}));
    EXPECT_TRUE(leftSenders().empty());
}

// ---- The faults that a review found, one row each

std::size_t openTimers() {
    std::size_t timers = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        timers += fs::read_symlink(entry.path(), error).string() == "anon_inode:[timerfd]";
    }
    return timers;
}

// A task whose first warning, 200 ms ahead, is answered with Postpone; `observe` runs at the
// notice that follows.
std::string postponedOnce(bool recordMoves, const NoticeFunction& observe) {
    LogRecorder log;
    auto timer = DeadlineTimer::arm(Clock::now() + 1s, true);
    if (!timer) {
        return "no timer";
    }
    bool answered = false;
    WarningPlan plan{{800ms}, [&answered](Action, Instant, Offer, int) {
                         return std::exchange(answered, true) ? ChoiceSource()
                                                              : answeredWith(Choice::Postpone);
                     }};
    plan.postpone = [recordMoves](Instant) { return recordMoves; };
    plan.notify = observe;
    plan.postponeBy = 1s;
    plan.wakeForLastWarning = true;
    runTask(
        Action::PowerOff, std::move(*timer), -1, [](Action) { return true; }, log.log(), plan);
    return {};
}

// Sends the warning of Cancel alone to a stand-in server started with `options`: what the log
// says, and how many choices reach the waiting process within a second.
std::string warnedBy(std::vector<std::string> options) {
    const PrivateBus bus;
    const Notifier notifier(bus, std::move(options));
    if (!notifier.ready()) {
        return "no stand-in server";
    }
    LogRecorder log;
    ChoiceSource choices = desktopNotifications(testRecipient(), bus.address(), log.log())
                               .warn(Action::PowerOff, Clock::now() + 30s, Offer::Cancel, -1);
    int delivered = 0;
    while (choices.fd() >= 0 &&
           zarn::sys::waitReadable(choices.fd(), std::chrono::steady_clock::now() + 1s) &&
           choices.next()) {
        ++delivered;
    }
    const std::string line = log.lines.size() == 1 ? log.lines[0].message : "not one line";
    // The error's 256 bytes, each at worst escaped into four.
    const bool safe = line.size() < 1500 && line.find_first_of("\n\x1b") == std::string::npos;
    return (safe ? "one safe line" : "unsafe: " + line.substr(0, 300)) +
           (line.find(": Notify failed: ") != std::string::npos ? ", refused, " : ", ") +
           std::to_string(delivered) + " choices";
}

TEST(Faults, EachIsMended) {
    const struct {
        const char* fault;
        std::function<std::string()> observe;
        std::string expected;
    } rows[] = {
        {"a postpone that cannot be recorded is told to the user",
         [] {
             std::string told;
             postponedOnce(false, [&told](Notice notice, Action, Instant, int) {
                 told += notice == Notice::NotPostponed ? "not postponed" : "other notice";
             });
             return told;
         },
         "not postponed"},
        {"a postpone lets the first deadline's timer go",
         [] {
             std::size_t timers = 0;
             postponedOnce(true,
                           [&timers](Notice, Action, Instant, int) { timers = openTimers(); });
             // The new deadline's timer and the wake alarm for its last warning.
             return std::to_string(timers) + " timers";
         },
         "2 timers"},
        {"a server's huge error is logged as one bounded line",
         [] {
             return warnedBy({"--error-bytes", "1000000"});
         },
         "one safe line, refused, 0 choices"},
        {"presses of a button the warning did not offer reach nobody",
         [] {
             return warnedBy({"--press", "postpone", "--presses", "2000"});
         },
         "one safe line, 0 choices"},
        {"no postpone is offered past the last day a stamp can name",
         [] {
             const Instant deadline = zarn::task::deadlineFromStamp("9912312355").value();
             const Offer offer = WarningPlan{}.offerAt(deadline, deadline - 60s, 0);
             return std::string(offer == Offer::Cancel ? "Cancel alone" : "more than Cancel");
         },
         "Cancel alone"},
        {"a task folder of mode 0700 is opened to everyone's --show",
         [] {
             const TempDir dir;
             const fs::path folder = dir.path() / "zarn-shutdown";
             fs::create_directory(folder);
             fs::permissions(folder, fs::perms::owner_all);
             const auto opened = makeTaskFolder(folder.string());
             return std::string(opened ? "" : opened.error().text) +
                    (fs::status(folder).permissions() ==
                             (fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec)
                         ? "0755"
                         : "not 0755");
         },
         "0755"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.observe(), row.expected) << row.fault;
    }
}

} // namespace
