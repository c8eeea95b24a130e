#include "SortFloor.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace qelvor::bench {

namespace {

struct KeyArena {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> offsets{0};
};

KeyArena MakeKeys(UCollator* collator, const std::vector<std::string>& values)
{
    KeyArena arena;
    arena.offsets.reserve(values.size() + 1);
    std::u16string wide;
    for (const std::string& value : values) {
        wide.resize(value.size() + 1);
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()), &length, value.data(),
                      static_cast<int32_t>(value.size()), &status);
        const std::size_t start = arena.bytes.size();
        arena.bytes.resize(start + 256);
        const int32_t keyLength = ucol_getSortKey(collator, reinterpret_cast<const UChar*>(wide.data()), length,
                                                  arena.bytes.data() + start, 256);
        arena.bytes.resize(start + static_cast<std::size_t>(keyLength));
        arena.offsets.push_back(static_cast<std::uint32_t>(arena.bytes.size()));
    }
    return arena;
}

int Compare(const KeyArena& arena, std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t lengthA = arena.offsets[a + 1] - arena.offsets[a];
    const std::uint32_t lengthB = arena.offsets[b + 1] - arena.offsets[b];
    const int order = std::memcmp(arena.bytes.data() + arena.offsets[a], arena.bytes.data() + arena.offsets[b],
                                  std::min(lengthA, lengthB));
    return order != 0 ? order : static_cast<int>(lengthA) - static_cast<int>(lengthB);
}

}  // namespace

std::vector<std::uint32_t> SortFloor(const std::vector<FloorKey>& keys, const std::string& localeName)
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(localeName.c_str(), &status);
    std::vector<KeyArena> arenas;
    for (const FloorKey& key : keys)
        arenas.push_back(MakeKeys(collator, *key.values));
    ucol_close(collator);

    std::vector<std::uint32_t> order(keys.front().values->size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const int comparison = Compare(arenas[i], a, b);
            if (comparison != 0)
                return keys[i].descending ? comparison > 0 : comparison < 0;
        }
        return false;
    });
    return order;
}

}  // namespace qelvor::bench
