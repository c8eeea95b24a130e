// SampleSchema: the table definitions shared by every writer of the demo data.
//
// Declared lengths follow the data: 15-digit tickets, answers up to 120 characters.
// The types are portable between SQLite and the ODBC servers we test against.
#pragma once

namespace qelvor::sample {

inline constexpr const char* kCreateOmr =
    "CREATE TABLE t_omr(zkzh VARCHAR(15) NOT NULL PRIMARY KEY, ttxx VARCHAR(120), "
    "tttt VARCHAR(64), qk CHAR(1), lwtth CHAR(1))";
inline constexpr const char* kCreateBm =
    "CREATE TABLE t_bm(zkzh VARCHAR(15) NOT NULL PRIMARY KEY, bmh VARCHAR(12), xm VARCHAR(8))";

}  // namespace qelvor::sample
