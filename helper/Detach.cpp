#include "helper/Detach.h"

#include "helper/SdBus.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zarn::helper {

namespace {

// True when /proc/self/cgroup names the unit as the last part of this process's cgroup.
bool inUnit(const std::string& unitName) {
    std::ifstream cgroup("/proc/self/cgroup");
    for (std::string line; std::getline(cgroup, line);) {
        if (line.ends_with("/" + unitName)) {
            return true;
        }
    }
    return false;
}

} // namespace

sys::Result<> detachFromCaller(std::initializer_list<sys::Fd*> keep) {
    if (::setsid() < 0) {
        return sys::systemError("setsid");
    }
    if (::chdir("/") != 0) {
        return sys::systemError("chdir /");
    }
    std::vector<int> kept;
    for (sys::Fd* fd : keep) {
        // The standard streams become /dev/null: one kept there moves above them first.
        if (fd->get() >= 0 && fd->get() <= STDERR_FILENO) {
            const int moved = ::fcntl(fd->release(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            if (moved < 0) {
                return sys::systemError("fcntl");
            }
            fd->reset(moved);
        }
        kept.push_back(fd->get());
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        return sys::systemError("/dev/null");
    }
    for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard) {
        if (null != standard && ::dup2(null, standard) < 0) {
            return sys::systemError("dup2");
        }
    }
    closeDescriptorsExcept(kept);
    // A caller gone from its terminal, or from the pipe the start is reported on, must not end
    // the task.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    return sys::Ok{};
}

void closeDescriptorsExcept(std::span<const int> keepFds) {
    std::vector<int> sorted;
    std::copy_if(keepFds.begin(), keepFds.end(), std::back_inserter(sorted),
                 [](int fd) { return fd > STDERR_FILENO; });
    std::sort(sorted.begin(), sorted.end());
    sorted.push_back(INT_MAX);
    unsigned first = STDERR_FILENO + 1;
    for (const int fd : sorted) {
        const auto last = static_cast<unsigned>(fd) - 1;
        // Kernels before 5.9, and sandboxes that refuse the call: each descriptor on its own.
        if (first <= last && ::close_range(first, last, 0) != 0) {
            const auto most = static_cast<unsigned>(std::max(::sysconf(_SC_OPEN_MAX), 0L));
            for (unsigned each = first; each <= std::min(last, most); ++each) {
                ::close(static_cast<int>(each));
            }
        }
        first = static_cast<unsigned>(fd) + 1;
    }
}

void resetSignalHandling() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    // SIGKILL and SIGSTOP cannot be changed, and the C library keeps a few real-time signals for
    // itself; sigaction refuses those, which is fine.
    for (int signal = 1; signal < NSIG; ++signal) {
        ::sigaction(signal, &standard, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

bool systemdRuns() {
    struct stat status {};
    return ::lstat("/run/systemd/system", &status) == 0 && S_ISDIR(status.st_mode);
}

std::string scopeUnitName(std::string_view programFileName, pid_t pid) {
    std::string name(programFileName);
    for (char& c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!allowed) {
            c = '_';
        }
    }
    return name + "-" + std::to_string(pid) + ".scope";
}

sys::Result<> moveIntoOwnScope(const std::string& unitName, std::chrono::milliseconds limit) {
    const sys::Deadline giveUp = std::chrono::steady_clock::now() + limit;
    sd_bus* raw = nullptr;
    int r = sd_bus_open_system(&raw);
    const Bus bus(raw);
    const auto timeout = static_cast<std::uint64_t>(std::chrono::microseconds(limit).count());
    if (r < 0 || (r = sd_bus_set_method_call_timeout(raw, timeout)) < 0) {
        return sys::systemError("cannot connect to the system bus", -r);
    }
    // "fail": never replace a unit of that name that is still on its way out. The scope is
    // collected as soon as its process has ended, however that ended.
    BusError error;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call_method(raw, "org.freedesktop.systemd1", "/org/freedesktop/systemd1",
                           "org.freedesktop.systemd1.Manager", "StartTransientUnit", &error, &reply,
                           "ssa(sv)a(sa(sv))", unitName.c_str(), "fail", 3, "Description", "s",
                           "The scheduled power task", "PIDs", "au", 1,
                           static_cast<std::uint32_t>(::getpid()), "CollectMode", "s",
                           "inactive-or-failed", 0);
    const BusMessage answer(reply);
    if (r < 0) {
        return sys::Error{error.describe("StartTransientUnit " + unitName, r)};
    }
    // The call returns once the start job is queued; the process moves when the job runs.
    while (!inUnit(unitName)) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            return sys::Error{"the process did not reach " + unitName + " in time"};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return sys::Ok{};
}

} // namespace zarn::helper
