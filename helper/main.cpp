// zarn-shutdown: reads its command line and the environment that sudo passed on, and hands them
// to the waiting process's library (WaitingProcess.h). Built a second time as the test twin
// dry-shutdown (Twin says how the two differ).

#include "helper/Detach.h"
#include "helper/Task.h"
#include "helper/TaskFolder.h"
#include "helper/WaitingProcess.h"
#include "sys/Decimal.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using namespace zarn::helper;
namespace sys = zarn::sys;

// The task as the environment that sudo passed on describes it: whom to warn, on which bus,
// and who scheduled it.
TaskDescription describeTask(const Request& request, Instant deadline, const std::string& name) {
    const char* sudoUid = std::getenv("SUDO_UID");
    const std::optional<Recipient> user = recipientFrom(sudoUid, std::getenv("SUDO_GID"));
    return {.action = request.action,
            .stamp = request.stamp,
            .deadline = deadline,
            .name = name,
            .folderParent = twin().folderParent,
            .warningOffsets = {std::begin(defaultWarningOffsets), std::end(defaultWarningOffsets)},
            .postponeBy = postponeStep,
            .recipient = user,
            .busAddress = user ? userBusAddress(user->uid) : std::string(),
            .schedulingUid = sudoUid != nullptr
                                 ? sys::parseDecimal<std::uint32_t>(sudoUid).value_or(::getuid())
                                 : ::getuid()};
}

} // namespace

int main(int argc, char** argv) {
    // Whatever the caller ignored or blocked would reach the waiting process and its programs.
    resetSignalHandling();
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string name = executableFileName(argc > 0 ? argv[0] : nullptr);
    if (args.size() == 1 && args[0] == "--show") {
        return showTask(name);
    }
    if (args.size() == 1 && args[0] == "--help") {
        std::printf("%s\n", usageText.data());
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("%s %s\n", programName.data(), ZARN_VERSION);
        return 0;
    }
    // -c <pid>: a positive decimal number that fits a pid; 0 for anything else.
    const pid_t cancelPid =
        args.size() == 2 && args[0] == "-c" ? sys::parseDecimal<pid_t>(args[1]).value_or(0) : 0;
    const std::optional<Request> request = zarn::task::parseArguments(args);
    if (!request && cancelPid <= 0) {
        std::fprintf(stderr, "%s\n", usageText.data());
        return 64;
    }
    if (twin().forRoot && ::geteuid() != 0) {
        return refuse("must be run as root");
    }
    if (cancelPid > 0) {
        return cancelTask(cancelPid, name);
    }
    const sys::Result<Instant> deadline = deadlineOf(request->stamp);
    if (!deadline) {
        return refuse(deadline.error().text);
    }
    return scheduleTask(describeTask(*request, *deadline, name));
}
