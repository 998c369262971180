// dry-shutdown, for tests only and never installed: runs for any user, keeps its folder in
// $ZARN_DRY_RUN_DIR (else the temporary folder), never asks for a scope unit, and records the
// action in $ZARN_DRY_RUN_LOG instead of taking it. It also takes its warning offsets from
// $ZARN_DRY_WARN_SECONDS, the length of a postpone from $ZARN_DRY_POSTPONE_SECONDS and its bus
// from $DBUS_SESSION_BUS_ADDRESS.

#include "helper/Actions.h"
#include "helper/Twin.h"
#include "helper/WaitingProcess.h"

#include <cstdlib>
#include <filesystem>
#include <syslog.h>
#include <unistd.h>

namespace zarn::helper::twin {

std::string taskFolderParent() {
    if (const char* dir = std::getenv("ZARN_DRY_RUN_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temporary.string();
}

// Run by an ordinary user, it also believes that user's own folder and record.
std::vector<uid_t> trustedOwners() {
    return {0, ::geteuid()};
}

bool rootOnly() {
    return false;
}

const char* localeDir() {
    return ZARN_LOCALE_DIR;
}

bool usesScope() {
    return false;
}

sys::Result<> act(Action action, const std::string& stamp) {
    const char* logPath = std::getenv("ZARN_DRY_RUN_LOG");
    return recordDryRunAction(logPath != nullptr ? logPath : "", action, stamp);
}

void adjust(TaskDescription& task, const LogFunction& log) {
    if (const char* text = std::getenv("ZARN_DRY_WARN_SECONDS")) {
        if (const auto offsets = parseWarningOffsets(text)) {
            task.warningOffsets.assign(offsets->begin(), offsets->end());
        } else {
            log(LOG_WARNING,
                "ZARN_DRY_WARN_SECONDS is not a list of seconds: " + shownText(text, 64));
        }
    }
    if (const char* text = std::getenv("ZARN_DRY_POSTPONE_SECONDS")) {
        if (const auto step = parseWarningOffsets(text); step && step->size() == 1) {
            task.postponeBy = step->front();
        }
    }
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        task.busAddress = address;
    }
}

} // namespace zarn::helper::twin
