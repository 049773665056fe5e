// tavu-solve: runs a model file through the three steps of a solution and prints the
// reports and result listings, as text or as one JSON document.

#include <getopt.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "BatchRun.h"

namespace {

const char* const Usage = "usage: tavu-solve [--json] [--scalars S1,S2,...] MODEL.tav\n";

int UsageError(const std::string& message)
{
    std::cerr << "tavu-solve: " << message << "\n" << Usage;
    return tavu::ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    std::vector<double> scalars;
    static const option options[] = {{"json", no_argument, nullptr, 'j'},
                                     {"scalars", required_argument, nullptr, 's'},
                                     {"help", no_argument, nullptr, 'h'},
                                     {nullptr, 0, nullptr, 0}};
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, "", options, nullptr);
        if (c == -1)
            break;
        switch (c) {
        case 'j':
            json = true;
            break;
        case 's': {
            auto parsed = tavu::ParseScalars(optarg);
            if (!parsed)
                return UsageError(std::string("--scalars needs numbers separated by commas: ") +
                                  optarg);
            scalars = *parsed;
            break;
        }
        case 'h':
            std::cout << Usage;
            return 0;
        default:
            return UsageError(std::string("unknown or incomplete option: ") +
                              (optind > 0 && optind <= argc ? argv[optind - 1] : "?"));
        }
    }
    if (optind != argc - 1)
        return UsageError(optind >= argc ? "no model file given" : "more than one model file");

    const std::string path = argv[optind];
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    if (!in || !(content << in.rdbuf())) {
        // An empty file reads as no characters, which is not a failure.
        if (!in.is_open() || in.bad()) {
            std::cerr << "tavu-solve: cannot read " << path << "\n";
            return tavu::ExitUnreadable;
        }
    }

    tavu::BatchRun run;
    tavu::RunBatch(run, content.str(), scalars);
    const std::string out = json ? tavu::BatchJson(run) : tavu::BatchText(run);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return tavu::ExitStatusOf(run);
}
