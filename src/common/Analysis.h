#pragma once
// The state of one analysis: the program's tables, grouped by the subsystem that owns
// them, held in one Analysis object that every operation takes by reference.
//
// This header is data only. Operations live with their subsystem (model, solver, loads,
// results, driver) and only ever call downward; every subsystem reads these tables, so
// their declarations sit at the bottom.

#include "common/Table.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavu {

// How far the model has got; selects the step that runs next.
enum StageValue : int
{
    ModelPending = 0,
    ModelRead = 1,
    Decomposed = 2,
    Solved = 3,
};

// A message about input that the run reads on without: the line it is about (0 for none)
// and its text.
struct Warning
{
    int line = 0;
    std::string text;
};

struct SolutionState
{
    int Stage = ModelPending;
    bool LinesStale = true;            // ModelLines no longer matches the editor text
    int SubcaseCount = 0;              // SUBCASE records counted by SplitModelText
    int EndModelLine = 0;              // line of the ENDMODEL record; 0 until a model was read
    int TransformFlag = 0;             // 0 none, 1 some grid is turned/eliminated, 2 penalty dofs
    std::string FatalText;             // numbered diagnostics, each line followed by CR LF
    std::vector<Warning> FatalLines;   // the diagnostics about a line, in FatalText's order
    std::vector<Warning> ReadWarnings; // of model processing, in line order
    std::vector<Warning> LoadWarnings; // of the load step, in line order
};

// The editor text cut at every CR LF into lines 1..LineCount, trimmed of blanks (0x20
// only); line 0 stays empty. The text is held once: each line is a stretch of it.
class ModelText
{
public:
    int LineCount = 0;

    // Takes text as the buffer the lines are cut from; no lines yet.
    void Reset(std::string text)
    {
        buffer_ = std::move(text);
        spans_.assign(1, Span{});
        LineCount = 0;
    }
    const std::string& Buffer() const { return buffer_; }
    void Reserve(std::size_t lines) { spans_.reserve(lines + 1); }
    // Adds the next line: `length` characters of the buffer from `start`.
    void AddLine(std::size_t start, std::size_t length)
    {
        TAVU_ASSERT(start <= buffer_.size() && length <= buffer_.size() - start);
        spans_.push_back({start, length});
        LineCount = static_cast<int>(spans_.size()) - 1;
    }
    // Line i, or an empty line outside 1..LineCount.
    std::string_view Line(long long i) const
    {
        if (i < 1 || i > LineCount || i >= static_cast<long long>(spans_.size()))
            return {};
        const Span& s = spans_[static_cast<std::size_t>(i)];
        return std::string_view(buffer_).substr(s.start, s.length);
    }

private:
    struct Span
    {
        std::size_t start = 0, length = 0;
    };
    std::string buffer_;
    std::vector<Span> spans_{Span{}};
};

// The two report texts shown in the summary window; lines separated by CR LF.
struct ProcessingSummary
{
    std::string ReadText; // model processing
    std::string LogText;  // decomposition and load cases
};

// Scalar per subcase: entry 0 (loads before any SUBCASE) is 1.0, 1..10 per subcase.
using LoadScalarArray = std::array<double, 11>;

// Beam kinds: the option of a BEAM record, and AxialLoadBeam for a beam whose PROP gives
// an axial compressive load.
enum BeamKind : int
{
    PlainBeam = 0,
    PinBeam = 1,
    BendBeam = 2,
    CurvBeam = 3,
    AxialLoadBeam = 4,
};

// Grid axis codes: how a grid's dofs relate to its own axes.
enum AxisCode : int
{
    PolarAxes = -1, // a POLAR grid whose dofs stay in x-y
    NoAxisTurn = 0, // dofs in x-y (or in the grid's axes for loads and results only)
    EliminateU = 1, // turned into the grid's axes, its u eliminated
    EliminateV = 2, // turned, its v eliminated
    TurnOnly = 3,   // turned, one of u and v prescribed
};

// A grid's dofs, as they index its springs and equation numbers.
enum DofIndex : int
{
    DofU = 1,
    DofV = 2,
    DofR = 3, // the rotation
};

// Equation numbers of dofs 1..3 (u, v, rotation; entry 0 unused): 0 no dof, 1..NEQ free,
// -1..-NEQ prescribed displacement (held by a 1.0E+99 diagonal), above NEQ restrained
// (a reaction slot up to DOFTOTAL).
using DofEquations = std::array<int, 4>;

// One GRID record, as read and numbered.
struct GridRow
{
    double x = 0, y = 0;            // position; POLAR and EQ grids resolved
    double axisAngle = 0;           // radians, counter-clockwise: the grid's dof axes
    std::array<double, 4> spring{}; // 1..3: grounded spring stiffness on dof 1..3
    DofEquations equation{};        // from the numbering
    int axisCode = NoAxisTurn;      // AxisCode
    int line = 0;                   // of the record in the model text
};

// One BEAM record, its geometry and its stiffness coefficients.
struct BeamRow
{
    int id = 0;
    int gridA = 0, gridB = 0; // grid ids
    int kind = PlainBeam;     // the record's option
    int propId = 0, matlId = 0;
    double offsetA = 0, offsetB = 0; // end offsets across the beam

