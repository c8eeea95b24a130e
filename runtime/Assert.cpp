#include "runtime/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace qelvor {

void AssertionFailed(const char* expression, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, expression);
    std::fflush(stderr);
    std::abort();
}

}  // namespace qelvor
