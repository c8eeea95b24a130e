// Arbitrary statement text on a fresh in-memory SQLite database: Execute returns or
// raises ERecordSetError, never hangs (a one-second time-out bounds runaway queries)
// and never crashes. Run it in an empty folder: statements may create files.
#include <cstdint>
#include <string>

#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "runtime/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    qelvor::recordset::Connection connection;
    connection.Open("Provider=SQLite;Data Source=:memory:");
    try {
        connection.Execute("CREATE TABLE t(a INTEGER, b TEXT, c REAL, d BLOB, e DATE, f DECIMAL(9,2));"
                           "INSERT INTO t VALUES(1,'x',1.5,x'00ff','2020-01-02',3.25),(NULL,NULL,NULL,NULL,NULL,NULL)",
                           1, 1000);
        connection.Execute(text, 1, 1000);
    } catch (const qelvor::ERecordSetError&) {
    }
    return 0;
}
