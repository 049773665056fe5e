#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <getopt.h>
#include <unistd.h>

namespace tavu {

std::string RefusedOptionText(int argc, char** argv)
{
    return std::string("unknown or incomplete option: ") +
           (optind > 0 && optind <= argc ? argv[optind - 1] : "?");
}

std::string SingleFileError(int argc, const std::string& noun)
{
    if (optind == argc - 1)
        return {};
    return optind >= argc ? "no " + noun + " file given" : "more than one " + noun + " file";
}

bool HoldStandardDescriptors()
{
    bool outputOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == 1)
            outputOpen = false;
        const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) // the lowest free descriptor is fd itself
            close(null);
    }
    return outputOpen;
}

void OutputGuard::Protect(const std::string& what, const struct stat& st)
{
    kept_.emplace_back(what, st);
}

std::string OutputGuard::Refusal(const std::string& path)
{
    struct stat st
    {
    };
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return {}; // a new file, or one the writing reports about
    if (!S_ISREG(st.st_mode))
        return "it is not a regular file";
    for (const auto& [what, kept] : kept_)
        if (st.st_dev == kept.st_dev && st.st_ino == kept.st_ino)
            return "it is " + what;
    Protect("the same file as " + path, st);
    return {};
}

std::string WriteFileWhole(const std::string& path, const std::function<void(std::ostream&)>& write)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return std::strerror(errno);
    // The file gets the permissions a new file gets, not mkstemp's owner-only ones.
    const mode_t mask = umask(0);
    umask(mask);
    const bool permitted = fchmod(fd, 0666 & ~mask) == 0;
    close(fd);
    std::string reason;
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (permitted && out) {
            try {
                write(out);
            } catch (...) {
                out.close();
                std::remove(temporary.c_str());
                throw;
            }
            out.flush();
        }
        if (!permitted || !out)
            reason = errno != 0 ? std::strerror(errno) : "write error";
    }
    if (reason.empty() && std::rename(temporary.c_str(), path.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty())
        std::remove(temporary.c_str());
    return reason;
}

} // namespace tavu
