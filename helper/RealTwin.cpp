// zarn-shutdown: its folder in /run, only root's, and the action taken through systemctl.

#include "helper/Actions.h"
#include "helper/TaskFolder.h"
#include "helper/Twin.h"

namespace zarn::helper::twin {

std::string taskFolderParent() {
    return runFolder;
}

std::vector<uid_t> trustedOwners() {
    return {0};
}

bool rootOnly() {
    return true;
}

const char* localeDir() {
    return ZARN_LOCALE_DIR;
}

bool usesScope() {
    return true;
}

sys::Result<> act(Action action, const std::string&) {
    return runSystemAction(action);
}

void adjust(TaskDescription&, const LogFunction&) {}

} // namespace zarn::helper::twin
