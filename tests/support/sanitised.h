#pragma once

namespace tavrin::testing {

// Whether this build runs under the address or the thread sanitiser, which
// make a program several times slower and its memory grow: the address
// sanitiser keeps freed memory aside for a while (its quarantine, up to
// 256 MB), the thread sanitiser keeps a shadow of all the program touches
// and the history of its accesses, so that its RSS grows with any churn.
// GCC says so with macros; clang answers `__has_feature` (which Qt's headers
// define as 0 for GCC, so that it cannot be asked first).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitised = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitised = true;
#else
inline constexpr bool kSanitised = false;
#endif
#else
inline constexpr bool kSanitised = false;
#endif

} // namespace tavrin::testing
