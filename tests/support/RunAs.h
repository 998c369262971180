#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace zarn::test {

/// setpriv, else runuser, with the arguments that run a command as `nobody`; empty when neither
/// exists. Only root can use them.
inline std::vector<std::string> asNobody() {
    for (const char* dir : {"/usr/bin", "/bin", "/usr/sbin", "/sbin"}) {
        const std::filesystem::path setpriv = std::filesystem::path(dir) / "setpriv";
        if (::access(setpriv.c_str(), X_OK) == 0) {
            return {setpriv.string(), "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        }
    }
    for (const char* dir : {"/usr/sbin", "/sbin", "/usr/bin", "/bin"}) {
        const std::filesystem::path runuser = std::filesystem::path(dir) / "runuser";
        if (::access(runuser.c_str(), X_OK) == 0) {
            return {runuser.string(), "-u", "nobody", "--"};
        }
    }
    return {};
}

} // namespace zarn::test
