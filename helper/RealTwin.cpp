// zarn-shutdown: its folder in /run, only root's, and the action taken through systemctl.

#include "helper/Actions.h"
#include "helper/WaitingProcess.h"
#include "task/TaskRecord.h"

namespace zarn::helper {

const Twin& twin() {
    static const Twin real{
        .folderParent = task::taskFolderParent,
        .trustedOwners = {0},
        .forRoot = true,
        .localeDir = ZARN_LOCALE_DIR,
        .act = [](Action action, const std::string&) { return runSystemAction(action); },
        .adjust = [](TaskDescription&, const LogFunction&) {}};
    return real;
}

} // namespace zarn::helper
