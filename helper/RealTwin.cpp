// zarn-shutdown: its folder in /run, only root's, and the action taken through systemctl.

#include "helper/Actions.h"
#include "helper/TaskFolder.h"
#include "helper/WaitingProcess.h"

namespace zarn::helper {

const Twin& twin() {
    static const Twin real{
        runFolder,
        {0},
        true,
        true,
        ZARN_LOCALE_DIR,
        [](Action action, const std::string&) { return runSystemAction(action); },
        [](TaskDescription&, const LogFunction&) {}};
    return real;
}

} // namespace zarn::helper
