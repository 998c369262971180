#include "sys/Action.h"

#include <iterator>
#include <utility>

namespace zarn::sys {

namespace {

constexpr std::pair<Action, std::string_view> words[] = {
    {Action::PowerOff, "poweroff"}, {Action::Reboot, "reboot"}, {Action::Suspend, "suspend"}};

} // namespace

std::string_view actionWord(Action action) {
    for (const auto& [known, word] : words) {
        if (known == action) {
            return word;
        }
    }
    return words[0].second;
}

std::optional<Action> actionOfWord(std::string_view word) {
    for (const auto& [action, known] : words) {
        if (known == word) {
            return action;
        }
    }
    return std::nullopt;
}

} // namespace zarn::sys
