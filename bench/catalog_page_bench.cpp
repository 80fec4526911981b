// A catalog page of nine tiles from servicesim, as page 9 shows it: cold (a
// data folder and database never used: the list, nine icons, nine rows)
// and warm (the same page again: the list only, no icon downloaded).
#include <cstdio>
#include <memory>

#include "base/catalog_views.h"
#include "bench_rows.h"
#include "support/catalog_rig.h"

namespace {

constexpr const char* kRecommended = "tjlist.php?chanel=kestrunebox";

}  // namespace

int main() {
    std::vector<double> cold;
    int coldIcons = 0;
    for (int i = 0; i < 15; ++i) {
        auto rig = std::make_unique<qvpc::test::CatalogRig>();
        cold.push_back(MedianMs(
            1, [&] { rig->parts.catalogPage.showCatalogPage(std::string(kRecommended), 1); }));
        coldIcons = rig->hits("icon");
    }
    std::sort(cold.begin(), cold.end());
    char note[64];
    std::snprintf(note, sizeof note, "%d icons downloaded", coldIcons);
    PrintRow("catalog page of 9 tiles, cold", cold[cold.size() / 2], 0, note);

    qvpc::test::CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kRecommended), 1);
    rig.sim.clearHits();
    const double warm =
        MedianMs(100, [&] { rig.parts.catalogPage.showCatalogPage(std::nullopt, 1); });
    std::snprintf(note, sizeof note, "%d icons downloaded in 100 showings", rig.hits("icon"));
    PrintRow("catalog page of 9 tiles, warm", warm, 0, note);
    return rig.screen.catalogTiles().size() == 9 ? 0 : 1;
}
