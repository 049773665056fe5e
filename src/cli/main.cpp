// tavu-solve: runs a model file through the three steps of a solution and prints the
// reports and result listings, as text or as one JSON document; on request it also
// writes the plot of the model (PNG or SVG), the printed listings (PDF), and the results
// for ParaView (VTU) and spreadsheets (CSV).
//
// No file is ever lost to it: the model is only read, and an output that names the model,
// another output or anything but a regular file is refused before anything is written.

#include "BatchRun.h"
#include "CommandLine.h"
#include "driver/Commands.h"
#include "driver/Driver.h"
#include "model/Diagnostics.h"
#include "model/Tokenizer.h"
#include "results/Listings.h"
#include "results/PlotGeometry.h"
#include "results/ResultExport.h"
#include "solver/BlasThreads.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <iostream>
#include <new>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(TAVU_WITH_PLOT)
#include "plot/PlotExport.h"
#endif

namespace {

const char* const Usage =
    "usage: tavu-solve [--json] [--scalars S1,S2,...] [--solver auto|skyline|sparse]\n"
    "                  [--plot FILE.png|FILE.svg [--view deformed|axial|shear|moment|sx|sy|sxy|\n"
    "                                            principal|vonmises]]\n"
    "                  [--pdf FILE.pdf] [--vtu FILE.vtu] [--csv DIR] MODEL.tav\n";

// A file could not be written (sysexits' EX_CANTCREAT), or standard output could not
// (EX_IOERR).
constexpr int ExitCannotWrite = 73;
constexpr int ExitOutputFailed = 74;

int Fail(int status, const std::string& message)
{
    std::cerr << "tavu-solve: " << message << "\n";
    return status;
}

int UsageError(const std::string& message)
{
    std::cerr << "tavu-solve: " << message << "\n" << Usage;
    return tavu::ExitUsage;
}

// With TAVU_STAGE_TIMES set (to anything but 0), each stage of the run tells on stderr how
// long it took (wall clock and processor time of the process) and the peak resident memory
// of the run so far:
//   tavu-solve: stage model 0.412 s (cpu 0.398 s), peak 203 MB
class StageTimes
{
public:
    StageTimes()
    {
        const char* env = std::getenv("TAVU_STAGE_TIMES");
        on_ = env != nullptr && *env != '\0' && std::string_view(env) != "0";
        Sample(wall_, cpu_, peak_);
    }

    void Done(const char* stage)
    {
        if (!on_)
            return;
        double wall = 0, cpu = 0;
        long peak = 0;
        Sample(wall, cpu, peak);
        std::fprintf(stderr, "tavu-solve: stage %s %.3f s (cpu %.3f s), peak %ld MB\n", stage,
                     wall - wall_, cpu - cpu_, peak / 1024);
        wall_ = wall;
        cpu_ = cpu;
    }

private:
    static void Sample(double& wall, double& cpu, long& peakKb)
    {
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                   .count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
        cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        peakKb = usage.ru_maxrss;
    }

    bool on_ = false;
    double wall_ = 0, cpu_ = 0;
    long peak_ = 0;
};

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
    tavu::SolverPath solver = tavu::SolverPath::Auto;
    std::string plotPath, pdfPath, vtuPath, csvDir, modelPath;
    std::string view; // of --plot; empty for the deformed shape

    // The files of --csv: DIR/deflections.csv, ...
    std::vector<std::string> CsvPaths() const
    {
        std::vector<std::string> paths;
        if (!csvDir.empty())
            for (int kind = tavu::DeflectionsKind; kind <= tavu::QuadStressesKind; ++kind)
                paths.push_back(csvDir + "/" + tavu::CsvFileNames[static_cast<std::size_t>(kind)]);
        return paths;
    }
};

bool HasExtension(const std::string& path, std::string_view upperExtension)
{
    const std::size_t dot = path.find_last_of('.');
    return dot != std::string::npos && path.find('/', dot) == std::string::npos &&
           tavu::WordIs(std::string_view(path).substr(dot + 1), upperExtension);
}