    double length = 0; // between the offset ends
    double angle = 0;  // radians, counter-clockwise from x, from end A to end B

    // The coefficient step. A beam of length 0 is a set of springs: kA, k2 and k4 hold the
    // PROP's area, inertia and shear term as given.
    int elementKind = PlainBeam;           // kind, or AxialLoadBeam
    double kA = 0, k2 = 0, k3 = 0, k4 = 0; // axial, transverse, coupling, rotational
    double phi = 0;                        // shear deformation parameter 12 I / (As L^2)
    double expansion = 0, density = 0;     // of the material
    double axialLoad = 0;                  // P of an axial-load beam
    double u = 0;                          // its stability parameter (L/2) sqrt(P / EI)
    int line = 0;                          // of the record in the model text
};

// A PIN member of length > 0 is fixed at end A and hinged at end B: its transverse
// stiffness k2 acts on the one mode vB - vA - L rA, so end A's rotation is held by the
// member and end B's is free. A PIN beam of length 0 is a set of springs like any other.
inline bool IsPinMember(const BeamRow& b)
{
    return b.elementKind == PinBeam && b.length != 0;
}

// One QUAD record (a triangle repeats its third grid as the fourth) and its material.
struct QuadRow
{
    int id = 0;
    std::array<int, 5> grid{}; // 1..4: corner grid ids
    int propId = 0, matlId = 0;

    double thickness = 0;
    double modulus = 0, poisson = 0, shearModulus = 0; // as the material mode gives them
    double expansion = 0;                              // as the material mode gives it
    double density = 0;
    int line = 0; // of the record in the model text
};

// A triangle is a quad whose fourth corner repeats its third.
inline bool IsTriangle(const QuadRow& q)
{
    return q.grid[3] == q.grid[4];
}

struct ModelStore
{
    int nGrids = 0, nBeams = 0, nQuads = 0, nSprgRecords = 0;
    int maxGridId = 0, maxBeamId = 0, maxQuadId = 0, maxPropId = 0, maxMatlId = 0;
    int NEQ = 0;      // equations of the numbering: free and prescribed-displacement dofs
    int DOFTOTAL = 0; // highest dof number; restrained dofs count down from it

    Vec<GridRow> Grids; // (0..nGrids) by grid index
    Vec<BeamRow> Beams; // (0..nBeams) by beam index
    Vec<QuadRow> Quads; // (0..nQuads) by quad index

    // Id -> index maps, 0 = none; memory by the records, whatever the largest id.
    IdRows<int> GridIndex; // (0..maxGridId) grid id -> grid index
    IdRows<int> BeamIndex; // (0..maxBeamId)
    IdRows<int> QuadIndex; // (0..maxQuadId)
};

// Lookups of an id that may come from the model text: anything outside the map is 0.
inline int GridIndexOf(const ModelStore& m, long long id)
{
    return m.GridIndex.Has(id) && id >= 1 ? m.GridIndex(id) : 0;
}
inline int BeamIndexOf(const ModelStore& m, long long id)
{
    return m.BeamIndex.Has(id) && id >= 1 ? m.BeamIndex(id) : 0;
}
inline int QuadIndexOf(const ModelStore& m, long long id)
{
    return m.QuadIndex.Has(id) && id >= 1 ? m.QuadIndex(id) : 0;
}

// The upper triangle of K by active columns, each column stored from its diagonal
// upward; after the decomposition the same positions hold D and the multipliers of L.
struct StiffnessProfile
{
    Vec<long long> DiagPos; // (1..NEQ+1): position of each column's diagonal
    Vec<double> KValues;    // (1..ProfileSize-1); position 1 is the spare slot
    long long ProfileSize = 0;
    int MaxActiveColumn = 0;
    int RmsActiveColumn = 0;
    long long MemoryAvailable = -1; // bytes free when the profile was laid out; -1 unknown
};

// What the assembly keeps of a quad for its loads and stresses: the factor of its material
// matrix and its element stiffness.
struct QuadStiffnessRow
{
    std::array<double, 5> factor{};  // 1..4: C11, C12, C22, C33
    std::array<double, 36> packed{}; // upper triangle by rows, 6 or 8 dofs
};

// Which factorization the decomposition step uses: the active-column store (the skyline
// L*D*Lt), the sparse path (a fill-reducing order and CHOLMOD's supernodal L*Lt), or the
// one whose predicted cost is smaller.
enum class SolverPath : int
{
    Auto = 0,
    Skyline = 1,
    Sparse = 2,
};

class SparseSystem; // the sparse path's matrices and factor (solver)

// The system the decomposition step builds from the model's numbering and profile: the dofs
// held in turned axes have no equation in it (they are numbered above its NEQ), so its
// equations and store are those of the model without them. Everything after the
// decomposition addresses the dofs through it.
struct EquationSystem
{
    bool built = false;
    int NEQ = 0;
    Vec<DofEquations> GridEquations;    // (0..nGrids)
    StiffnessProfile Store;             // DiagPos(1..NEQ+1) and the stiffness, then factors
    Vec<QuadStiffnessRow> QuadMatrices; // (0..nQuads)
    // The path this system was built for; on the sparse path Store stays empty and Sparse
    // holds the stiffness and its factor.
    SolverPath Path = SolverPath::Skyline;
    std::shared_ptr<SparseSystem> Sparse;
};

