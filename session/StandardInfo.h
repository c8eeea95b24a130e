// StandardInfo: the project-wide state handed over by the host.
//
// HostConnection is the host's own connection object, stored by ShowForm on every
// call and read by the browse form when it is shown. The module never owns, frees
// or clears it; the host keeps it alive until ShowForm returns.
#pragma once

namespace qelvor {

class TADOConnection;

// The connection of the latest ShowForm call (nullptr before the first one).
extern TADOConnection* HostConnection;

}  // namespace qelvor
