// LoadSampleRows: the demo rows through a record-set connection (any provider), as
// multi-row INSERT statements so that a server sees few round trips.
#include <algorithm>
#include <initializer_list>
#include <string>

#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "sampledata/SampleDatabase.h"
#include "sampledata/SampleRows.h"
#include "sampledata/SampleSchema.h"

namespace qelvor {

namespace {

constexpr std::int64_t kRowsPerStatement = 500;

void AppendQuoted(std::string& sql, const std::string& text)
{
    sql += '\'';
    for (char c : text) {
        if (c == '\'')
            sql += '\'';
        sql += c;
    }
    sql += '\'';
}

void AppendTuple(std::string& sql, std::initializer_list<const std::string*> values)
{
    sql += sql.back() == ' ' ? "(" : ",(";
    bool first = true;
    for (const std::string* value : values) {
        if (!first)
            sql += ',';
        first = false;
        AppendQuoted(sql, *value);
    }
    sql += ')';
}

void Execute(recordset::Connection& connection, const std::string& sql)
{
    connection.Execute(sql, 0, 0);
}

}  // namespace

void LoadSampleRows(recordset::Connection& connection, std::int64_t rows, std::uint64_t seed,
                    SampleProgress progress)
{
    Execute(connection, "DROP TABLE IF EXISTS t_omr");
    Execute(connection, "DROP TABLE IF EXISTS t_bm");
    Execute(connection, sample::kCreateOmr);
    Execute(connection, sample::kCreateBm);

    const sample::SampleRows source(rows, seed);
    sample::SampleRow row;
    for (std::int64_t start = 0; start < source.Count(); start += kRowsPerStatement) {
        std::string omr = "INSERT INTO t_omr(zkzh,ttxx,tttt,qk,lwtth) VALUES ";
        std::string bm = "INSERT INTO t_bm(zkzh,bmh,xm) VALUES ";
        const std::size_t emptyBm = bm.size();
        const std::int64_t end = std::min(source.Count(), start + kRowsPerStatement);
        for (std::int64_t i = start; i < end; ++i) {
            source.Fill(i, row);
            AppendTuple(omr, {&row.zkzh, &row.ttxx, &row.tttt, &row.qk, &row.lwtth});
            if (row.registered)
                AppendTuple(bm, {&row.zkzh, &row.bmh, &row.xm});
        }
        Execute(connection, omr);
        if (bm.size() > emptyBm)
            Execute(connection, bm);
        if (progress)
            progress(end, source.Count());
    }
}

}  // namespace qelvor
