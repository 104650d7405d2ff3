#pragma once

namespace tavrin::testing {

// Whether this build runs under the address sanitiser, which makes a program
// several times slower and keeps freed memory aside for a while (its
// quarantine, up to 256 MB), so that its RSS grows with any churn.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitised = true;
#else
inline constexpr bool kSanitised = false;
#endif
#elif defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitised = true;
#else
inline constexpr bool kSanitised = false;
#endif

} // namespace tavrin::testing
