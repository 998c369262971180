#include "sys/Fd.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <poll.h>

namespace zarn::sys {

Error systemError(std::string_view step, int code) {
    return {std::string(step) + ": " + std::strerror(code), code};
}

namespace {

// What is left until `deadline` as poll() takes it: whole milliseconds, rounded up, at least 0;
// -1 (no limit) for `never`.
int millisecondsUntil(Deadline deadline) {
    if (deadline == never) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}

} // namespace

Result<Pipe> makePipe() {
    int ends[2];
    if (::pipe(ends) != 0) {
        return systemError("pipe");
    }
    Pipe pipe{Fd(ends[0]), Fd(ends[1])};
    // pipe2 is missing on macOS, where the shell's commands need pipes too.
    if (::fcntl(ends[0], F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(ends[1], F_SETFD, FD_CLOEXEC) != 0) {
        return systemError("fcntl");
    }
    return pipe;
}

bool waitReadable(int fd, Deadline deadline) {
    for (;;) {
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, millisecondsUntil(deadline));
        if (ready >= 0 || errno != EINTR) {
            return ready > 0;
        }
    }
}

BoundedRead readBounded(int fd, std::size_t limit, Deadline deadline, int stopFd) {
    BoundedRead result;
    char buffer[4096];
    while (result.bytes.size() < limit) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(watched, 2, millisecondsUntil(deadline));
        if (ready == 0 || (ready > 0 && watched[1].revents != 0)) {
            result.end = ready == 0 ? ReadEnd::TimedOut : ReadEnd::Stopped;
            return result;
        }
        const std::size_t wanted = std::min(sizeof buffer, limit - result.bytes.size());
        const ssize_t got = ready < 0 ? -1 : ::read(fd, buffer, wanted);
        if (got > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            result.end = got == 0 ? ReadEnd::EndOfFile : ReadEnd::Failed;
            return result;
        }
    }
    result.end = ReadEnd::Full;
    return result;
}

Result<> writeAll(int fd, std::string_view bytes, Deadline deadline) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EAGAIN) {
            pollfd writable{fd, POLLOUT, 0};
            if (::poll(&writable, 1, millisecondsUntil(deadline)) == 0) {
                return Error{"write: no room before the time limit", ETIMEDOUT};
            }
        } else if (written == 0 || errno != EINTR) {
            return systemError("write", written == 0 ? EIO : errno);
        }
    }
    return Ok{};
}

} // namespace zarn::sys
