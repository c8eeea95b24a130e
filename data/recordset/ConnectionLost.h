// ConnectionLost: the failure of a statement whose session the server dropped.
//
// Raised by a provider when the database reports the link gone (a server shut down,
// restarted or crashed, a broken network). The connection then replaces its session
// before the next statement instead of failing every later one on the dead link.
#pragma once

#include "runtime/Exceptions.h"

namespace qelvor::recordset {

class EConnectionLost : public ERecordSetError {
public:
    using ERecordSetError::ERecordSetError;
};

}  // namespace qelvor::recordset
