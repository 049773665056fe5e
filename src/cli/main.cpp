// tavu-solve: runs a model file through the three steps of a solution and prints the
// reports and result listings, as text or as one JSON document; on request it also
// writes the plot of the model (PNG or SVG) and the printed listings (PDF).

#include "BatchRun.h"
#include "model/Diagnostics.h"

#include <cstdio>
#include <fstream>
#include <getopt.h>
#include <iostream>
#include <iterator>
#include <new>

#if defined(TAVU_WITH_PLOT)
#include "plot/PlotExport.h"
#endif

namespace {

const char* const Usage =
    "usage: tavu-solve [--json] [--scalars S1,S2,...] [--plot FILE.png|FILE.svg]\n"
    "                  [--pdf FILE.pdf] MODEL.tav\n";

// A file could not be written (sysexits' EX_CANTCREAT).
constexpr int ExitCannotWrite = 73;

// Standard output could not be written (sysexits' EX_IOERR).
constexpr int ExitOutputFailed = 74;

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

struct Options
{
    bool json = false;
    std::vector<double> scalars;
    std::string plotPath, pdfPath, modelPath;
};

// Reads the command line into o; returns an exit status when the run should end here
// (usage error or --help), or -1 to go on.
int ParseOptions(int argc, char** argv, Options& o)
{
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
            o.json = true;
            break;
        case 's': {
            auto parsed = tavu::ParseScalars(optarg);
            if (!parsed)
                return UsageError(std::string("--scalars needs numbers separated by commas: ") +
                                  optarg);
            o.scalars = *parsed;
            break;
        }
        case 'p':
            o.plotPath = optarg;
            break;
        case 'f':
            o.pdfPath = optarg;
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
    if (!o.plotPath.empty() && !tavu::plot::IsPlotFileName(o.plotPath))
        return UsageError("--plot writes a .png or .svg file: " + o.plotPath);
#else
    if (!o.plotPath.empty() || !o.pdfPath.empty())
        return UsageError(std::string(!o.plotPath.empty() ? "--plot" : "--pdf") +
                          " is not available in this build (built without Qt)");
#endif
    if (!o.plotPath.empty() && o.plotPath == o.pdfPath)
        return UsageError("--plot and --pdf need different files");
    o.modelPath = argv[optind];
    return -1;
}

// The whole model file; false when it cannot be read, or is too large for the memory (an
// empty file is no failure).
bool ReadModelFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return !in.bad();
}

#if defined(TAVU_WITH_PLOT)
// The plot (of a model that was read) and the printed listings (of a solution); returns
// the exit status, which a file that cannot be written turns into ExitCannotWrite.
int WriteFiles(const tavu::BatchRun& run, const Options& o, int status)
{
    std::fflush(stdout);
    const tavu::plot::BatchGui gui;
    std::string error;
    if (!o.plotPath.empty()) {
        if (run.analysis.State.Stage == tavu::ModelPending)
            std::cerr << "tavu-solve: the model could not be read; " << o.plotPath
                      << " not written\n";
        else if (!tavu::plot::WritePlotFile(run.analysis, o.plotPath, error)) {
            std::cerr << "tavu-solve: cannot write " << o.plotPath << ": " << error << "\n";
            status = ExitCannotWrite;
        }
    }
    if (!o.pdfPath.empty()) {
        if (!run.solved)
            std::cerr << "tavu-solve: no results to print; " << o.pdfPath << " not written\n";
        else if (!tavu::plot::WriteListingsPdf(run.analysis, ModelFileName(o.modelPath), o.pdfPath,
                                               error)) {
            std::cerr << "tavu-solve: cannot write " << o.pdfPath << ": " << error << "\n";
            status = ExitCannotWrite;
        }
    }
    return status;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (const int status = ParseOptions(argc, argv, o); status >= 0)
        return status;

    std::string text;
    if (!ReadModelFile(o.modelPath, text)) {
        std::cerr << "tavu-solve: cannot read " << o.modelPath << "\n";
        return tavu::ExitUnreadable;
    }

    tavu::BatchRun run;
    tavu::RunBatch(run, text, o.scalars);
    if (!run.outOfMemory.empty())
        std::cerr << "tavu-solve: " << run.outOfMemory << "\n";
    int status = tavu::ExitStatusOf(run);
    // The reports, then the files: without memory for them, what could not be written
    // gives the status.
    bool printed = false;
    try {
        const std::string out = o.json ? tavu::BatchJson(run) : tavu::BatchText(run);
        std::fwrite(out.data(), 1, out.size(), stdout);
        printed = true;
#if defined(TAVU_WITH_PLOT)
        if (!o.plotPath.empty() || !o.pdfPath.empty())
            status = WriteFiles(run, o, status);
#endif
    } catch (const std::bad_alloc&) {
        std::cerr << "tavu-solve: " << tavu::DiagnosticMessage(tavu::Msg::NoMemoryForListings, 0, 0)
                  << "\n";
        return printed ? ExitCannotWrite : ExitOutputFailed;
    }
    return status;
}