// Equation number of dof d (1..3) of grid index g in the system; 0 outside it.
inline int SystemEquation(const EquationSystem& s, long long g, int d)
{
    return s.GridEquations.Has(g) && d >= 1 && d <= 3 ? s.GridEquations(g)[d] : 0;
}

// Scratch of the quad element: the material factor and the scaled strain matrix of the
// quad and Gauss point last processed.
struct QuadWork
{
    std::array<double, 5> QuadFactor{};                // 1..4: C11, C12, C22, C33
    std::array<std::array<double, 9>, 4> QuadStrain{}; // rows 1..3 by columns 1..8
};

// The load records' input for one beam: its transverse load and the initial deformation
// of end B against end A, in the beam's axes.
struct BeamLoadRow
{
    double qA = 0, qB = 0; // transverse load per unit length at A and B
    double elongation = 0, deflection = 0, rotation = 0;
};

// The load records' input for one quad.
struct QuadLoadRow
{
    std::array<double, 5> pressureStart{}, pressureEnd{}; // 1..4: edge from corner k
    std::array<double, 5> temperature{};                  // 1..4: at corner k
};

// Axial force, shear and moment at end A and at end B, by BeamForce; entry 0 unused.
using BeamForces = std::array<double, 7>;
enum BeamForce : std::size_t
{
    AxialA = 1,
    ShearA = 2,
    MomentA = 3,
    AxialB = 4,
    ShearB = 5,
    MomentB = 6,
};

// Stress components, as they index QuadStressTable.
enum StressComponent : int
{
    StressX = 1,
    StressY = 2,
    StressXY = 3,
};

// Stress component c (1..3) at integration point p (1..4) of quad q.
class QuadStressTable
{
public:
    void Create(int nQuads) { data_.Create(nQuads, 15); }
    double& operator()(int q, int c, int p) { return data_(q, (c - 1) * 4 + (p - 1)); }
    double operator()(int q, int c, int p) const { return data_(q, (c - 1) * 4 + (p - 1)); }
    int LastRow() const { return data_.LastRow(); }

private:
    Table<double> data_;
};

// The distributed load along a beam, gravity included, in the beam's axes: axial per unit
// length, and transverse (positive to the left of A->B) at A and B, linear between them.
struct BeamSpanLoad
{
    double pa = 0;
    double qA = 0, qB = 0;
};

// The load case: the records' input, scaled and summed over the subcases, and the
// element terms computed from it.
struct LoadSet
{
    int CurrentSubcase = 0;
    std::array<double, 2> Gravity{};
    Vec<BeamLoadRow> BeamLoads;     // (0..nBeams)
    Vec<QuadLoadRow> QuadLoads;     // (0..nQuads)
    Vec<BeamForces> FixedEndForces; // (0..nBeams): of the loads, beam ends held
    Vec<BeamSpanLoad> SpanLoads;    // (0..nBeams): what the fixed-end forces come from
    // (0..nGrids): Fx, Fy, M of the LOAD records at each grid, in x-y, scaled and summed.
    Vec<std::array<double, 3>> GridLoads;
    QuadStressTable InitialStress; // (0..nQuads): -D eps0 of a temperature load
};

struct ResultSet
{
    Vec<double> SolutionVector;    // (0..NEQ): load vector, then displacements
    Vec<double> Reactions;         // (0..DOFTOTAL): applied loads, then residuals/reactions
    Vec<BeamForces> BeamEndForces; // (0..nBeams)
    QuadStressTable QuadStresses;  // (0..nQuads, 1..3, 1..4)
    double ErrorMeasure = 0;
};

// Where long-running steps show their progress; the windows implement it, the batch
// front end and the tests leave it empty.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    // The summary window's text box while elements are processed.
    virtual void ShowProgressText(const std::string&) {}
    // Part 2 of the main window's status bar while the model is read ("Process n").
    virtual void ShowReadProgress(int /*line*/) {}
};

struct Analysis
{
    SolutionState State;
    ModelText Text;
    ProcessingSummary Summary;
    LoadScalarArray LoadScalars{1.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // The scalars as the user last typed them, by subcase number: kept across runs of the
    // same model (the desktop program forgets them when another model is opened).
    std::array<std::string, 11> TypedScalars{};
    ModelStore Model;
    StiffnessProfile Profile;                   // built for the model's numbering
    SolverPath SolverChoice = SolverPath::Auto; // the setting: which path the step takes
    long long MemoryForStiffness = -1; // bytes the stiffness may take; -1: what is available
    EquationSystem System;
    QuadWork Quad;
    LoadSet Loads;
    ResultSet Results;
    ProgressSink* Progress = nullptr;
};

// Line i of the model text, or an empty line when i lies outside the text.
inline std::string_view ModelLine(const Analysis& a, long long i)
{
    return a.Text.Line(i);
}

} // namespace tavu
