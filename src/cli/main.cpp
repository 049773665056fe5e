// tavu-solve: runs a model file through the three steps of a solution and prints the
// reports and result listings, as text or as one JSON document; on request it also
// writes the plot of the model (PNG or SVG) and the printed listings (PDF).

#include "BatchRun.h"

#include <cstdio>
#include <fstream>
#include <getopt.h>
#include <iostream>
#include <sstream>

#if defined(TAVU_WITH_PLOT)
#include "plot/PlotExport.h"
#endif

namespace {

const char* const Usage =
    "usage: tavu-solve [--json] [--scalars S1,S2,...] [--plot FILE.png|FILE.svg]\n"
    "                  [--pdf FILE.pdf] MODEL.tav\n";

// A file could not be written (sysexits' EX_CANTCREAT).
constexpr int ExitCannotWrite = 73;

int UsageError(const std::string& message)
{
    std::cerr << "tavu-solve: " << message << "\n" << Usage;
    return tavu::ExitUsage;
}

#if defined(TAVU_WITH_PLOT)
// The name part of the model path, printed in the page headings.
std::string ModelFileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    std::vector<double> scalars;
    std::string plotPath, pdfPath;
    static const option options[] = {
        {"json", no_argument, nullptr, 'j'},       {"scalars", required_argument, nullptr, 's'},
        {"plot", required_argument, nullptr, 'p'}, {"pdf", required_argument, nullptr, 'f'},
        {"help", no_argument, nullptr, 'h'},       {nullptr, 0, nullptr, 0}};
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
        case 'p':
            plotPath = optarg;
            break;
        case 'f':
            pdfPath = optarg;
            break;
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

#if defined(TAVU_WITH_PLOT)
    if (!plotPath.empty() && !tavu::plot::IsPlotFileName(plotPath))
        return UsageError("--plot writes a .png or .svg file: " + plotPath);
#else
    if (!plotPath.empty() || !pdfPath.empty())
        return UsageError(std::string(!plotPath.empty() ? "--plot" : "--pdf") +
                          " is not available in this build (built without Qt)");
#endif
    if (!plotPath.empty() && plotPath == pdfPath)
        return UsageError("--plot and --pdf need different files");

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
    int status = tavu::ExitStatusOf(run);
#if defined(TAVU_WITH_PLOT)
    if (!plotPath.empty() || !pdfPath.empty()) {
        std::fflush(stdout);
        const tavu::plot::BatchGui gui;
        std::string error;
        // The plot needs a model that was read; the listings need a solution.
        if (!plotPath.empty()) {
            if (run.analysis.State.Stage == tavu::ModelPending)
                std::cerr << "tavu-solve: the model could not be read; " << plotPath
                          << " not written\n";
            else if (!tavu::plot::WritePlotFile(run.analysis, plotPath, error)) {
                std::cerr << "tavu-solve: cannot write " << plotPath << ": " << error << "\n";
                status = ExitCannotWrite;
            }
        }
        if (!pdfPath.empty()) {
            if (!run.solved)
                std::cerr << "tavu-solve: no results to print; " << pdfPath << " not written\n";
            else if (!tavu::plot::WriteListingsPdf(run.analysis, ModelFileName(path), pdfPath,
                                                   error)) {
                std::cerr << "tavu-solve: cannot write " << pdfPath << ": " << error << "\n";
                status = ExitCannotWrite;
            }
        }
    }
#endif
    return status;
}
