#include "mesh/GmshImport.h"

#include "model/Tokenizer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <new>
#include <sys/stat.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

#if defined(TAVU_WITH_GMSH)
#include <gmsh.h>
#endif

namespace tavu::mesh {

namespace {

std::string_view Extension(std::string_view name)
{
    return name.size() < 4 || name[name.size() - 4] != '.' ? std::string_view()
                                                           : name.substr(name.size() - 3);
}

std::string FileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

MeshRead Failed(ReadFailure failure, std::string error)
{
    MeshRead r;
    r.failure = failure;
    r.error = std::move(error);
    return r;
}

// The file must be a regular file that can be opened: Gmsh itself passes over a file it
// cannot open without a word. Opened without waiting, so a FIFO never blocks.
MeshRead CheckFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failed(ReadFailure::Unreadable, "cannot read " + path + ": " + std::strerror(errno));
    struct stat st
    {
    };
    MeshRead r;
    if (fstat(fd, &st) != 0)
        r = Failed(ReadFailure::Unreadable, "cannot read " + path + ": " + std::strerror(errno));
    else if (S_ISDIR(st.st_mode))
        r = Failed(ReadFailure::Unreadable, path + " is a directory, not a mesh file");
    else if (!S_ISREG(st.st_mode))
        r = Failed(ReadFailure::Unreadable, path + " is not a regular file");
    close(fd);
    return r;
}

} // namespace

bool IsMeshFileName(std::string_view name)
{
    const std::string_view ext = Extension(name);
    return WordIs(ext, "GEO") || WordIs(ext, "MSH");
}

#if !defined(TAVU_WITH_GMSH)

bool MeshImportAvailable()
{
    return false;
}

MeshRead ReadMeshFile(const std::string& path)
{
    return Failed(ReadFailure::NotAvailable,
                  "cannot import " + path + ": this build has no mesh import (built without Gmsh)");
}

#else

