// libFuzzer target of the whole pipeline: model text -> the three steps as tavu-solve runs
// them -> the text and JSON reports, the listings in both stress forms, the printed pages
// and the plot. Any crash, sanitizer report or failed index check is a finding.

#include "BatchRun.h"
#include "results/Listings.h"
#include "results/PlotGeometry.h"
#include "results/PrintLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Larger inputs only make each run slower; the fuzzer explores better below this.
constexpr std::size_t MaxInputBytes = 64 * 1024;

void ReportsOf(const tavu::BatchRun& run)
{
    const tavu::Analysis& a = run.analysis;
    volatile std::size_t sink = tavu::BatchText(run).size() + tavu::BatchJson(run).size();
    if (a.State.Stage == tavu::ModelPending)
        return;
    sink = sink + tavu::LayoutModelText(a, "fuzz.tav", 60).Pages.size();
    const tavu::PlotModel plot = tavu::BuildPlotModel(a);
    const tavu::PlotPicture picture = tavu::DrawPlot(plot, 20, true);
    sink = sink +
           tavu::PlotSvg(picture, tavu::WorldWindowFor(plot, 640, 480, 96, 96), 640, 480).size();
    if (!run.solved)
        return;
    for (int kind = tavu::DeflectionsKind; kind <= tavu::QuadStressesKind; ++kind) {
        sink = sink + tavu::ResultText(a, kind, true).size();
        sink = sink + tavu::LayoutResults(a, kind, kind == tavu::QuadStressesKind, "fuzz.tav", 60)
                          .Pages.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > MaxInputBytes)
        return -1; // not added to the corpus
    const std::string text(reinterpret_cast<const char*>(data), size);
    tavu::BatchRun run;
    tavu::RunBatch(run, text, {2.0, -0.5});
    ReportsOf(run);
    return 0;
}
