// The macOS read-back of a waiting /sbin/shutdown: its command line, from ps.
#include "task/TaskLine.h"

#ifdef __APPLE__

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace zarn::task {

namespace {

// A task line is a few dozen bytes; anything longer is no task line and is not read further.
constexpr std::size_t commandLineLimit = 4096;

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return parts;
}

// `ps -o args=` prints the arguments joined by blanks, then a newline; /sbin/shutdown and its
// arguments hold no blank.
std::optional<std::string> commandLineOf(std::int64_t pid) {
    const std::string command = "ps -o args= -p " + std::to_string(pid);
    std::FILE* stream = ::popen(command.c_str(), "r");
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::string text(commandLineLimit + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), stream));
    ::pclose(stream);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty() || text.size() > commandLineLimit) {
        return std::nullopt;
    }
    return text;
}
constexpr char argumentSeparator = ' ';

} // namespace

std::optional<ScheduledTask> readScheduledTask(std::int64_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    const std::optional<std::string> line = commandLineOf(pid);
    if (!line) {
        return std::nullopt;
    }
    const std::vector<std::string_view> argv = split(*line, argumentSeparator);
    return taskFromCommandLine(argv);
}

} // namespace zarn::task

#endif