namespace {

// The library's state lives from initialize to finalize: one session per file.
class GmshSession
{
public:
    GmshSession()
    {
        gmsh::initialize(0, nullptr, false);
        gmsh::option::setNumber("General.Terminal", 0);
    }
    ~GmshSession() { gmsh::finalize(); }
    GmshSession(const GmshSession&) = delete;
    GmshSession& operator=(const GmshSession&) = delete;
};

// The library reports errors by throwing their text.
template <class Body> bool Attempt(Body body, std::string& error)
{
    try {
        body();
        return true;
    } catch (const std::string& text) {
        error = text;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        gmsh::logger::getLastError(error);
    }
    if (error.empty())
        error = "Gmsh gave no reason";
    return false;
}

struct ElementKind
{
    std::string name;
    int dim = 0, order = 0, nodes = 0;
};

ElementKind KindOf(int type)
{
    ElementKind k;
    std::vector<double> local;
    int primary = 0;
    gmsh::model::mesh::getElementProperties(type, k.name, k.dim, k.order, k.nodes, local, primary);
    return k;
}

// Every element type of the mesh must be a point, a line, a triangle or a quadrangle of
// the first order; returns the reason when one is not.
std::string CheckElementTypes(const std::string& path)
{
    std::vector<int> types;
    gmsh::model::mesh::getElementTypes(types);
    for (const int type : types) {
        const ElementKind k = KindOf(type);
        if (k.dim == 3)
            return path + " holds a volume mesh (" + k.name +
                   "): only plane meshes can be imported";
        if (k.order > 1)
            return path + " holds second-order elements (" + k.name +
                   "): only first-order elements can be imported (Mesh.ElementOrder = 1)";
        if (k.nodes > 4 || (k.dim == 2 && k.nodes < 3) || (k.dim == 1 && k.nodes != 2))
            return path + " holds elements of a kind that cannot be imported (" + k.name + ")";
    }
    return {};
}

// The elements of dimension dim in entity tag, appended to cells.
void AppendCells(int dim, int tag, std::vector<MeshCell>& cells)
{
    std::vector<int> types;
    std::vector<std::vector<std::size_t>> elementTags, nodeTags;
    gmsh::model::mesh::getElements(types, elementTags, nodeTags, dim, tag);
    for (std::size_t t = 0; t < types.size(); ++t) {
        const int n = KindOf(types[t]).nodes;
        if (n < 1 || n > 4)
            continue;
        const std::vector<std::size_t>& nodes = nodeTags[t];
        for (std::size_t at = 0; at + static_cast<std::size_t>(n) <= nodes.size();
             at += static_cast<std::size_t>(n)) {
            MeshCell c;
            c.nodes = n;
            std::copy_n(nodes.begin() + static_cast<std::ptrdiff_t>(at), n, c.node.begin());
            cells.push_back(c);
        }
    }
}

MeshGroup NamedGroup(int dim, int tag)
{
    MeshGroup g;
    g.dim = dim;
    g.tag = tag;
    gmsh::model::getPhysicalName(dim, tag, g.name);
    return g;
}

// The surface groups with their elements: each surface's elements go to its first
// physical surface; without physical surfaces all of them form one group.
void ReadSurfaceGroups(Mesh& mesh)
{
    gmsh::vectorpair physical;
    gmsh::model::getPhysicalGroups(physical, 2);
    gmsh::vectorpair surfaces;
    gmsh::model::getEntities(surfaces, 2);
    if (physical.empty()) {
        MeshGroup all;
        all.dim = 2;
        for (const auto& [dim, tag] : surfaces)
            AppendCells(dim, tag, all.cells);
        mesh.groups.push_back(std::move(all));
        return;
    }
    std::map<int, std::size_t> byTag;
    for (const auto& [dim, tag] : physical) {
        byTag[tag] = mesh.groups.size();
        mesh.groups.push_back(NamedGroup(dim, tag));
    }
    for (const auto& [dim, tag] : surfaces) {
        std::vector<int> groups;
        gmsh::model::getPhysicalGroupsForEntity(dim, tag, groups);
        if (!groups.empty()) {
            AppendCells(dim, tag,
                        mesh.groups[byTag[*std::min_element(groups.begin(), groups.end())]].cells);
            continue;
        }
        std::vector<MeshCell> cells;
        AppendCells(dim, tag, cells);
        mesh.leftOut += static_cast<long long>(cells.size());
    }
}

// The curve groups with their lines, the point groups with their nodes.
void ReadCurveAndPointGroups(Mesh& mesh)
{
    for (const int dim : {1, 0}) {
        gmsh::vectorpair physical;
        gmsh::model::getPhysicalGroups(physical, dim);
        for (const auto& [d, tag] : physical) {
            MeshGroup g = NamedGroup(d, tag);
            std::vector<int> entities;
            gmsh::model::getEntitiesForPhysicalGroup(d, tag, entities);
            for (const int entity : entities) {
                if (d == 1) {
                    AppendCells(d, entity, g.cells);
                    continue;
                }
                std::vector<std::size_t> nodes;
                std::vector<double> coord, parametric;
                gmsh::model::mesh::getNodes(nodes, coord, parametric, 0, entity, false, false);
                for (const std::size_t node : nodes)
                    g.cells.push_back(MeshCell{{node, 0, 0, 0}, 1});
            }
            mesh.groups.push_back(std::move(g));
        }
    }
}

// The read itself, in this process.
MeshRead ReadHere(const std::string& path)
{
    const GmshSession session;
    std::string error;
    if (!Attempt([&] { gmsh::open(path); }, error))
        return Failed(ReadFailure::Unreadable, "cannot read " + path + ": " + error);
    std::vector<int> types;
    gmsh::model::mesh::getElementTypes(types);
    if (types.empty() && WordIs(Extension(path), "GEO") &&
        !Attempt([] { gmsh::model::mesh::generate(2); }, error))
        return Failed(ReadFailure::NotImportable, "cannot mesh " + path + ": " + error);

    MeshRead r;
    r.mesh.source = FileName(path);
    if (!Attempt(
            [&] {
                error = CheckElementTypes(path);
                if (!error.empty())
                    return;
                std::vector<double> coord, parametric;
                gmsh::model::mesh::getNodes(r.mesh.nodeTags, coord, parametric, -1, -1, false,
                                            false);
                const std::size_t n = r.mesh.nodeTags.size();
                r.mesh.x.resize(n);
                r.mesh.y.resize(n);
                r.mesh.z.resize(n);
                for (std::size_t i = 0; i < n && 3 * i + 2 < coord.size(); ++i) {
                    r.mesh.x[i] = coord[3 * i];
                    r.mesh.y[i] = coord[3 * i + 1];
                    r.mesh.z[i] = coord[3 * i + 2];
                }
                ReadSurfaceGroups(r.mesh);
                ReadCurveAndPointGroups(r.mesh);
            },
            error))
        return Failed(ReadFailure::Unreadable, "cannot read " + path + ": " + error);
    if (!error.empty())
        return Failed(ReadFailure::NotImportable, error);
    return r;
}

// A read passed from the process that made it to the one that asked, through a pipe: the
// fields one after the other, each vector after its length.
class Message
{
public:
    std::string bytes;

