#pragma once
// The BLAS under the sparse factorization starts its worker threads when the program is
// loaded, each allocating a large buffer; under a tight memory limit such a thread retries
// its allocation for ever and the program never ends. The environment is read once, at
// load: the program sets one thread there and starts itself again, first thing in main,
// unless the user's environment already chose. The factorization raises the count when
// asked to.
//
// The OpenMP runtime under the factorization starts as many threads as its parallel regions
// name, whatever omp_set_num_threads said, unless OMP_THREAD_LIMIT caps them: it is set to
// the count the factorization takes, so that one thread means one, and a thread that cannot
// be created under a memory limit cannot stop the program.

#include "solver/SparseSolver.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tavu {

inline void StartBlasWithOneThread(char** argv)
{
    if (std::getenv("OPENBLAS_NUM_THREADS") != nullptr)
        return;
    if (setenv("OPENBLAS_NUM_THREADS", "1", 0) != 0)
        return;
    if (std::getenv("OMP_THREAD_LIMIT") == nullptr)
        setenv("OMP_THREAD_LIMIT", std::to_string(SparseSolverThreads()).c_str(), 0);
    execv("/proc/self/exe", argv); // returns only when it failed: go on as loaded
}

} // namespace tavu
