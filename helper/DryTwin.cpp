// dry-shutdown, for tests only and never installed: runs for any user, keeps its folder in
// $ZARN_DRY_RUN_DIR (else the temporary folder), never asks for a scope unit, and records the
// action in $ZARN_DRY_RUN_LOG instead of taking it. It also takes its warning offsets from
// $ZARN_DRY_WARN_SECONDS, the length of a postpone from $ZARN_DRY_POSTPONE_SECONDS and its bus
// from $DBUS_SESSION_BUS_ADDRESS.

#include "helper/Actions.h"
#include "helper/WaitingProcess.h"

#include <cstdlib>
#include <filesystem>
#include <syslog.h>
#include <unistd.h>

namespace zarn::helper {

namespace {

std::string folderParent() {
    const char* dir = std::getenv("ZARN_DRY_RUN_DIR");
    std::error_code error;
    const std::string temporary = std::filesystem::temp_directory_path(error).string();
    return dir != nullptr && *dir != '\0' ? dir : error ? "/tmp" : temporary;
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

} // namespace

// Run by an ordinary user, it also believes that user's own folder and record.
const Twin& twin() {
    const auto record = [](Action action, const std::string& stamp) {
        const char* log = std::getenv("ZARN_DRY_RUN_LOG");
        return recordDryRunAction(log != nullptr ? log : "", action, stamp);
    };
    static const Twin dry{.folderParent = folderParent(),
                          .trustedOwners = {0, ::geteuid()},
                          .forRoot = false,
                          .localeDir = ZARN_LOCALE_DIR,
                          .act = record,
                          .adjust = adjust};
    return dry;
}

} // namespace zarn::helper
