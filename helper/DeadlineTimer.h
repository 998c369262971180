#pragma once

#include "helper/Request.h"
#include "sys/Fd.h"

#include <ctime>
#include <optional>

namespace zarn::helper {

/// A one-shot timer for an absolute instant on the real-time clock, so that the time spent
/// suspended and changes of the clock count. Move-only; closes its descriptor.
class DeadlineTimer {
public:
    /// Arms a timer for `deadline` (already past: it expires at once). With `wakeSystem` it runs
    /// on CLOCK_REALTIME_ALARM, which also wakes a suspended machine; where the kernel refuses that
    /// clock (no CAP_WAKE_ALARM, no wake-capable clock device) on CLOCK_REALTIME, as without
    /// `wakeSystem`. Fails when no timer can be armed.
    static sys::Result<DeadlineTimer> arm(Instant deadline, bool wakeSystem);

    /// For a poll: becomes readable when the timer has expired; then call expired().
    int fd() const { return fd_.get(); }
    /// After a poll of fd() gave `revents`: true when the deadline has passed, false when the
    /// timer failed; nothing when the clock was set back in between (the timer is armed again).
    std::optional<bool> expired(short revents) const;

    Instant deadline() const { return deadline_; }
    /// CLOCK_REALTIME_ALARM or CLOCK_REALTIME.
    clockid_t clock() const { return clock_; }

private:
    DeadlineTimer(sys::Fd fd, clockid_t clock, Instant deadline)
        : fd_(std::move(fd)), clock_(clock), deadline_(deadline) {}

    sys::Fd fd_;
    clockid_t clock_ = CLOCK_REALTIME;
    Instant deadline_;
};

/// Sets SIGTERM to its default action, blocks it in the calling thread and returns a descriptor
/// that becomes readable once a SIGTERM is pending (when that fails, SIGTERM may stay blocked).
/// In a process with several threads every thread must block SIGTERM as well.
sys::Result<sys::Fd> terminationSignalFd();

} // namespace zarn::helper
