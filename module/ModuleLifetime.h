// ModuleLifetime: what the module does when it is loaded and unloaded.
//
// Loading starts the grid library's shared resources and nothing else: no window,
// no database. A dynamic loader cannot be told that a load failed, so a start-up
// failure is kept and raised by ShowForm instead. Unloading frees the resources.
#pragma once

#include <string>

namespace qelvor {

// The message of the start-up failure; empty when the module started.
const std::string& ModuleLoadFailure();

}  // namespace qelvor
