#include "helper/DeadlineTimer.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace zarn::helper {

namespace {

timespec toTimespec(Instant instant) {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<nanoseconds>(instant.time_since_epoch());
    auto wholeSeconds = duration_cast<seconds>(sinceEpoch);
    auto rest = sinceEpoch - wholeSeconds;
    if (rest.count() < 0) {
        wholeSeconds -= seconds(1);
        rest += seconds(1);
    }
    return timespec{static_cast<std::time_t>(wholeSeconds.count()),
                    static_cast<long>(rest.count())};
}

Instant realTimeNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Instant(std::chrono::duration_cast<Instant::duration>(
        std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
}

bool setAbsolute(int fd, Instant deadline) {
    itimerspec setting{};
    setting.it_value = toTimespec(deadline);
    // A zero it_value would disarm the timer instead of firing; the epoch is long past anyway.
    if (setting.it_value.tv_sec <= 0) {
        setting.it_value = {0, 1};
    }
    return ::timerfd_settime(fd, TFD_TIMER_ABSTIME, &setting, nullptr) == 0;
}

} // namespace

sys::Result<DeadlineTimer> DeadlineTimer::arm(Instant deadline, bool wakeSystem) {
    clockid_t clock = wakeSystem ? CLOCK_REALTIME_ALARM : CLOCK_REALTIME;
    sys::Fd fd(::timerfd_create(clock, TFD_CLOEXEC));
    if (!fd && wakeSystem && (errno == EPERM || errno == EINVAL || errno == EOPNOTSUPP)) {
        clock = CLOCK_REALTIME;
        fd.reset(::timerfd_create(clock, TFD_CLOEXEC));
    }
    if (!fd) {
        return sys::systemError("timerfd_create");
    }
    if (!setAbsolute(fd.get(), deadline)) {
        return sys::systemError("timerfd_settime");
    }
    return DeadlineTimer(std::move(fd), clock, deadline);
}

WaitEnd DeadlineTimer::wait(int stopFd) const {
    for (;;) {
        // The timer is absolute, so polling it again after an interruption keeps the deadline.
        pollfd watched[2] = {{fd_.get(), POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(watched, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return WaitEnd::Failed;
        }
        if (watched[1].revents != 0) {
            return WaitEnd::Stopped;
        }
        if ((watched[0].revents & POLLIN) == 0) {
            if (watched[0].revents != 0) {
                return WaitEnd::Failed;
            }
            continue;
        }
        if (const std::optional<WaitEnd> end = expired()) {
            return *end;
        }
    }
}

std::optional<WaitEnd> DeadlineTimer::expired() const {
    std::uint64_t expirations = 0;
    if (::read(fd_.get(), &expirations, sizeof expirations) < 0) {
        return errno == EINTR || errno == EAGAIN ? std::nullopt : std::optional(WaitEnd::Failed);
    }
    if (realTimeNow() >= deadline_) {
        return WaitEnd::Reached;
    }
    // The clock was set back between the expiry and now: the one-shot timer is spent, so it is
    // armed again for the same deadline.
    if (!setAbsolute(fd_.get(), deadline_)) {
        return WaitEnd::Failed;
    }
    return std::nullopt;
}

sys::Result<sys::Fd> terminationSignalFd() {
    std::signal(SIGTERM, SIG_DFL);
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    if (::sigprocmask(SIG_BLOCK, &terminate, nullptr) != 0) {
        return sys::systemError("sigprocmask");
    }
    sys::Fd fd(::signalfd(-1, &terminate, SFD_CLOEXEC));
    if (!fd) {
        return sys::systemError("signalfd");
    }
    return fd;
}

} // namespace zarn::helper
