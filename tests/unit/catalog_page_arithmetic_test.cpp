#include <gtest/gtest.h>

#include "services/catalog_page.h"

namespace qvpc {
namespace {

TEST(CatalogPageArithmetic, PagesAndTilesOfAList) {
    struct Case {
        int total;
        int pages;
        int page;
        int tiles;
    };
    const Case cases[] = {
        {18, 2, 2, 9}, {19, 3, 3, 1}, {9, 1, 1, 9},  {4, 1, 1, 4},
        {0, 0, 1, 0},  {19, 3, 4, 0}, {19, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        EXPECT_EQ(CatalogPageCount(c.total), c.pages);
        EXPECT_EQ(TilesOnPage(c.total, c.page), c.tiles);
    }
}

TEST(CatalogPageArithmetic, TotalsReadAsTheirLeadingDigits) {
    const std::pair<std::string, int> cases[] = {
        {"19", 19}, {" 7 apps", 7}, {"many", 0}, {"", 0}, {"-3", 0}, {"99999999999", 1'000'000},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TotalValue(text), value) << text;
    }
}

}  // namespace
}  // namespace qvpc
