// ConnectionInterface: the C interface's per-thread last-error text, read by hosts through
// QelvorLastError(). The runtime's own calls set it, and so does the module's
// status-returning ShowForm, so that a host reads every failure from the one call.
#pragma once

#include <string>

namespace qelvor {

// Sets this thread's last-error text; "" records a success.
void SetInterfaceLastError(const std::string& text);

}  // namespace qelvor
