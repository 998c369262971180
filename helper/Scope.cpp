#include "helper/Scope.h"

#include "helper/SdBus.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zarn::helper {

namespace {

using Clock = std::chrono::steady_clock;

// True when /proc/self/cgroup names the unit as the last part of this process's cgroup.
bool inUnit(const std::string& unitName) {
    std::ifstream cgroup("/proc/self/cgroup");
    std::string line;
    while (std::getline(cgroup, line)) {
        if (line.size() > unitName.size() && line.ends_with("/" + unitName)) {
            return true;
        }
    }
    return false;
}

} // namespace

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
    const auto giveUp = Clock::now() + limit;
    sd_bus* raw = nullptr;
    int r = sd_bus_open_system(&raw);
    const Bus bus(raw);
    if (r < 0) {
        return sys::systemError("cannot connect to the system bus", -r);
    }
    BusMessage call;
    const auto pid = static_cast<std::uint32_t>(::getpid());
    // "fail": never replace a unit of that name that is still on its way out. The scope is
    // collected as soon as its process has ended, however that ended.
    if ((r = newCall(raw, call, "org.freedesktop.systemd1", "/org/freedesktop/systemd1",
                     "org.freedesktop.systemd1.Manager", "StartTransientUnit")) < 0 ||
        (r = sd_bus_message_append(call.get(), "ss", unitName.c_str(), "fail")) < 0 ||
        (r = sd_bus_message_append(call.get(), "a(sv)", 3, "Description", "s",
                                   "The scheduled power task", "PIDs", "au", 1, pid, "CollectMode",
                                   "s", "inactive-or-failed")) < 0 ||
        (r = sd_bus_message_append(call.get(), "a(sa(sv))", 0)) < 0) {
        return sys::systemError("StartTransientUnit", -r);
    }
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(giveUp - Clock::now());
    BusError error;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call(raw, call.get(),
                    static_cast<std::uint64_t>(std::max<std::int64_t>(left.count(), 1)),
                    error.get(), &reply);
    const BusMessage answer(reply);
    if (r < 0) {
        return sys::Error{error.describe("StartTransientUnit " + unitName, r)};
    }
    // The call returns once the start job is queued; the process moves when the job runs.
    while (!inUnit(unitName)) {
        if (Clock::now() >= giveUp) {
            return sys::Error{"the process did not reach " + unitName + " in time"};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return sys::Ok{};
}

} // namespace zarn::helper
