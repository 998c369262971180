#include "task/TaskRecord.h"

#include "sys/Decimal.h"
#include "sys/Fd.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zarn::task {

namespace {

// A record is well under a hundred bytes.
constexpr std::size_t recordLimit = 512;
// The kernel keeps this many bytes of a process name.
constexpr std::size_t processNameLength = 15;
constexpr const char* temporaryName = "task.new";

std::string utcText(Instant instant) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(instant));
    std::tm utc{};
    char text[32] = {};
    if (::gmtime_r(&seconds, &utc) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) {
        return {};
    }
    return text;
}

// The reverse of utcText, strictly: the text must be what utcText writes for the instant.
std::optional<Instant> instantOfUtcText(std::string_view text) {
    if (text.size() != 20) {
        return std::nullopt;
    }
    // Fixed-width fields with leading zeros; the round trip below rejects anything else.
    const auto field = [text](std::size_t at, std::size_t length) {
        int value = 0;
        for (const char c : text.substr(at, length)) {
            if (c < '0' || c > '9') {
                return -1;
            }
            value = value * 10 + (c - '0');
        }
        return value;
    };
    std::tm utc{};
    utc.tm_year = field(0, 4) - 1900;
    utc.tm_mon = field(5, 2) - 1;
    utc.tm_mday = field(8, 2);
    utc.tm_hour = field(11, 2);
    utc.tm_min = field(14, 2);
    utc.tm_sec = field(17, 2);
    const Instant instant = std::chrono::system_clock::from_time_t(::timegm(&utc));
    if (utcText(instant) != text) {
        return std::nullopt;
    }
    return instant;
}

