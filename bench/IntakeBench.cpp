// The model-processing step on large generated models: SplitModelText, PreScanModel,
// ReadModel (all passes and the numbering) and BuildProfile, timed per line; and the
// classification of the lines that colours them in the editor.
//
//   bench_intake [--benchmark_filter=...]
//
// items_per_second is lines per second.

#include "ModelGenerator.h"
#include "driver/Driver.h"
#include "model/Keywords.h"
#include "model/PreScan.h"
#include "model/Reader.h"
#include "solver/Profile.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {

using tavu::bench::GeneratedModel;

enum Kind
{
    Plate = 0,
    Frame = 1,
};

const GeneratedModel& Model(Kind kind, int lines)
{
    static std::map<std::pair<int, int>, GeneratedModel> cache;
    auto it = cache.find({kind, lines});
    if (it == cache.end())
        it = cache
                 .emplace(std::make_pair(kind, lines), kind == Plate
                                                           ? tavu::bench::GeneratePlateModel(lines)
                                                           : tavu::bench::GenerateFrameModel(lines))
                 .first;
    return it->second;
}

// The whole intake, as the driver runs it; fails the benchmark if the model is rejected.
void RunIntake(tavu::Analysis& a, const GeneratedModel& m, benchmark::State& state)
{
    tavu::SplitModelText(a, m.text);
    tavu::PreScanModel(a);
    if (!a.State.FatalText.empty() || !tavu::ReadModel(a) || !tavu::BuildProfile(a)) {
        state.SkipWithError(a.State.FatalText.substr(0, 200).c_str());
        return;
    }
    benchmark::DoNotOptimize(a.Profile.ProfileSize);
}

void BM_Intake(benchmark::State& state)
{
    const GeneratedModel& m =
        Model(static_cast<Kind>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        tavu::Analysis a;
        RunIntake(a, m, state);
        state.PauseTiming(); // the tables are freed outside the timing
        a = tavu::Analysis();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * m.lines);
    state.counters["ns_per_line"] = benchmark::Counter(
        static_cast<double>(m.lines),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["lines"] = m.lines;
}

// The stages one by one, each on the state the stages before it leave.
void BM_Stage(benchmark::State& state)
{
    const GeneratedModel& m = Model(Plate, static_cast<int>(state.range(1)));
    const int stage = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        tavu::Analysis a;
        if (stage > 0)
            tavu::SplitModelText(a, m.text);
        if (stage > 1)
            tavu::PreScanModel(a);
        if (stage > 2)
            tavu::ReadModel(a);
        state.ResumeTiming();
        switch (stage) {
        case 0:
            tavu::SplitModelText(a, m.text);
            break;
        case 1:
            tavu::PreScanModel(a);
            break;
        case 2:
            tavu::ReadModel(a);
            break;
        default:
            tavu::BuildProfile(a);
            break;
        }
        state.PauseTiming();
        a = tavu::Analysis();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * m.lines);
    state.SetLabel(stage == 0   ? "SplitModelText"
                   : stage == 1 ? "PreScanModel"
                   : stage == 2 ? "ReadModel"
                                : "BuildProfile");
}

// The editor's colouring: every line of the model classified once, as when a file is
// loaded (an edit classifies only its own lines).
void BM_ClassifyLines(benchmark::State& state)
{
    const GeneratedModel& m =
        Model(static_cast<Kind>(state.range(0)), static_cast<int>(state.range(1)));
    std::size_t spans = 0;
    for (auto _ : state) {
        std::string_view rest = m.text;
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find("\r\n"), rest.size());
            spans += tavu::ClassifyLine(rest.substr(0, end)).size();
            rest.remove_prefix(std::min(end + 2, rest.size()));
        }
    }
    benchmark::DoNotOptimize(spans);
    state.SetItemsProcessed(state.iterations() * m.lines);
}

} // namespace

BENCHMARK(BM_ClassifyLines)
    ->ArgsProduct({{Plate, Frame}, {100000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Intake)
    ->ArgsProduct({{Plate, Frame}, {100000, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Stage)
    ->ArgsProduct({{0, 1, 2, 3}, {100000, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
