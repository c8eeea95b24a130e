#include "sampledata/SampleDatabase.h"

#include <sqlite3.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "sampledata/SampleRows.h"
#include "sampledata/SampleSchema.h"

namespace qelvor {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

[[noreturn]] void Fail(sqlite3* db, const std::string& what)
{
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void Run(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db, sql);
}

StatementPtr Prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        Fail(db, sql);
    return StatementPtr(statement);
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void StepOnce(sqlite3* db, sqlite3_stmt* statement)
{
    if (sqlite3_step(statement) != SQLITE_DONE)
        Fail(db, "insert");
    sqlite3_reset(statement);
}

}  // namespace

void CreateSampleDatabase(const std::string& path, std::int64_t rows, std::uint64_t seed,
                          SampleProgress progress)
{
    std::remove(path.c_str());
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DatabasePtr db(raw);
    if (opened != SQLITE_OK)
        Fail(raw, "cannot create " + path);

    // A fresh file that nobody else uses: no journal needed while it is filled.
    Run(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144;");
    Run(db.get(), sample::kCreateOmr);
    Run(db.get(), sample::kCreateBm);
    Run(db.get(), "BEGIN");
    StatementPtr insertOmr = Prepare(db.get(), "INSERT INTO t_omr(zkzh,ttxx,tttt,qk,lwtth) VALUES(?,?,?,?,?)");
    StatementPtr insertBm = Prepare(db.get(), "INSERT INTO t_bm(zkzh,bmh,xm) VALUES(?,?,?)");

    const sample::SampleRows source(rows, seed);
    sample::SampleRow row;
    for (std::int64_t i = 0; i < source.Count(); ++i) {
        source.Fill(i, row);
        BindText(insertOmr.get(), 1, row.zkzh);
        BindText(insertOmr.get(), 2, row.ttxx);
        BindText(insertOmr.get(), 3, row.tttt);
        BindText(insertOmr.get(), 4, row.qk);
        BindText(insertOmr.get(), 5, row.lwtth);
        StepOnce(db.get(), insertOmr.get());
        if (row.registered) {
            BindText(insertBm.get(), 1, row.zkzh);
            BindText(insertBm.get(), 2, row.bmh);
            BindText(insertBm.get(), 3, row.xm);
            StepOnce(db.get(), insertBm.get());
        }
        if (progress && (i + 1) % 65536 == 0)
            progress(i + 1, source.Count());
    }
    Run(db.get(), "COMMIT");
    if (progress)
        progress(source.Count(), source.Count());
}

void WriteSampleDatabaseFile(const std::string& path, std::int64_t rows, std::uint64_t seed,
                             SampleProgress progress)
{
    // Beside the target, so that the rename stays within one file system and is atomic.
    const std::string partial = path + ".partial-" + std::to_string(getpid());
    try {
        CreateSampleDatabase(partial, rows, seed, std::move(progress));
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(partial.c_str());
        throw std::runtime_error("cannot replace " + path + ": " + reason);
    }
}

}  // namespace qelvor
