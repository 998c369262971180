#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include <QStringList>

namespace zarn {

/// The options zarn answers in the terminal, before any window or display exists:
/// `--help`/`-h`, `--version`/`-v` and `--show`. Qt's own window options (`-platform`, `-style`,
/// ...) pass through to the window. Returns the exit status when the command line is answered
/// here, nothing when the window should open:
/// - `--help`, `--version`: the text on `out`, 0;
/// - `--show`: runs `probe` (bounded) and copies its output, the waiting task's record line, to
///   `out`: 0 when it printed one, 1 and a message on `err` when it printed nothing and exited 0
///   or 1 (no task waits), 2 and a message when it failed otherwise (its program missing, say) or
///   gave no answer in time;
/// - an unknown option or any other argument: one line on `err`, 2.
/// `arguments` includes the program name first, as argv does.
std::optional<int> answerCommandLine(const QStringList& arguments, const std::string& probe,
                                     std::FILE* out, std::FILE* err);

} // namespace zarn