bool trustedFile(const struct stat& status, std::span<const uid_t> owners) {
    return std::find(owners.begin(), owners.end(), status.st_uid) != owners.end() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A longer file is no record, and is not read further.
std::optional<std::string> readSmallFile(int fd) {
    sys::BoundedRead read = sys::readBounded(fd, recordLimit + 1);
    if (read.end != sys::ReadEnd::EndOfFile) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

} // namespace

std::string formatTaskRecord(const TaskRecord& record) {
    return std::to_string(record.pid) + " version=" + std::to_string(taskRecordVersion) +
           " start=" + std::to_string(record.startTime) +
           " action=" + std::string(sys::actionWord(record.action)) + " stamp=" + record.stamp +
           " deadline=" + utcText(record.deadline) + " uid=" + std::to_string(record.uid) + "\n";
}

std::optional<TaskRecord> parseTaskRecord(std::string_view text) {
    if (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    constexpr std::string_view keys[] = {
        "version=", "start=", "action=", "stamp=", "deadline=", "uid="};
    if (words.size() != 1 + std::size(keys)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        if (!words[i + 1].starts_with(keys[i])) {
            return std::nullopt;
        }
        words[i + 1].remove_prefix(keys[i].size());
    }
    TaskRecord record;
    const auto pid = sys::parseDecimal<std::int64_t>(words[0]);
    const auto version = sys::parseDecimal<int>(words[1]);
    const auto start = sys::parseDecimal<std::uint64_t>(words[2]);
    const auto deadline = instantOfUtcText(words[5]);
    const auto uid = sys::parseDecimal<std::uint32_t>(words[6]);
    const auto action = sys::actionOfWord(words[3]);
    if (!pid || *pid <= 0 || version != taskRecordVersion || !start || !deadline || !uid ||
        !action || classifyStamp(words[4]) == LocalTime::Invalid) {
        return std::nullopt;
    }
    record.pid = *pid;
    record.startTime = *start;
    record.action = *action;
    record.stamp = std::string(words[4]);
    record.deadline = *deadline;
    record.uid = *uid;
    return record;
}

ScheduledTask scheduledTaskOf(const TaskRecord& record) {
    return {record.action, record.stamp, record.deadline};
}

std::optional<ScheduledTask> scheduledTaskFromProbe(std::int64_t pid, std::string_view output) {
#ifdef __APPLE__
    (void)output;
    return readScheduledTask(pid);
#else
    const std::optional<TaskRecord> record = parseTaskRecord(output.substr(0, output.find('\n')));
    if (!record || record->pid != pid) {
        return std::nullopt;
    }
    return scheduledTaskOf(*record);
#endif
}

std::optional<ProcessStat> readProcessStat(std::int64_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    const std::optional<std::string> text = readSmallFile(fd);
    ::close(fd);
    // "pid (comm) state ppid ...": the name may hold blanks and parentheses, so it ends at the
    // last ')'. The start time is the 22nd field, the 20th after the name.
    const std::size_t open = text ? text->find('(') : std::string::npos;
    const std::size_t close = text ? text->rfind(')') : std::string::npos;
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return std::nullopt;
    }
    ProcessStat stat;
    stat.name = text->substr(open + 1, close - open - 1);
    std::string_view rest = std::string_view(*text).substr(close + 1);
    for (int field = 3; field <= 22; ++field) {
        const std::size_t begin = rest.find_first_not_of(' ');
        if (begin == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(begin);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view word = rest.substr(0, end);
        if (field == 3) {
            stat.state = word.size() == 1 ? word[0] : '?';
        } else if (field == 22) {
            const auto start = sys::parseDecimal<std::uint64_t>(word);
            if (!start) {
                return std::nullopt;
            }
            stat.startTime = *start;
        }
        rest.remove_prefix(end);
    }
    return stat;
}

bool writeTaskRecord(int folderFd, const TaskRecord& record) {
    // Only the lock holder writes, so a fixed temporary name cannot meet another writer; one left
    // by a writer that died is replaced.
    ::unlinkat(folderFd, temporaryName, 0);
    const int fd = ::openat(folderFd, temporaryName,
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    // The mode is set outright: the creation mode passes through the caller's umask.
    const bool written =
        ::fchmod(fd, 0644) == 0 && sys::writeAll(fd, formatTaskRecord(record)) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed ||
        ::renameat(folderFd, temporaryName, folderFd, taskRecordFileName) != 0) {
        ::unlinkat(folderFd, temporaryName, 0);
        return false;
    }
    return true;
}

bool removeTaskRecord(int folderFd) {
    return ::unlinkat(folderFd, taskRecordFileName, 0) == 0 || errno == ENOENT;
}

int openTrustedFolder(const std::string& path, std::span<const uid_t> owners) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode) || !trustedFile(status, owners)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<TaskRecord> readTaskRecord(int folderFd, std::span<const uid_t> owners) {
    const int fd = ::openat(folderFd, taskRecordFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> text;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && trustedFile(status, owners)) {
        text = readSmallFile(fd);
    }
    ::close(fd);
    return text ? parseTaskRecord(*text) : std::nullopt;
}

bool recordMatchesProcess(const TaskRecord& record, const ProcessStat& stat,
                          std::string_view processName) {
    // A zombie (or a process being reaped) has ended already, whatever the record says.
    return stat.state != 'Z' && stat.state != 'X' && stat.startTime == record.startTime &&
           stat.name == processName.substr(0, processNameLength);
}

std::optional<TaskRecord> readLiveTaskRecord(const std::string& folderPath,
                                             std::string_view processName,
                                             std::span<const uid_t> owners) {
    const int folder = openTrustedFolder(folderPath, owners);
    if (folder < 0) {
        return std::nullopt;
    }
    std::optional<TaskRecord> record = readTaskRecord(folder, owners);
    ::close(folder);
    if (!record) {
        return std::nullopt;
    }
    const std::optional<ProcessStat> stat = readProcessStat(record->pid);
    if (!stat || !recordMatchesProcess(*record, *stat, processName)) {
        return std::nullopt;
    }
    return record;
}

} // namespace zarn::task
