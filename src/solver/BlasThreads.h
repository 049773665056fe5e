#pragma once
// The BLAS under the sparse factorization starts its worker threads when the program is
// loaded, each allocating a large buffer; under a tight memory limit such a thread retries
// its allocation for ever and the program never ends. The environment is read once, at
// load: the program sets one thread there and starts itself again, first thing in main,
// unless the user's environment already chose. The factorization raises the count when
// asked to.
//
// The OpenMP runtime under the factorization starts as many threads as its parallel regions
// name, whatever omp_set_num_threads said, unless OMP_THREAD_LIMIT caps them. Those regions
// (scattering a supernode's updates) cost more in waking and waiting than they gain: on a
// million-equation plate the factorization took 8.9 s with two OpenMP threads and 2.9 s
// with one. The limit is therefore one; the factorization's threads are the BLAS's. A
// thread that cannot be created under a memory limit cannot stop the program either.

#include <cstdlib>
#include <unistd.h>

namespace tavu {

inline void StartBlasWithOneThread(char** argv)
{
    if (std::getenv("OPENBLAS_NUM_THREADS") != nullptr)
        return;
    if (setenv("OPENBLAS_NUM_THREADS", "1", 0) != 0)
        return;
    if (std::getenv("OMP_THREAD_LIMIT") == nullptr)
        setenv("OMP_THREAD_LIMIT", "1", 0);
    // Started again through the file's own path, so that the process keeps its name (the
    // kernel names it after the path it was started from: "exe" for /proc/self/exe).
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        execv(self, argv);
    }
    execv("/proc/self/exe", argv); // returns only when it failed: go on as loaded
}

} // namespace tavu
