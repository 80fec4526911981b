// Page 9's catalog widgets: what their clicks ask of the core, the pager's
// run and window of buttons, and which clicks on a tile count.
#include "base/catalog_views.h"

#include "ui/app_management_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/installed_app_list.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

class CatalogViewsTest : public UiTest {
  protected:
    CatalogViewsTest() {
        m_window->show();
        m_window->ShowPage(PageId::AppManagement);
    }

    AppManagementPage& page() { return m_window->appManagementPage(); }
    void clickAt(QWidget& widget, QPoint point) {
        QTest::mouseClick(&widget, Qt::LeftButton, {}, point);
    }
    void clickPager(const QRect& place) { clickAt(page().pager(), place.center()); }

    static CatalogTile Tile(const std::string& state) {
        CatalogTile tile;
        tile.name = "星空直播";
        tile.state = state;
        tile.downloadUrl = "http://127.0.0.1:8782/down/apk/com.xingkong.live_321.apk";
        return tile;
    }
};

TEST_F(CatalogViewsTest, ACategoryShowsItsListFromItsFirstPage) {
    page().showInstalledView();
    page().pager().setPages(3, 2);
    clickAt(page().leftList(), CatalogLeftList::categoryRow(3).center());
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"showCatalogCategory 3"});
    EXPECT_TRUE(page().isCatalogView());
    EXPECT_EQ(page().pager().pageCount(), 0) << "a new run of pages";
    EXPECT_EQ(page().leftList().selectedCategory(), 3);
}

TEST_F(CatalogViewsTest, TheActionEntriesShowTheInstalledList) {
    page().leftList().selectCategory(0);
    clickAt(page().leftList(),
            CatalogLeftList::actionRow(CatalogLeftList::Action::Upgrade).center());
    EXPECT_FALSE(page().isCatalogView());
    EXPECT_FALSE(page().installedList().isHidden());
    EXPECT_EQ(page().leftList().selectedCategory(), std::nullopt);
    EXPECT_EQ(page().leftList().selectedAction(), CatalogLeftList::Action::Upgrade);
    clickAt(page().leftList(),
            CatalogLeftList::actionRow(CatalogLeftList::Action::Uninstall).center());
    // The header is no entry.
    clickAt(page().leftList(), {77, 25});
    EXPECT_EQ(m_actions.calls(),
              (std::vector<std::string>{"showUpgradeList", "loadInstalledApps"}));
    EXPECT_EQ(page().leftList().selectedAction(), CatalogLeftList::Action::Uninstall);
    // Back to a category, no action entry stays chosen.
    clickAt(page().leftList(), CatalogLeftList::categoryRow(2).center());
    EXPECT_EQ(page().leftList().selectedAction(), std::nullopt);
}

TEST_F(CatalogViewsTest, ThePagerMovesItsSelectionAndAsksForThePage) {
    CatalogPager& pager = page().pager();
    struct Case {
        int pages;
        int selected;
        const char* click;  // "previous", "next" or the index of a page button
        int buttonIndex;
        int asked;
    };
    const Case cases[] = {
        {12, 7, "next", 0, 8},    {12, 7, "previous", 0, 6},
        {12, 7, "button", 0, 5},                         // the window shows 5 … 9
        {12, 7, "button", 4, 9},  {3, 3, "next", 0, 3},  // the last page stays, and loads again
        {3, 1, "previous", 0, 1}, {3, 1, "button", 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.click) + " from " + std::to_string(c.selected));
        pager.setPages(c.pages, c.selected);
        const std::string click = c.click;
        clickPager(click == "next"       ? pager.nextRect()
                   : click == "previous" ? pager.previousRect()
                                         : pager.pageButtonRect(c.buttonIndex));
        ASSERT_FALSE(m_actions.calls().empty());
        EXPECT_EQ(m_actions.calls().back(), "showCatalogPage " + std::to_string(c.asked));
        EXPECT_EQ(pager.selectedPage(), c.asked);
    }
}

TEST_F(CatalogViewsTest, ThePagersWindowFollowsTheSelection) {
    CatalogPager& pager = page().pager();
    const struct {
        int pages;
        int selected;
        int first;
        int last;
    } cases[] = {{12, 1, 1, 5}, {12, 7, 5, 9}, {12, 12, 8, 12}, {3, 2, 1, 3}, {0, 0, 1, 0}};
    for (const auto& c : cases) {
        pager.setPages(c.pages, c.selected);
        EXPECT_EQ(pager.firstShown(), c.first) << c.pages << "/" << c.selected;
        EXPECT_EQ(pager.lastShown(), c.last) << c.pages << "/" << c.selected;
    }
    // Without pages a click asks for nothing.
    clickPager(pager.nextRect());
    EXPECT_TRUE(m_actions.calls().empty());
}

TEST_F(CatalogViewsTest, OnlyTheButtonOfATileInInstallCounts) {
    m_screen->addCatalogTile(1, Tile("安装"));
    m_screen->addCatalogTile(2, Tile("已安装"));
    m_screen->addCatalogTile(3, Tile("下载中"));
    CatalogTileGrid& grid = page().tileGrid();
    clickAt(grid, CatalogTileGrid::cellRect(1).topLeft() + QPoint(50, 50));  // its icon
    clickAt(grid, CatalogTileGrid::buttonRect(2).center());
    clickAt(grid, CatalogTileGrid::buttonRect(3).center());
    clickAt(grid, CatalogTileGrid::buttonRect(5).center());  // no tile there
    EXPECT_TRUE(m_actions.calls().empty());
    clickAt(grid, CatalogTileGrid::buttonRect(1).center());
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"downloadCatalogApp 1"});
}

TEST_F(CatalogViewsTest, TheScreenSetsTilesStatesAndTheUpgradeCount) {
    m_screen->addCatalogTile(4, Tile("安装"));
    m_screen->setCatalogTileState(4, "安装中");
    EXPECT_EQ(page().catalogTileState(4), "安装中");
    EXPECT_EQ(m_screen->catalogTile(4)->state, "安装中");
    EXPECT_EQ(m_screen->catalogTile(5), std::nullopt);
    EXPECT_EQ(m_screen->upgradeCount(), 0) << "none until set";
    EXPECT_EQ(page().leftList().count(CatalogLeftList::Action::Upgrade), -1);
    m_screen->setUpgradeCount(2);
    EXPECT_EQ(m_screen->upgradeCount(), 2);
    m_screen->clearCatalogTiles();
    EXPECT_EQ(page().tileGrid().count(), 0);
}

TEST_F(CatalogViewsTest, AppManagementOpensOnTheFirstCategory) {
    m_window->ShowPage(PageId::Home);
    page().showInstalledView();
    clickButton(PageButton::AppManagementTile);
    EXPECT_EQ(page().leftList().selectedCategory(), 0);
    EXPECT_TRUE(page().isCatalogView());
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"enterAppManagement"});
}

}  // namespace
}  // namespace qvpc::ui::test
