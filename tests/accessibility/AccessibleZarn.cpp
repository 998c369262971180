// Zarn's real controller and windows for the screen-reader check: the fake sudo (password
// "secret") and a copy of dry-shutdown under a name of this run's own stand in for the system.
// Quitting, as after a completed scheduling, starts the controller afresh as a new launch would.
// Ends when its standard input closes, and then ends the task it may have left waiting.
#include "app/AppDelegate.h"
#include "shell/Shell.h"
#include "tests/support/TestPaths.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

void endWaitingTasks(const std::string& probe) {
    for (int round = 0; round < 50; ++round) {
        const std::int64_t pid = zarn::findScheduledTaskPid(probe);
        if (pid <= 0) {
            return;
        }
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        ::usleep(100000);
    }
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarn"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::string pattern = (fs::temp_directory_path() / "zarn-a11y-XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    const std::string helperName = "zt-a11y-" + std::to_string(::getpid());
    const fs::path helper = dir / helperName;
    fs::copy_file(zarn::test::binDir() + "/dry-shutdown", helper);
    std::ofstream(dir / "password", std::ios::binary) << "secret";

    zarn::Environment environment;
    environment.commands = zarn::SystemCommands::forLinux(helper.string());
    environment.commands.taskFolder = zarn::test::dryTaskFolder(helperName);
    environment.commands.sudo =
        "FAKE_SUDO_PASSWORD_FILE=" + zarn::shellQuote((dir / "password").string()) +
        " ZARN_DRY_RUN_LOG=" + zarn::shellQuote((dir / "actions.log").string()) + " " +
        zarn::shellQuote(zarn::test::supportDir() + "/fake-sudo") + " -S -k -p ''";
    environment.osVersion = [] { return zarn::OsVersion{}; };
    environment.versionFileUrl = environment.productWebPageUrl =
        QStringLiteral("http://127.0.0.1:9/");

    std::unique_ptr<zarn::AppDelegate> delegate;
    std::function<void()> launch = [&] {
        delegate = std::make_unique<zarn::AppDelegate>(environment);
        QObject::connect(
            delegate.get(), &zarn::AppDelegate::terminateRequested, &application,
            [&] { QTimer::singleShot(0, &application, launch); }, Qt::QueuedConnection);
        delegate->applicationDidFinishLaunching();
    };
    QTimer::singleShot(0, &application, launch);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            QApplication::quit();
        }
    });
    const int status = QApplication::exec();
    delegate.reset();
    endWaitingTasks(environment.commands.probe);
    fs::remove_all(dir);
    fs::remove_all(fs::temp_directory_path() / helperName);
    return status;
}
