#pragma once

#include "sys/Result.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace zarn::sys {

/// The moment a bounded step gives up, on the monotonic clock; `never` waits as long as it takes.
using Deadline = std::chrono::steady_clock::time_point;
inline constexpr Deadline never = Deadline::max();

/// An open descriptor that is closed once, when its owner goes; -1 owns nothing. Move-only.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Fd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    /// Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }
    /// Closes the descriptor owned, then owns `fd`.
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

/// Both ends of a pipe, close-on-exec.
struct Pipe {
    Fd read;
    Fd write;
};
Result<Pipe> makePipe();

/// How a bounded read ended.
enum class ReadEnd { EndOfFile, Full, TimedOut, Stopped, Failed };

struct BoundedRead {
    std::string bytes;
    ReadEnd end = ReadEnd::Failed;
};

/// Reads `fd` until end of file, `limit` bytes, `deadline`, or until `stopFd` (-1: none) becomes
/// readable (it is not read), whichever comes first; an interrupted call is retried. Whatever
/// came before the end is kept: nothing past `limit` ever reaches memory.
BoundedRead readBounded(int fd, std::size_t limit, Deadline deadline = never, int stopFd = -1);

/// Writes all of `bytes`, retrying interrupted and short writes; where `fd` is non-blocking it
/// waits for room until `deadline`. Fails when a write fails or the time runs out.
Result<> writeAll(int fd, std::string_view bytes, Deadline deadline = never);

/// Waits until `fd` becomes readable (true) or `deadline` passes (false); a signal does not end
/// the wait.
bool waitReadable(int fd, Deadline deadline);

} // namespace zarn::sys
