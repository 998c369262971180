#pragma once

#include <optional>
#include <string_view>

namespace zarn::sys {

/// What a task does at its time.
enum class Action { PowerOff, Reboot, Suspend };

/// The word of `action` in the task record, the helper's log and the system's own commands
/// (`systemctl <word>`): "poweroff", "reboot" or "suspend".
std::string_view actionWord(Action action);

/// The action that actionWord gives `word` for; nothing for any other text.
std::optional<Action> actionOfWord(std::string_view word);

} // namespace zarn::sys
