#include "data/recordset/Provider.h"
#include "runtime/Exceptions.h"
namespace qelvor::recordset {
std::unique_ptr<Provider> OpenOdbcProvider(const std::string&) { throw ERecordSetError("ODBC not built yet"); }
}
