#include "session/StandardInfo.h"

namespace qelvor {

TADOConnection* HostConnection = nullptr;

}  // namespace qelvor
