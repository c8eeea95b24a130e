// SampleDatabase: writes the demo answer sheets into a database.
//
// Tables, as the browse form's statements read them:
//   t_omr(zkzh PRIMARY KEY, ttxx, tttt, qk, lwtth)   one row per scanned sheet
//   t_bm(zkzh PRIMARY KEY, bmh, xm)                   registrations; ~2 % of sheets have none
// zkzh is the key of both tables because the left join looks registrations up by it.
// Rows are inserted in shuffled ticket order, so the unsorted statement returns them
// unordered. The same (rows, seed) always gives the same data (see SampleRows).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qelvor {

namespace recordset { class Connection; }

using SampleProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// Creates (replacing any existing file) a SQLite database at path with `rows` sheets.
// Raises std::runtime_error with SQLite's message on failure.
void CreateSampleDatabase(const std::string& path, std::int64_t rows, std::uint64_t seed,
                          SampleProgress progress = {});

// As CreateSampleDatabase, but never leaves a partial database at path: the rows go to a
// new file beside it, which replaces path only once complete (and is removed on failure),
// so an existing file keeps what it held until then.
void WriteSampleDatabaseFile(const std::string& path, std::int64_t rows, std::uint64_t seed,
                             SampleProgress progress = {});

// Creates the two tables on an open connection of any provider (dropping existing
// ones) and inserts the same rows as CreateSampleDatabase, in multi-row statements.
void LoadSampleRows(recordset::Connection& connection, std::int64_t rows, std::uint64_t seed,
                    SampleProgress progress = {});

}  // namespace qelvor
