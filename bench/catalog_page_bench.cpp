// A catalog page of nine tiles from servicesim, as page 9 shows it: cold (a
// data folder and database never used: the list, nine icons and nine rows)
// and warm (the same page again: the list only, no icon downloaded).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "base/catalog_views.h"
#include "support/catalog_rig.h"

namespace {

constexpr const char* kRecommended = "tjlist.php?chanel=kestrunebox";

void BM_CatalogPageCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<qvpc::test::CatalogRig>();
        state.ResumeTiming();
        rig->parts.catalogPage.showCatalogPage(std::string(kRecommended), 1);
        state.PauseTiming();
        state.counters["icons downloaded"] = rig->hits("icon");
        state.counters["tiles"] = static_cast<double>(rig->screen.catalogTiles().size());
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CatalogPageCold)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CatalogPageWarm(benchmark::State& state) {
    qvpc::test::CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kRecommended), 1);
    rig.sim.clearHits();
    for (auto _ : state) {
        rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
    }
    state.counters["icons downloaded"] = rig.hits("icon");
    state.counters["list fetches"] =
        benchmark::Counter(rig.hits("list"), benchmark::Counter::kAvgIterations);
    state.counters["tiles"] = static_cast<double>(rig.screen.catalogTiles().size());
}
BENCHMARK(BM_CatalogPageWarm)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