// Reads the command line into o; returns an exit status when the run should end here
// (usage error or --help), or -1 to go on.
int ParseOptions(int argc, char** argv, Options& o)
{
    // clang-format off
    static const option options[] = {{"json", no_argument, nullptr, 'j'},
                                     {"scalars", required_argument, nullptr, 's'},
                                     {"plot", required_argument, nullptr, 'p'},
                                     {"pdf", required_argument, nullptr, 'f'},
                                     {"solver", required_argument, nullptr, 'S'},
                                     {"view", required_argument, nullptr, 'V'},
                                     {"vtu", required_argument, nullptr, 'v'},
                                     {"csv", required_argument, nullptr, 'c'},
                                     {"help", no_argument, nullptr, 'h'},
                                     {nullptr, 0, nullptr, 0}};
    // clang-format on
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
        case 'S': {
            const auto solver = tavu::ParseSolver(optarg);
            if (!solver)
                return UsageError(std::string("--solver is auto, skyline or sparse: ") + optarg);
            o.solver = *solver;
            break;
        }
        case 'p':
            o.plotPath = optarg;
            break;
        case 'f':
            o.pdfPath = optarg;
            break;
        case 'V': {
            tavu::PlotView view{};
            if (std::string(optarg) == "model" || !tavu::ViewFromWord(optarg, view))
                return UsageError(std::string("--view is deformed, axial, shear, moment, sx, sy, "
                                              "sxy, principal or vonmises: ") +
                                  optarg);
            o.view = optarg;
            break;
        }
        case 'v':
            o.vtuPath = optarg;
            break;
        case 'c':
            o.csvDir = optarg;
            break;
        case 'h':
            std::cout << Usage;
            return 0;
        default:
            return UsageError(tavu::RefusedOptionText(argc, argv));
        }
    }
    if (const std::string error = tavu::SingleFileError(argc, "model"); !error.empty())
        return UsageError(error);
    if (!o.view.empty() && o.plotPath.empty())
        return UsageError("--view chooses the picture of --plot");

    if (!o.vtuPath.empty() && !HasExtension(o.vtuPath, "VTU"))
        return UsageError("--vtu writes a .vtu file: " + o.vtuPath);
#if defined(TAVU_WITH_PLOT)
    if (!o.plotPath.empty() && !tavu::plot::IsPlotFileName(o.plotPath))
        return UsageError("--plot writes a .png or .svg file: " + o.plotPath);
    if (!o.pdfPath.empty() && !tavu::plot::IsPdfFileName(o.pdfPath))
        return UsageError("--pdf writes a .pdf file: " + o.pdfPath);
#else
    if (!o.plotPath.empty() || !o.pdfPath.empty())
        return UsageError(std::string(!o.plotPath.empty() ? "--plot" : "--pdf") +
                          " is not available in this build (built without Qt)");
#endif
    o.modelPath = argv[optind];
    return -1;
}

std::string SystemError()
{
    return std::strerror(errno);
}

// The whole model file. It must be a regular file (a FIFO or a device could block or
// never end; it is opened without waiting for a writer) of at most 2 GB.
// Returns an exit status, or -1 when the text was read; st is the file's status.
int ReadModelFile(const std::string& path, std::string& text, struct stat& st)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(tavu::ExitUnreadable, "cannot read " + path + ": " + SystemError());
    int status = -1;
    if (fstat(fd, &st) != 0)
        status = Fail(tavu::ExitUnreadable, "cannot read " + path + ": " + SystemError());
    else if (S_ISDIR(st.st_mode))
        status = Fail(tavu::ExitUnreadable, path + " is a directory, not a model file");
    else if (!S_ISREG(st.st_mode))
        status = Fail(tavu::ExitUnreadable, path + " is not a regular file");
    else if (st.st_size > tavu::MaxBatchModelFileBytes)
        status = Fail(tavu::ExitUnreadable, path + " is larger than " +
                                                std::to_string(tavu::MaxBatchModelFileBytes >> 20) +
                                                " MB, more than a model can be");
    for (char buffer[65536]; status < 0;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || text.size() + static_cast<std::size_t>(n) >
                         static_cast<std::size_t>(tavu::MaxBatchModelFileBytes))
            status = Fail(tavu::ExitUnreadable, "cannot read " + path + ": " +
                                                    (n < 0 ? SystemError() : "it grew too large"));
        else
            text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return status;
}

