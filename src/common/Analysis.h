#pragma once
// The state of one analysis: the program's tables, grouped by the subsystem that owns
// them, held in one Analysis object that every operation takes by reference.
//
// This header is data only. Operations live with their subsystem (model, solver, loads,
// results, driver) and only ever call downward; every subsystem reads these tables, so
// their declarations sit at the bottom.

#include <array>
#include <string>
#include <vector>

#include "common/Table.h"

namespace tavu {

// How far the model has got; selects the step that runs next.
enum StageValue : int
{
    ModelPending = 0,
    ModelRead = 1,
    Decomposed = 2,
    Solved = 3,
};

struct SolutionState
{
    int Stage = ModelPending;
    bool LinesStale = true;  // ModelLines no longer matches the editor text
    int SubcaseCount = 0;    // SUBCASE records counted by SplitModelText
    int EndModelLine = 0;    // line of the ENDMODEL record; 0 until a model was read
    int TransformFlag = 0;   // 0 none, 1 some grid is turned/eliminated, 2 penalty dofs
    std::string FatalText;   // numbered diagnostics, each line followed by CR LF
};

// The editor text cut at every CR LF into lines 1..LineCount, trimmed of blanks (0x20
// only); entry 0 stays empty.
struct ModelText
{
    std::vector<std::string> ModelLines{std::string()};
    int LineCount = 0;
};

// The two report texts shown in the summary window; lines separated by CR LF.
struct ProcessingSummary
{
    std::string ReadText; // model processing
    std::string LogText;  // decomposition and load cases
};

// Scalar per subcase: entry 0 (loads before any SUBCASE) is 1.0, 1..10 per subcase.
using LoadScalarArray = std::array<double, 11>;

// What the decomposition step changes of the model as read: the elimination renumbers
// the equations and shrinks the store, the quad element replaces E, nu, G by its material
// factor and adds into the quad table. Its first run after a model reading keeps these
// here, so that a repeated run (after a failed decomposition) starts from the same model.
struct ModelAsRead
{
    bool saved = false;
    int NEQ = 0;
    Table<int> GridEquations;   // (0..nGrids, 0..3): GridInt slots 1..3
    Vec<long long> DiagPos;     // (1..NEQ+1)
    Table<double> QuadMaterial; // (0..nQuads, 0..3): QuadReal slots 4..6 (E, nu, G)
};

// Slots of GridInt / GridReal / BeamInt / BeamReal / QuadInt / QuadReal are documented
// where they are written (the model reader and the elements).
struct ModelStore
{
    int nGrids = 0, nBeams = 0, nQuads = 0, nSprgRecords = 0;
    int maxGridId = 0, maxBeamId = 0, maxQuadId = 0, maxPropId = 0, maxMatlId = 0;
    int NEQ = 0;      // equations: free and prescribed-displacement dofs
    int DOFTOTAL = 0; // highest dof number; restrained dofs count down from it

    Table<double> GridReal; // (0..nGrids, 0..6): x, y, axis angle, springs on dof 1..3
    Table<int> GridInt;     // (0..nGrids, 0..4): dof codes / equation numbers, axisCode
    Table<double> BeamReal; // (0..nBeams, 0..13)
    Table<int> BeamInt;     // (0..nBeams, 0..3): id, grid A id, grid B id, kind
    Table<double> QuadReal; // (0..nQuads, 0..43)
    Table<int> QuadInt;     // (0..nQuads, 0..4): id, corner grid ids 1..4

    Vec<int> GridIndex; // (0..maxGridId) grid id -> grid index, 0 = none
    Vec<int> BeamIndex; // (0..maxBeamId)
    Vec<int> QuadIndex; // (0..maxQuadId)

    ModelAsRead AsRead; // kept by the decomposition step; emptied with the store
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

// Beam kinds (BeamInt slot 3).
enum BeamKind : int
{
    PlainBeam = 0,
    PinBeam = 1,
    BendBeam = 2,
    CurvBeam = 3,
    AxialLoadBeam = 4,
};

// The upper triangle of K by active columns, each column stored from its diagonal
// upward; after the decomposition the same positions hold D and the multipliers of L.
struct StiffnessProfile
{
    Vec<long long> DiagPos; // (1..NEQ+1): position of each column's diagonal
    Vec<double> KValues;    // (1..ProfileSize-1); position 1 is the spare slot
    long long ProfileSize = 0;
    int MaxActiveColumn = 0;
    int RmsActiveColumn = 0;
};

// Scratch of the quad element: the material factor and the scaled strain matrix of the
// quad and Gauss point last processed.
struct QuadWork
{
    std::array<double, 5> QuadFactor{};                   // 1..4: C11, C12, C22, C33
    std::array<std::array<double, 9>, 4> QuadStrain{};    // rows 1..3 by columns 1..8
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

struct ResultSet
{
    Vec<double> SolutionVector;   // (0..NEQ): load vector, then displacements
    Vec<double> Reactions;        // (0..DOFTOTAL): applied loads, then residuals/reactions
    Table<double> BeamEndForces;  // (0..nBeams, 0..6)
    QuadStressTable QuadStresses; // (0..nQuads, 1..3, 1..4)
    int CurrentSubcase = 0;
    std::array<double, 2> Gravity{};
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
    ModelStore Model;
    StiffnessProfile Profile;
    QuadWork Quad;
    ResultSet Results;
    ProgressSink* Progress = nullptr;
};

// Line i of the model text, or an empty line when i lies outside the text.
inline const std::string& ModelLine(const Analysis& a, long long i)
{
    static const std::string empty;
    if (i < 1 || i > a.Text.LineCount || i >= static_cast<long long>(a.Text.ModelLines.size()))
        return empty;
    return a.Text.ModelLines[static_cast<std::size_t>(i)];
}

} // namespace tavu
