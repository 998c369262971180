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
#ifdef __linux__
    // At once: a process forked meanwhile by another thread must not inherit an end.
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return systemError("pipe");
    }
#else
    // macOS has no pipe2; there only the application's own thread starts commands.
    if (::pipe(ends) != 0) {
        return systemError("pipe");
    }
    for (const int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
#endif
    return Pipe{Fd(ends[0]), Fd(ends[1])};
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
            const int ready = ::poll(&writable, 1, millisecondsUntil(deadline));
            if (ready == 0) {
                return Error{"write: no room before the time limit", ETIMEDOUT};
            }
            if (ready < 0 && errno != EINTR) {
                return systemError("poll");
            }
        } else if (written == 0 || errno != EINTR) {
            return systemError("write", written == 0 ? EIO : errno);
        }
    }
    return Ok{};
}

} // namespace zarn::sys
