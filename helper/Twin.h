#pragma once

#include "helper/Request.h"
#include "sys/Result.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace zarn::helper {
struct TaskDescription;
}

/// What sets zarn-shutdown apart from its test twin dry-shutdown. Each program links one of the
/// two files that define these, chosen by CMake: RealTwin.cpp acts through the system's own
/// commands; DryTwin.cpp only writes down what it would have done, so it can never act.
namespace zarn::helper::twin {

/// Where the task folders are.
std::string taskFolderParent();
/// Whose task folder and record are believed.
std::vector<uid_t> trustedOwners();
/// Whether only root may schedule and cancel.
bool rootOnly();
/// The folder of the notifications' translations.
const char* localeDir();
/// Whether the waiting process moves into a scope unit of its own.
bool usesScope();
/// Takes `action`; `stamp` names the minute acted on.
sys::Result<> act(Action action, const std::string& stamp);
/// Changes to the task that the environment may ask for (the twin's tests: shorter warnings and
/// postpones, another bus); logs what it cannot take.
void adjust(TaskDescription& task, const LogFunction& log);

} // namespace zarn::helper::twin
