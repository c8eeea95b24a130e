// Whether this test binary runs under the address sanitizer, whose shadow memory and
// quarantine of freed blocks make address-space and resident-size figures meaningless.
#pragma once

namespace qelvor::test {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

}  // namespace qelvor::test
