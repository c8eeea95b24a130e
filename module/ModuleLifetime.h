// ModuleLifetime: what the module does when it is loaded and unloaded.
//
// Loading starts the grid library's shared resources and nothing else: no window,
// no database. A dynamic loader cannot be told that a load failed, so a start-up
// failure is kept and raised by ShowForm instead. Unloading frees the resources.
#pragma once

#include <functional>
#include <string>

namespace qelvor {

// The message of the start-up failure; empty when the module started.
const std::string& ModuleLoadFailure();

// Runs the start-up: a failure is kept (and said on standard error) rather than thrown,
// since the loader that runs it can be told nothing. Run at load with the grid library's
// start-up; a later run with another replaces what the first kept.
void StartModule(const std::function<void()>& startUp);

}  // namespace qelvor
