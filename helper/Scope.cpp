#include "helper/Scope.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>

namespace zarn::helper {

namespace {

using Clock = std::chrono::steady_clock;

std::string failure(const char* step, int result) {
    return std::string(step) + ": " + std::strerror(-result);
}

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

std::optional<std::string> moveIntoOwnScope(const std::string& unitName,
                                            std::chrono::milliseconds limit) {
    const auto giveUp = Clock::now() + limit;
    sd_bus* bus = nullptr;
    int r = sd_bus_open_system(&bus);
    if (r < 0) {
        return failure("cannot connect to the system bus", r);
    }
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const auto pid = static_cast<std::uint32_t>(::getpid());
    // "fail": never replace a unit of that name that is still on its way out. The scope is
    // collected as soon as its process has ended, however that ended.
    if ((r = sd_bus_message_new_method_call(
             bus, &call, "org.freedesktop.systemd1", "/org/freedesktop/systemd1",
             "org.freedesktop.systemd1.Manager", "StartTransientUnit")) >= 0 &&
        (r = sd_bus_message_append(call, "ss", unitName.c_str(), "fail")) >= 0 &&
        (r = sd_bus_message_open_container(call, 'a', "(sv)")) >= 0 &&
        (r = sd_bus_message_append(call, "(sv)", "Description", "s", "The scheduled power task")) >=
            0 &&
        (r = sd_bus_message_append(call, "(sv)", "PIDs", "au", 1, pid)) >= 0 &&
        (r = sd_bus_message_append(call, "(sv)", "CollectMode", "s", "inactive-or-failed")) >= 0 &&
        (r = sd_bus_message_close_container(call)) >= 0 &&
        (r = sd_bus_message_append(call, "a(sa(sv))", 0)) >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(giveUp - Clock::now());
        r = sd_bus_call(bus, call,
                        static_cast<std::uint64_t>(std::max<std::int64_t>(left.count(), 1)), &error,
                        &reply);
    }
    std::optional<std::string> why;
    if (r < 0) {
        why = sd_bus_error_is_set(&error)
                  ? std::string("StartTransientUnit ") + unitName + ": " + error.message
                  : failure("StartTransientUnit", r);
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    if (why) {
        return why;
    }
    // The call returns once the start job is queued; the process moves when the job runs.
    while (!inUnit(unitName)) {
        if (Clock::now() >= giveUp) {
            return "the process did not reach " + unitName + " in time";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

} // namespace zarn::helper
