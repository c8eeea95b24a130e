// Assert: the project's own assertion, for invariants that a header states.
//
// QELVOR_ASSERT(condition) checks the condition in every build our scripts make (the
// tests' included) and in debug builds; a build with NDEBUG (Release) compiles it to
// nothing and never evaluates the condition. A failed check prints the file, the line
// and the expression on standard error and aborts: a broken invariant must stop the
// run where it happened, not show up later as a wrong picture or a crash elsewhere.
#pragma once

namespace qelvor {

// Reports a failed QELVOR_ASSERT and aborts the process.
[[noreturn]] void AssertionFailed(const char* expression, const char* file, int line);

}  // namespace qelvor

#ifdef NDEBUG
// The condition still compiles (names stay checked) but is never evaluated.
#define QELVOR_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#else
#define QELVOR_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : ::qelvor::AssertionFailed(#condition, __FILE__, __LINE__))
#endif