    template <class T> void Put(const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    template <class T> void Put(const std::vector<T>& values)
    {
        Put(values.size());
        if (!values.empty())
            bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
    }
    void Put(const std::string& text)
    {
        Put(text.size());
        bytes += text;
    }

    template <class T> bool Get(T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (bytes.size() - at < sizeof value)
            return false;
        std::memcpy(&value, bytes.data() + at, sizeof value);
        at += sizeof value;
        return true;
    }
    template <class T> bool Get(std::vector<T>& values)
    {
        std::size_t n = 0;
        if (!Get(n) || n > (bytes.size() - at) / sizeof(T))
            return false;
        values.resize(n);
        if (n > 0)
            std::memcpy(values.data(), bytes.data() + at, n * sizeof(T));
        at += n * sizeof(T);
        return true;
    }
    bool Get(std::string& text)
    {
        std::size_t n = 0;
        if (!Get(n) || n > bytes.size() - at)
            return false;
        text.assign(bytes, at, n);
        at += n;
        return true;
    }
    bool AtEnd() const { return at == bytes.size(); }

private:
    std::size_t at = 0;
};

Message Encode(const MeshRead& r)
{
    Message m;
    m.Put(r.failure);
    m.Put(r.error);
    m.Put(r.mesh.source);
    m.Put(r.mesh.nodeTags);
    m.Put(r.mesh.x);
    m.Put(r.mesh.y);
    m.Put(r.mesh.z);
    m.Put(r.mesh.leftOut);
    m.Put(r.mesh.groups.size());
    for (const MeshGroup& g : r.mesh.groups) {
        m.Put(g.dim);
        m.Put(g.tag);
        m.Put(g.name);
        m.Put(g.cells);
    }
    return m;
}

bool Decode(Message& m, MeshRead& r)
{
    std::size_t groups = 0;
    if (!(m.Get(r.failure) && m.Get(r.error) && m.Get(r.mesh.source) && m.Get(r.mesh.nodeTags) &&
          m.Get(r.mesh.x) && m.Get(r.mesh.y) && m.Get(r.mesh.z) && m.Get(r.mesh.leftOut) &&
          m.Get(groups)))
        return false;
    for (std::size_t k = 0; k < groups; ++k) {
        MeshGroup g;
        if (!(m.Get(g.dim) && m.Get(g.tag) && m.Get(g.name) && m.Get(g.cells)))
            return false;
        r.mesh.groups.push_back(std::move(g));
    }
    return m.AtEnd();
}

// The reading process's exit status when it ran out of memory.
constexpr int NoMemoryStatus = 3;

bool WriteAll(int fd, const std::string& bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool MeshImportAvailable()
{
    return true;
}

// Gmsh's readers stop the process on some damaged files (an element naming a node tag
// beyond 32 bits, for one) instead of throwing: the file is read in a child process, so
// that such a file is refused with a message and the program, with the model in its
// editor, goes on.
MeshRead ReadMeshFile(const std::string& path)
{
    if (MeshRead checked = CheckFile(path); checked.failure != ReadFailure::None)
        return checked;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return ReadHere(path);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ReadHere(path);
    }
    if (child == 0) {
        // Nothing may leave this block: the caller's code must not go on in the child.
        close(fds[0]);
        int status = 1;
        try {
            status = WriteAll(fds[1], Encode(ReadHere(path)).bytes) ? 0 : 1;
        } catch (const std::bad_alloc&) {
            status = NoMemoryStatus;
        } catch (...) {
        }
        _exit(status);
    }
    close(fds[1]);
    Message m;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        m.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return Failed(ReadFailure::Unreadable, "cannot read " + path + ": Gmsh failed on it (" +
                                                   strsignal(WTERMSIG(status)) + ")");
    if (WIFEXITED(status) && WEXITSTATUS(status) == NoMemoryStatus)
        return Failed(ReadFailure::Unreadable, "cannot read " + path + ": not enough memory");
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return Failed(ReadFailure::Unreadable, "cannot read " + path +
                                                   ": Gmsh failed on it (exit status " +
                                                   std::to_string(WEXITSTATUS(status)) + ")");
    MeshRead r;
    if (!WIFEXITED(status) || !Decode(m, r))
        return Failed(ReadFailure::Unreadable,
                      "cannot read " + path + ": the reading process ended without its mesh");
    return r;
}

#endif

} // namespace tavu::mesh
