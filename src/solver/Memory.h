#pragma once
// How much memory the process can still take: what decides whether a stiffness store can
// be laid out, in place of a fixed number of terms.

#include <string>

namespace tavu {

// Bytes the process can still allocate: the smaller of the memory the system has available
// (MemAvailable of /proc/meminfo) and, when an address-space limit is set (ulimit -v), the
// room left under it. -1 when neither can be read.
long long AvailableMemory();

// An amount of memory for a message: whole megabytes (2^20 bytes) from 1 MB up, else whole
// kilobytes, else bytes ("12 MB", "8 KB"); a needed amount is rounded up, an available
// one down.
std::string NeededMemoryText(long long bytes);
std::string AvailableMemoryText(long long bytes);

} // namespace tavu
