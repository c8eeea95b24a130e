// Sort strings: the parser either raises ERecordSetError or returns keys with names,
// and the keys written back with every name in brackets read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/recordset/SortText.h"
#include "runtime/Exceptions.h"

using qelvor::recordset::ParseSortText;
using qelvor::recordset::SortKeyText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SortKeyText> keys;
    try {
        keys = ParseSortText(text);
    } catch (const qelvor::ERecordSetError&) {
        return 0;
    }
    std::string written;
    for (const SortKeyText& key : keys) {
        if (key.name.empty())
            std::abort();  // an empty key must be refused
        if (key.name.find(']') != std::string::npos)
            return 0;  // no bracketed form exists for it
        written += (written.empty() ? "[" : ", [") + key.name + (key.descending ? "] DESC" : "] ASC");
    }
    if (ParseSortText(written) != keys)
        std::abort();
    return 0;
}
