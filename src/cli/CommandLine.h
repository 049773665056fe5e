#pragma once
// What the command-line programs share: their arguments' errors, and the files they write:
// none may replace their input, another of their outputs or anything that is not a regular
// file, and each is written whole or not at all.

#include <functional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tavu {

// The usage errors of a command line read by getopt_long: the option it refused last
// ("unknown or incomplete option: --x"), and, when the arguments after the options are not
// exactly one file, "no model file given" or "more than one model file" (noun "model");
// "" when there is one.
std::string RefusedOptionText(int argc, char** argv);
std::string SingleFileError(int argc, const std::string& noun);

// Standard input, output and error stay open for the whole run: a descriptor the caller
// closed is taken by /dev/null, so that no file opened later becomes standard output.
// Returns false when standard output was closed.
bool HoldStandardDescriptors();

// The files outputs must not replace: the input, then each output checked.
class OutputGuard
{
public:
    // what: how a refusal names the file ("the model file m.tav").
    void Protect(const std::string& what, const struct stat& st);

    // Why path must not be written: "it is not a regular file", "it is the model file
    // m.tav", "it is the same file as out.pdf" (files are compared by identity, so another
    // path or a hard link is caught); "" when it may be written, and it is protected from
    // the outputs checked after it. A path that names no file yet may be written.
    std::string Refusal(const std::string& path);

private:
    std::vector<std::pair<std::string, struct stat>> kept_;
};

// Writes path through a temporary file beside it that replaces it once complete, so that a
// failed write leaves whatever was there. write(out) makes the content. Returns "" or the
// reason the file could not be written.
std::string WriteFileWhole(const std::string& path,
                           const std::function<void(std::ostream&)>& write);

} // namespace tavu
