// Connection strings: the parser either raises ERecordSetError or returns pairs, and
// the pairs written back with every value in braces read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/recordset/ConnectionString.h"
#include "runtime/Exceptions.h"

using qelvor::recordset::ConnectionString;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<std::string, std::string>> pairs;
    try {
        pairs = ConnectionString(text).Pairs();
    } catch (const qelvor::ERecordSetError&) {
        return 0;
    }
    std::string written;
    for (const auto& [key, value] : pairs) {
        if (key.find_first_of("=;{") != std::string::npos)
            return 0;  // not writable as a key (and never one a driver reads)
        std::string braced;
        for (const char c : value)
            braced += c == '}' ? std::string("}}") : std::string(1, c);
        written += key + "={" + braced + "};";
    }
    if (ConnectionString(written).Pairs() != pairs)
        std::abort();
    for (const auto& [key, value] : pairs)
        if (!ConnectionString(text).Find(key))
            std::abort();
    return 0;
}
