#pragma once
// Helpers of the intake tests: model texts from lines, and the model-processing step run
// the way the driver runs it.

#include "common/Analysis.h"
#include "driver/Driver.h"

#include <ostream>
#include <string>
#include <vector>

namespace tavu::testing_intake {

inline std::string JoinCrlf(const std::vector<std::string>& lines)
{
    std::string s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            s += "\r\n";
        s += lines[i];
    }
    return s;
}

// A summary window that only remembers whether Continue was disabled.
class QuietWindow : public SummaryWindow
{
public:
    void SetTitle(const std::string&) override {}
    void ShowText(const std::string& t) override { text = t; }
    void DisableContinue() override { continueDisabled = true; }
    void FocusContinue() override {}
    void FocusCancel() override {}
    void TurnContinueIntoFinish() override {}
    bool AskLoadScalars(Analysis&) override { return true; }
    void Close() override {}
    void FocusEditor() override {}

    std::string text;
    bool continueDisabled = false;
};

// Splits the lines into the model text and runs model processing through the driver.
// Returns true when the step succeeded (Stage 1).
inline bool ProcessModel(Analysis& a, const std::vector<std::string>& lines)
{
    SplitModelText(a, JoinCrlf(lines));
    QuietWindow w;
    return RunModelProcessing(a, w, nullptr);
}

// The equation numbers of the grid with this id (u, v, rotation), or {-99,-99,-99} when
// the id names no grid.
struct Equations
{
    int u, v, r;
    bool operator==(const Equations&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Equations& e)
{
    return os << "(" << e.u << ", " << e.v << ", " << e.r << ")";
}
inline Equations EquationsOf(const Analysis& a, int id)
{
    const int g = GridIndexOf(a.Model, id);
    if (g == 0)
        return {-99, -99, -99};
    return {a.Model.GridInt(g, 1), a.Model.GridInt(g, 2), a.Model.GridInt(g, 3)};
}

} // namespace tavu::testing_intake
