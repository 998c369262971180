#include "app/CommandLine.h"

#include "app/BuildConfig.h"
#include "shell/Shell.h"

#include <QCommandLineParser>

namespace zarn {

namespace {

// As the usual command-line tools: 1 says "no" (no task), 2 says the question could not be asked
// or answered.
constexpr int noTask = 1;
constexpr int usageError = 2;
constexpr int probeFailed = 2;

// The window options that QGuiApplication, its X11 platform and QApplication take themselves:
// they pass here unrefused, and zarn --help does not list them.
constexpr const char* qtOptionsWithValue[] = {"platform",
                                              "platformpluginpath",
                                              "platformtheme",
                                              "plugin",
                                              "qwindowgeometry",
                                              "qwindowicon",
                                              "qwindowtitle",
                                              "session",
                                              "display",
                                              "geometry",
                                              "title",
                                              "icon",
                                              "name",
                                              "visual",
                                              "style",
                                              "stylesheet",
                                              "qmljsdebugger"};
constexpr const char* qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int show(const std::string& probe, std::FILE* out, std::FILE* err) {
    const std::optional<CommandOutput> probed = runCommandWithin(probe, probeTimeLimit);
    const QString command = QString::fromStdString(probe);
    if (!probed) {
        print(err, QStringLiteral("zarn: %1 gave no answer in time\n").arg(command));
        return probeFailed;
    }
    // The probe says "none" by printing nothing, with status 1 (the helper, grep) or 0.
    if (probed->output.empty() && (probed->exitStatus == 0 || probed->exitStatus == 1)) {
        print(err, QStringLiteral("zarn: no task is scheduled\n"));
        return noTask;
    }
    if (probed->exitStatus != 0) {
        print(err, QStringLiteral("zarn: %1 failed (exit status %2)\n")
                       .arg(command)
                       .arg(probed->exitStatus));
        return probeFailed;
    }
    std::fputs(probed->output.c_str(), out);
    return 0;
}

} // namespace

std::optional<int> answerCommandLine(const QStringList& arguments, const std::string& probe,
                                     std::FILE* out, std::FILE* err) {
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform offscreen), never bundled letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Schedules a shut down, restart or sleep of this computer at a chosen "
                       "time.\nWithout options it opens its window."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints these options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prints the version."));
    const QCommandLineOption showTask(
        QStringLiteral("show"),
        QStringLiteral("Prints the line of the task that waits now; nothing opens."));
    parser.addOptions({help, version, showTask});
    for (const char* name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : qtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments)) {
        print(err, QStringLiteral("zarn: %1 Try 'zarn --help'.\n").arg(parser.errorText()));
        return usageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(err, QStringLiteral("zarn: unexpected argument '%1'. Try 'zarn --help'.\n")
                       .arg(parser.positionalArguments().constFirst()));
        return usageError;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt cannot know the program's name.
        print(out, parser.helpText().replace(QStringLiteral("<executable_name>"),
                                             QStringLiteral("zarn")));
        return 0;
    }
    if (parser.isSet(version)) {
        std::fprintf(out, "Zarn %s\n", build::ShortVersion);
        return 0;
    }
    if (parser.isSet(showTask)) {
        return show(probe, out, err);
    }
    return std::nullopt;
}

} // namespace zarn
