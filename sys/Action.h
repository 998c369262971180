#pragma once

#include <optional>
#include <string_view>

namespace zarn::sys {

/// What a task does at its time.
enum class Action { PowerOff, Reboot, Suspend };

/// The word of each action, in the order of Action, in the task record, the helper's log and
/// the system's own commands (`systemctl <word>`).
inline constexpr std::string_view actionWords[] = {"poweroff", "reboot", "suspend"};

inline std::string_view actionWord(Action action) {
    return actionWords[static_cast<int>(action)];
}

/// The action whose word is `word`; nothing for any other text.
inline std::optional<Action> actionOfWord(std::string_view word) {
    for (int i = 0; i < 3; ++i) {
        if (actionWords[i] == word) {
            return static_cast<Action>(i);
        }
    }
    return std::nullopt;
}

} // namespace zarn::sys
