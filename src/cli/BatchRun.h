#pragma once
// tavu-solve's run: the three steps through the solution driver, as the summary window
// would run them with Continue pressed after each, and the text and JSON reports.

#include "common/Analysis.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tavu {

enum class BatchStatus
{
    Solved,
    ModelError,
    DecompositionFailed,
    SolutionFailed, // the load step: a load or a result is not finite, or no memory
};

struct BatchRun
{
    Analysis analysis;
    BatchStatus status = BatchStatus::ModelError;
    std::string readText;         // after step 1
    std::string decompositionLog; // LogText after step 2, "" when it did not run
    std::string loadLog;          // LogText after step 3, "" when it did not run
    std::string outOfMemory;      // "Not enough memory for ..." when a step ran out of it
    bool solved = false;
};

// Exit statuses of tavu-solve.
inline constexpr int ExitSolved = 0;
inline constexpr int ExitModelError = 1;
inline constexpr int ExitDecompositionFailed = 2;
inline constexpr int ExitSolutionFailed = 3;
inline constexpr int ExitUsage = 64;
inline constexpr int ExitUnreadable = 66;

// Called after each step with its name ("model", "decomposition", "load cases").
using StepDone = std::function<void(const char* step)>;

// Runs the model text (any line ends) with the factorization analysis.SolverChoice names; the
// analysis keeps the text as the buffer of its lines. scalars fill the scalars dialog's
// boxes in order; boxes without a value keep "1.0".
void RunBatch(BatchRun& run, std::string modelText, const std::vector<double>& scalars,
              const StepDone& stepDone = {});

int ExitStatusOf(const BatchRun& run);

// The text report: the summary texts after each step, then the four listings, each a
// title line and the listing as Copy gives it. Lines end in "\n". Written as it is made:
// no listing is held whole.
void WriteBatchText(std::ostream& out, const BatchRun& run);
std::string BatchText(const BatchRun& run);

// The JSON report (its keys are described in the README), written grid by grid and
// element by element.
void WriteBatchJson(std::ostream& out, const BatchRun& run);
std::string BatchJson(const BatchRun& run);

// x as the JSON report writes a number: the shortest digits that read back as x, laid out
// as nlohmann::json lays out a double ("0.0", "-2.5", "1e-05", "1.5e+20", "12.0"); "null"
// for a value that is not finite.
void AppendJsonNumber(std::string& out, double x);

// "1.5,2,0" -> {1.5, 2, 0}; nullopt when a value is not a finite number.
std::optional<std::vector<double>> ParseScalars(const std::string& list);

} // namespace tavu
