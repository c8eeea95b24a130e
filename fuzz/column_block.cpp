// Blocks of held result values: any bytes given to the decoder either raise
// ERecordSetError or decode to the rows asked for; and the same bytes cut into values and
// written as a block (text and integers) read back exactly.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset/ColumnBlocks.h"
#include "runtime/Exceptions.h"

namespace blocks = qelvor::recordset::blocks;
using qelvor::recordset::DecodedBlock;
using qelvor::recordset::DictionaryView;
using qelvor::recordset::StagedBlock;
using qelvor::recordset::kRowsPerBlock;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int rows = 1 + data[0] % kRowsPerBlock;
    const std::uint64_t nulls = data[1] & 1 ? 0 : 0x5555555555555555ull;
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);

    // The dictionary: three entries.
    const char dictionaryBytes[] = "onetwothree";
    const std::uint32_t dictionaryEnds[] = {0, 3, 6, 11};
    const DictionaryView dictionary{dictionaryBytes, dictionaryEnds, 3};
    DecodedBlock decoded;
    try {
        blocks::DecodeText(rest, rows, dictionary, decoded);
        if (decoded.ends.size() != static_cast<std::size_t>(rows) || decoded.ends.back() != decoded.bytes.size())
            std::abort();
    } catch (const qelvor::ERecordSetError&) {
    }
    try {
        blocks::CheckIntegers(rest, rows);
    } catch (const qelvor::ERecordSetError&) {
    }

    // Round trip: rows cut from the input at '|'.
    StagedBlock block;
    std::size_t at = 0;
    for (int row = 0; row < rows; ++row) {
        const std::size_t end = std::min(rest.find('|', at), rest.size());
        if (nulls >> row & 1) {
            block.nulls |= std::uint64_t{1} << row;
        } else {
            block.bytes.append(rest.substr(at, end - at));
            std::int64_t number = 0;
            std::memcpy(&number, rest.data() + at, std::min<std::size_t>(8, end - at));
            block.integers[row] = number;
        }
        block.ends.push_back(static_cast<std::uint32_t>(block.bytes.size()));
        at = std::min(end + 1, rest.size());
    }
    block.rows = rows;
    std::string written;
    blocks::AppendTextBlock(written, block);
    blocks::DecodeText(written, rows, dictionary, decoded);
    for (int row = 0; row < rows; ++row)
        if (!(block.nulls >> row & 1) && decoded.Row(row) != block.Row(row))
            std::abort();
    written.clear();
    blocks::AppendIntegerBlock(written, block);
    blocks::CheckIntegers(written, rows);
    for (int row = 0; row < rows; ++row)
        if (!(block.nulls >> row & 1) && blocks::ReadInteger(written, rows, row) != block.integers[row])
            std::abort();
    return 0;
}
