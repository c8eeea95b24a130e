// The parameter scan: each parameter becomes exactly one "?" in place of its name, a
// doubled colon becomes one, nothing else changes length, and a text without colons
// comes back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/ParameterScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const qelvor::ScannedStatement scanned = qelvor::ScanParameters(text);
    const auto marks = [](const std::string& s) { return std::count(s.begin(), s.end(), '?'); };
    // A quoted name may hold a "?" of its own, which goes with the name.
    long marksInNames = 0;
    for (const std::string& name : scanned.names)
        marksInNames += marks(name);
    if (marks(scanned.text) - marks(text) + marksInNames != static_cast<long>(scanned.names.size()))
        std::abort();
    if (scanned.text.size() > text.size())
        std::abort();
    if (text.find(':') == std::string::npos && (scanned.text != text || !scanned.names.empty()))
        std::abort();
    // Scanning again finds nothing new unless the first scan made a colon pair single.
    if (text.find("::") == std::string::npos && !qelvor::ScanParameters(scanned.text).names.empty())
        std::abort();
    return 0;
}
