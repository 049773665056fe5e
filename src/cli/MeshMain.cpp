// tavu-mesh: makes a Gmsh geometry (.geo, meshed here) or mesh (.msh) into the text of a
// model, written to a file or to standard output; the import report goes to standard
// error. The model is not solved: its PROP and MATL records, supports and loads are for the
// user to fill in.
//
// An existing model is never replaced without --force, and the mesh file never.

#include "CommandLine.h"
#include "driver/Commands.h"
#include "mesh/GmshImport.h"
#include "mesh/MeshModel.h"

#include <cstdio>
#include <getopt.h>
#include <iostream>
#include <new>
#include <sys/stat.h>

namespace {

const char* const Usage = "usage: tavu-mesh [--force] GEOMETRY.geo|MESH.msh [-o MODEL.tav]\n";

// sysexits: usage, data that cannot be made into a model, unreadable input, an output that
// cannot be written, standard output that cannot.
constexpr int ExitUsage = 64;
constexpr int ExitNotImportable = 65;
constexpr int ExitUnreadable = 66;
constexpr int ExitCannotWrite = 73;
constexpr int ExitOutputFailed = 74;

int Fail(int status, const std::string& message)
{
    std::cerr << "tavu-mesh: " << message << "\n";
    return status;
}

int UsageError(const std::string& message)
{
    std::cerr << "tavu-mesh: " << message << "\n" << Usage;
    return ExitUsage;
}

struct Options
{
    std::string inputPath, outputPath;
    bool force = false;
};

// Reads the command line into o; returns an exit status when the run should end here, or
// -1 to go on.
int ParseOptions(int argc, char** argv, Options& o)
{
    static const option options[] = {{"output", required_argument, nullptr, 'o'},
                                     {"force", no_argument, nullptr, 'F'},
                                     {"help", no_argument, nullptr, 'h'},
                                     {nullptr, 0, nullptr, 0}};
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, "o:", options, nullptr);
        if (c == -1)
            break;
        switch (c) {
        case 'o':
            o.outputPath = optarg;
            break;
        case 'F':
            o.force = true;
            break;
        case 'h':
            std::cout << Usage;
            return 0;
        default:
            return UsageError(tavu::RefusedOptionText(argc, argv));
        }
    }
    if (const std::string error = tavu::SingleFileError(argc, "mesh"); !error.empty())
        return UsageError(error);
    o.inputPath = argv[optind];
    if (!tavu::mesh::IsMeshFileName(o.inputPath))
        return UsageError("tavu-mesh reads a .geo or .msh file: " + o.inputPath);
    if (!o.outputPath.empty() && !tavu::IsModelFileName(o.outputPath))
        return UsageError("-o writes a .tav model file: " + o.outputPath);
    return -1;
}

// The model file may be written: it is not the mesh file, nor anything but a regular file,
// and an existing one only with --force. Returns an exit status, or -1 when it may.
int CheckOutput(const Options& o)
{
    if (o.outputPath.empty())
        return -1;
    tavu::OutputGuard guard;
    struct stat st
    {
    };
    if (stat(o.inputPath.c_str(), &st) == 0)
        guard.Protect("the mesh file " + o.inputPath, st);
    const std::string refused = "refusing to write " + o.outputPath + ": ";
    if (const std::string refusal = guard.Refusal(o.outputPath); !refusal.empty())
        return Fail(ExitCannotWrite, refused + refusal);
    if (!o.force && stat(o.outputPath.c_str(), &st) == 0)
        return Fail(ExitCannotWrite, refused + "it exists (--force replaces it)");
    return -1;
}

int Import(const Options& o, bool outputOpen)
{
    const tavu::mesh::MeshRead read = tavu::mesh::ReadMeshFile(o.inputPath);
    if (read.failure == tavu::mesh::ReadFailure::NotImportable)
        return Fail(ExitNotImportable, read.error);
    if (read.failure != tavu::mesh::ReadFailure::None)
        return Fail(ExitUnreadable, read.error);
    const tavu::mesh::ImportResult imported = tavu::mesh::ImportMesh(read.mesh);
    if (!imported.ok)
        return Fail(ExitNotImportable, "cannot import " + o.inputPath + ": " + imported.error);
    const std::string& text = imported.model.text;
    if (!o.outputPath.empty()) {
        const std::string error = tavu::WriteFileWhole(
            o.outputPath, [&text](std::ostream& out) { out.write(text.data(), text.size()); });
        if (!error.empty())
            return Fail(ExitCannotWrite, "cannot write " + o.outputPath + ": " + error);
    } else if (!outputOpen) {
        return Fail(ExitOutputFailed, "cannot write the model: standard output is closed");
    } else if (!std::cout.write(text.data(), static_cast<std::streamsize>(text.size())).flush() ||
               std::fflush(stdout) != 0) {
        return Fail(ExitOutputFailed, "cannot write the model to standard output");
    }
    for (const std::string& line : imported.model.summary)
        std::cerr << line << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool outputOpen = tavu::HoldStandardDescriptors();
    Options o;
    if (const int status = ParseOptions(argc, argv, o); status >= 0)
        return status;
    if (const int status = CheckOutput(o); status >= 0)
        return status;
    try {
        return Import(o, outputOpen);
    } catch (const std::bad_alloc&) {
        return Fail(ExitNotImportable, o.inputPath + " is too large for the memory");
    }
}
