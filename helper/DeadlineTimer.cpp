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
    // floor, not a cast: before the epoch the nanoseconds must still count up from the second.
    const auto second = std::chrono::floor<std::chrono::seconds>(instant);
    return {std::chrono::system_clock::to_time_t(second),
            static_cast<long>(std::chrono::nanoseconds(instant - second).count())};
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

std::optional<bool> DeadlineTimer::expired(short revents) const {
    std::uint64_t expirations = 0;
    if ((revents & POLLIN) == 0) {
        return false;
    }
    if (::read(fd_.get(), &expirations, sizeof expirations) < 0) {
        return errno == EINTR || errno == EAGAIN ? std::nullopt : std::optional(false);
    }
    if (std::chrono::system_clock::now() >= deadline_) {
        return true;
    }
    // The clock was set back between the expiry and now: the one-shot timer is spent, so it is
    // armed again for the same deadline.
    return setAbsolute(fd_.get(), deadline_) ? std::nullopt : std::optional(false);
}

sys::Result<sys::Fd> terminationSignalFd() {
    std::signal(SIGTERM, SIG_DFL);
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    const bool blocked = ::sigprocmask(SIG_BLOCK, &terminate, nullptr) == 0;
    sys::Fd fd(blocked ? ::signalfd(-1, &terminate, SFD_CLOEXEC) : -1);
    if (!fd) {
        return sys::systemError(blocked ? "signalfd" : "sigprocmask");
    }
    return fd;
}

} // namespace zarn::helper
