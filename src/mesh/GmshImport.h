#pragma once
// Reading a mesh through the Gmsh library: a .geo geometry is meshed (quadrangles where it
// asks for recombination, triangles otherwise), a .msh file (format 2 or 4, ASCII or
// binary) is read as it is. Without Gmsh in the build every read fails with a message
// that says so.

#include "mesh/MeshData.h"

#include <string>
#include <string_view>

namespace tavu::mesh {

enum class ReadFailure
{
    None,
    Unreadable,    // missing, not a regular file, or Gmsh could not read it
    NotImportable, // read, but no plane mesh of first-order elements
    NotAvailable,  // this build has no Gmsh
};

struct MeshRead
{
    Mesh mesh;
    ReadFailure failure = ReadFailure::None;
    std::string error; // the message, naming the file
};

// True when this build reads meshes.
bool MeshImportAvailable();

// True for a name ending in ".geo" or ".msh" in any letter case.
bool IsMeshFileName(std::string_view name);

MeshRead ReadMeshFile(const std::string& path);

} // namespace tavu::mesh
