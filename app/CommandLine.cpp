#include "app/CommandLine.h"

#include "app/BuildConfig.h"
#include "shell/Shell.h"

#include <QCommandLineParser>

namespace zarn {

namespace {

constexpr int usageError = 2;
constexpr int probeFailed = 2;

// The window options that QGuiApplication and QApplication take themselves: they pass here
// unrefused, and zarn --help does not list them.
constexpr const char* qtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
constexpr const char* qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void write(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int show(const std::string& probe, std::FILE* out, std::FILE* err) {
    const std::optional<std::string> line = readCommandOutputWithin(probe, probeTimeLimit);
    if (!line) {
        write(err, QStringLiteral("zarn: cannot run %1\n").arg(QString::fromStdString(probe)));
        return probeFailed;
    }
    if (line->empty()) {
        write(err, QStringLiteral("zarn: no task is scheduled\n"));
        return 1;
    }
    std::fputs(line->c_str(), out);
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
        write(err, QStringLiteral("zarn: %1 Try 'zarn --help'.\n").arg(parser.errorText()));
        return usageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        write(err, QStringLiteral("zarn: unexpected argument '%1'. Try 'zarn --help'.\n")
                       .arg(parser.positionalArguments().constFirst()));
        return usageError;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt cannot know the program's name.
        write(out, parser.helpText().replace(QStringLiteral("<executable_name>"),
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
