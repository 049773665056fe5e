#include "common/Table.h"

#include <cstdio>
#include <cstdlib>

namespace tavu {

void AssertFailed(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: internal check failed: %s\n", file, line, what);
    std::abort();
}

} // namespace tavu
