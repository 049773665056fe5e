#include "solver/Memory.h"

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace tavu {

namespace {

// MemAvailable in bytes, or -1.
long long SystemAvailable()
{
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (f == nullptr)
        return -1;
    long long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::sscanf(line, "MemAvailable: %lld kB", &kb) == 1)
            break;
    std::fclose(f);
    return kb < 0 ? -1 : kb * 1024;
}

// The room left under RLIMIT_AS in bytes, or -1 when there is no limit.
long long AddressSpaceLeft()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    // The address space in use: the first number of /proc/self/statm, in pages.
    long long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    const long long used = pages * sysconf(_SC_PAGESIZE);
    const auto cap =
        static_cast<long long>(std::min<rlim_t>(limit.rlim_cur, static_cast<rlim_t>(1) << 62));
    return std::max(cap - used, 0LL);
}

} // namespace

long long AvailableMemory()
{
    const long long system = SystemAvailable();
    const long long space = AddressSpaceLeft();
    if (system < 0 || space < 0)
        return std::max(system, space);
    return std::min(system, space);
}

namespace {

std::string MemoryText(long long bytes, bool up)
{
    const auto in = [&](int shift, const char* unit) {
        const long long n = up ? (bytes + (1LL << shift) - 1) >> shift : bytes >> shift;
        return std::to_string(n) + unit;
    };
    if (bytes >= 1LL << 20)
        return in(20, " MB");
    if (bytes >= 1LL << 10)
        return in(10, " KB");
    return in(0, " bytes");
}

} // namespace

std::string NeededMemoryText(long long bytes)
{
    return MemoryText(bytes, true);
}

std::string AvailableMemoryText(long long bytes)
{
    return MemoryText(bytes, false);
}

} // namespace tavu