// The outputs may be written: each is a new file or a regular file that is neither the
// model nor another output (compared as files, whatever path names them), and the folder
// of --csv is a folder or new. Returns an exit status, or -1 when they may.
int CheckOutputs(const Options& o, const struct stat& model)
{
    tavu::OutputGuard guard;
    guard.Protect("the model file " + o.modelPath, model);
    std::vector<std::string> paths{o.plotPath, o.pdfPath, o.vtuPath};
    for (const std::string& path : o.CsvPaths())
        paths.push_back(path);
    for (const std::string& path : paths)
        if (const std::string refusal = guard.Refusal(path); !refusal.empty())
            return Fail(ExitCannotWrite, "refusing to write " + path + ": " + refusal);
    struct stat st
    {
    };
    if (!o.csvDir.empty() && stat(o.csvDir.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        return Fail(ExitCannotWrite, "refusing to write " + o.csvDir + ": it is not a folder");
    return -1;
}

// The results for other programs (of a solution); returns the exit status, which a file
// that cannot be written turns into ExitCannotWrite.
int WriteExports(const tavu::BatchRun& run, const Options& o, int status)
{
    if (!run.solved) {
        for (const std::string* path : {&o.vtuPath, &o.csvDir})
            if (!path->empty())
                std::cerr << "tavu-solve: no results to export; " << *path << " not written\n";
        return status;
    }
    const auto write = [&status](const std::string& path, auto content) {
        const std::string error = tavu::WriteFileWhole(path, content);
        if (!error.empty())
            status = Fail(ExitCannotWrite, "cannot write " + path + ": " + error);
    };
    if (!o.vtuPath.empty())
        write(o.vtuPath, [&run](std::ostream& out) { tavu::WriteVtu(out, run.analysis); });
    if (o.csvDir.empty())
        return status;
    if (mkdir(o.csvDir.c_str(), 0777) != 0 && errno != EEXIST)
        return Fail(ExitCannotWrite, "cannot write " + o.csvDir + ": " + SystemError());
    const std::vector<std::string> paths = o.CsvPaths();
    for (int kind = tavu::DeflectionsKind; kind <= tavu::QuadStressesKind; ++kind)
        write(paths[static_cast<std::size_t>(kind - tavu::DeflectionsKind)],
              [&run, kind](std::ostream& out) { tavu::WriteCsv(out, run.analysis, kind); });
    return status;
}

// Writes the report to standard output as it is made, so that its size never adds to the
// memory of the run; false (with a message) when that fails.
bool WriteReport(const tavu::BatchRun& run, bool json, bool outputOpen)
{
    if (!outputOpen) {
        Fail(ExitOutputFailed, "cannot write the report: standard output is closed");
        return false;
    }
    if (json)
        tavu::WriteBatchJson(std::cout, run);
    else
        tavu::WriteBatchText(std::cout, run);
    if (!std::cout.flush() || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Fail(ExitOutputFailed, "cannot write the report to standard output: " + SystemError());
        return false;
    }
    return true;
}

#if defined(TAVU_WITH_PLOT)
// The plot (of a model that was read) and the printed listings (of a solution); returns
// the exit status, which a file that cannot be written turns into ExitCannotWrite.
int WriteFiles(const tavu::BatchRun& run, const Options& o, int status)
{
    const tavu::plot::BatchGui gui;
    std::string error;
    if (!o.plotPath.empty()) {
        if (run.analysis.State.Stage == tavu::ModelPending)
            std::cerr << "tavu-solve: the model could not be read; " << o.plotPath
                      << " not written\n";
        else if (!tavu::plot::WritePlotFile(run.analysis, o.plotPath, o.view, error))
            status = Fail(ExitCannotWrite, "cannot write " + o.plotPath + ": " + error);
    }
    if (!o.pdfPath.empty()) {
        if (!run.solved)
            std::cerr << "tavu-solve: no results to print; " << o.pdfPath << " not written\n";
        else if (!tavu::plot::WriteListingsPdf(run.analysis, ModelFileName(o.modelPath), o.pdfPath,
                                               error))
            status = Fail(ExitCannotWrite, "cannot write " + o.pdfPath + ": " + error);
    }
    return status;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    tavu::StartBlasWithOneThread(argv);
    const bool outputOpen = tavu::HoldStandardDescriptors();
    Options o;
    if (const int status = ParseOptions(argc, argv, o); status >= 0)
        return status;

    StageTimes times;
    std::string text;
    struct stat model
    {
    };
    try {
        if (const int status = ReadModelFile(o.modelPath, text, model); status >= 0)
            return status;
    } catch (const std::bad_alloc&) {
        return Fail(tavu::ExitUnreadable, o.modelPath + " is too large for the memory");
    }
    if (const int status = CheckOutputs(o, model); status >= 0)
        return status;
    times.Done("read");

    tavu::BatchRun run;
    run.analysis.SolverChoice = o.solver;
    // The analysis keeps the text as the one buffer its lines are cut from.
    tavu::RunBatch(run, std::move(text), o.scalars,
                   [&times](const char* step) { times.Done(step); });
    if (!run.outOfMemory.empty())
        std::cerr << "tavu-solve: " << run.outOfMemory << "\n";
    int status = tavu::ExitStatusOf(run);
    // The report, then the files: without memory for them, what could not be written gives
    // the status.
    bool reported = false;
    try {
        reported = WriteReport(run, o.json, outputOpen);
        times.Done("report");
#if defined(TAVU_WITH_PLOT)
        if (!o.plotPath.empty() || !o.pdfPath.empty())
            status = WriteFiles(run, o, status);
#endif
        if (!o.vtuPath.empty() || !o.csvDir.empty())
            status = WriteExports(run, o, status);
    } catch (const std::bad_alloc&) {
        status =
            Fail(ExitCannotWrite, tavu::DiagnosticMessage(tavu::Msg::NoMemoryForListings, 0, 0));
    }
    // The report is what a caller reads first: losing it outweighs every other outcome.
    return reported ? status : ExitOutputFailed;
}
