// Page 9's installed-app list: what a click on a row reports to the core and
// which row it selects, the rows the core reads back and marks done, the
// scrolling, and pictures of the list as the listings fill it.
#include "ui/installed_app_list.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <fstream>
#include <iterator>

#include "page_snapshots.h"
#include "ui/app_management_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/installed_app_rows.h"

namespace qvpc::ui::test {
namespace {

std::string IconBytes(const std::string& package) {
    std::ifstream file(QVPC_BUILD_DIR "/tools/servicesim/catalog/icons/" + package + ".png",
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

InstalledAppRow Row(const std::string& name, const std::string& action,
                    const std::string& icon = {}) {
    InstalledAppRow row;
    row.icon = icon;
    row.name = name;
    row.version = "3.2.1";
    row.size = "12.6M";
    row.action = action;
    row.downloadUrl = action == "更新" ? "http://127.0.0.1:8782/down/apk/app.apk" : "";
    row.packageName = "com.example.tv";
    return row;
}

// The core's test of a click point against a button: left ≤ x < left +
// width and top ≤ y < top + height.
bool Inside(const RowRect& r, int x, int y) {
    return r.left <= x && x < r.left + r.width && r.top <= y && y < r.top + r.height;
}

class InstalledListFixture {
  protected:
    explicit InstalledListFixture(MainWindow& window) : m_page(window.appManagementPage()) {
        m_page.showInstalledView();
        m_page.leftList().selectCategory(std::nullopt);
    }

    InstalledAppList& list() { return m_page.installedList(); }
    InstalledAppRows& rows() { return list().rows(); }
    QScrollBar& scrollBar() { return *rows().findChild<QScrollBar*>(); }

    // A point given in the coordinates of the row at a 1-based position, in
    // the rows' widget as it is scrolled now.
    QPoint inRows(int position, QPoint rowPoint) {
        return rowPoint +
               QPoint(0, (position - 1) * InstalledAppRows::kRowHeight - rows().scrollOffset());
    }
    void clickRow(int position, QPoint rowPoint) {
        QTest::mouseClick(&rows(), Qt::LeftButton, {}, inRows(position, rowPoint));
    }
    void wheel(int notches, QPoint at) {
        QWheelEvent event(at, rows().mapToGlobal(at), {}, {0, -120 * notches}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&rows(), &event);
    }

    AppManagementPage& m_page;
};

class InstalledAppListTest : public UiTest, public InstalledListFixture {
  protected:
    InstalledAppListTest() : InstalledListFixture(*m_window) {
        m_window->show();
        m_screen->ShowPage(PageId::AppManagement);
    }

    void fill(int count) {
        m_screen->clearAppRows();
        for (int i = 1; i <= count; ++i) {
            m_screen->addAppRow(Row("应用" + std::to_string(i), i % 2 ? "卸载" : "更新"));
        }
    }
    std::string lastCall() {
        const std::vector<std::string> calls = m_actions.calls();
        return calls.empty() ? "nothing" : calls.back();
    }
};

TEST_F(InstalledAppListTest, AClickReportsItsRowAndThePointInTheRow) {
    fill(3);
    const RowRect b = m_screen->appRowButton(2);
    ASSERT_GT(b.width, 0);
    EXPECT_EQ(m_screen->appRowButton(1), b) << "every row's button is in the same place";
    const struct {
        const char* where;
        int x;
        int y;
        bool inside;
    } cases[] = {
        {"its left and top edge", b.left, b.top, true},
        {"its last pixel", b.left + b.width - 1, b.top + b.height - 1, true},
        {"its right edge", b.left + b.width, b.top + b.height / 2, false},
        {"its bottom edge", b.left + b.width / 2, b.top + b.height, false},
        {"left of it", b.left - 1, b.top + b.height / 2, false},
        {"the row's name", InstalledAppRows::kNameLeft + 10, 50, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        clickRow(2, {c.x, c.y});
        EXPECT_EQ(lastCall(),
                  "onInstalledRowClick 2 " + std::to_string(c.x) + " " + std::to_string(c.y));
        EXPECT_EQ(Inside(b, c.x, c.y), c.inside);
        EXPECT_EQ(m_screen->selectedAppRow(), 2);
    }
    // The first and the last pixel line of a row are that row's.
    clickRow(3, {10, 0});
    EXPECT_EQ(lastCall(), "onInstalledRowClick 3 10 0");
    clickRow(1, {10, InstalledAppRows::kRowHeight - 1});
    EXPECT_EQ(lastCall(), "onInstalledRowClick 1 10 99");
    EXPECT_EQ(m_screen->selectedAppRow(), 1);
    // Under the last row there is none.
    const std::size_t before = m_actions.calls().size();
    clickRow(4, {b.left + 2, b.top + 2});
    EXPECT_EQ(m_actions.calls().size(), before);
    EXPECT_EQ(m_screen->selectedAppRow(), 1);
}

TEST_F(InstalledAppListTest, TheRowsScrollUnderTheHeader) {
    fill(3);
    EXPECT_TRUE(scrollBar().isHidden()) << "three rows fit";
    fill(9);
    EXPECT_FALSE(scrollBar().isHidden());
    const QPoint over = rows().rect().center();
    wheel(40, over);
    EXPECT_EQ(rows().scrollOffset(),
              9 * InstalledAppRows::kRowHeight - (404 - InstalledAppList::kHeaderHeight))
        << "down to the last row's bottom, no further";
    // The last row's button, now in sight, still reports the row's own point.
    const RowRect b = m_screen->appRowButton(9);
    clickRow(9, {b.left, b.top});
    EXPECT_EQ(lastCall(),
              "onInstalledRowClick 9 " + std::to_string(b.left) + " " + std::to_string(b.top));
    EXPECT_EQ(m_screen->selectedAppRow(), 9);
    wheel(-1, over);
    EXPECT_EQ(rows().scrollOffset(), 9 * 100 - 358 - 60);
    // A new listing starts at its top.
    fill(9);
    EXPECT_EQ(rows().scrollOffset(), 0);
}

TEST_F(InstalledAppListTest, TheCoreReadsRowsBackAndMarksThemDone) {
    // Fields as they come from a box and a server: kept byte for byte, only
    // drawn on one line.
    InstalledAppRow hostile = Row(std::string(100 * 1024, 'x') + "\r\n$(reboot)\"'`", "更新",
                                  std::string("\x89PNG\r\n\x1a\n cut short", 18));
    hostile.version = "1.0\n2.0";
    m_screen->clearAppRows();
    m_screen->addAppRow(Row("星空直播", "卸载", IconBytes("com.xingkong.live")));
    m_screen->addAppRow(hostile);
    EXPECT_EQ(m_screen->appRow(2), hostile);
    EXPECT_EQ(m_screen->appRow(1)->name, "星空直播");
    for (int missing : {0, 3, -1}) {
        EXPECT_EQ(m_screen->appRow(missing), std::nullopt) << missing;
        EXPECT_EQ(m_screen->appRowButton(missing), RowRect{}) << missing;
    }
    EXPECT_EQ(m_screen->selectedAppRow(), std::nullopt) << "none until a click";

    const RowRect b = m_screen->appRowButton(2);
    clickRow(2, {b.left + 5, b.top + 5});
    EXPECT_EQ(m_screen->selectedAppRow(), 2);
    m_screen->setAppRowState(2, AppRowState::Done);
    EXPECT_EQ(m_screen->appRow(2)->state, AppRowState::Done);
    EXPECT_EQ(m_screen->appRow(1)->state, AppRowState::Normal);
    // A done row's clicks still go to the core, which ignores them.
    clickRow(2, {b.left + 5, b.top + 5});
    EXPECT_EQ(lastCall(), "onInstalledRowClick 2 " + std::to_string(b.left + 5) + " " +
                              std::to_string(b.top + 5));

    // A selection does not outlive its listing: what finishes later for the
    // old row must not mark the row now at its place.
    m_screen->clearAppRows();
    EXPECT_EQ(m_screen->selectedAppRow(), std::nullopt);
    EXPECT_EQ(m_screen->appRow(1), std::nullopt);
    m_screen->setAppRowState(1, AppRowState::Done);  // no row: nothing to mark
}

// Pictures of the list as the uninstall and upgrade listings fill it, each
// checked for what its parts draw where: the header's captions and rule, each
// row's icon, texts and button in their columns, the finished rows' texts.
class InstalledListPictures : public PageSnapshots, public InstalledListFixture {
  protected:
    static constexpr QRgb kRule = 0xffefefef;
    static constexpr QRgb kGrey = 0xff666666;
    static constexpr QRgb kBlack = 0xff000000;

    InstalledListPictures() : InstalledListFixture(*m_window) {
        m_screen->ShowPage(PageId::AppManagement);
        m_window->show();
    }

    // The left list's entry chosen, as the user opens the listing.
    void choose(CatalogLeftList::Action action) {
        QTest::mouseClick(&m_page.leftList(), Qt::LeftButton, {},
                          CatalogLeftList::actionRow(action).center());
        QTest::mouseMove(m_window.get(), QPoint(5, 5));
    }

    // A rectangle of the row at a position, in the picture.
    QRect inRow(int position, const QRect& rowRect) {
        return at(rows(), rowRect.translated(inRows(position, {0, 0})));
    }
    QRect buttonOf(int position) {
        const RowRect b = m_screen->appRowButton(position);
        return inRow(position, QRect(b.left, b.top, b.width, b.height));
    }
    // A row's action column, short of the scroll bar.
    QRect column(int position) { return inRow(position, {586, 1, 116, 97}); }
    // The middle of a row's button, in the rows' widget.
    QPoint buttonMiddle(int position) {
        const RowRect b = m_screen->appRowButton(position);
        return inRows(position, QPoint(b.left + b.width / 2, b.top + b.height / 2));
    }

    // The header: each caption inside its 130-wide box 12 below the top, grey,
    // "操作" centred over the buttons, and the rule under it all across.
    void expectTheHeader(const QImage& image) {
        SCOPED_TRACE("header");
        const struct {
            int left;
            bool centred;
        } captions[] = {{140, false}, {326, false}, {460, false}, {586, true}};
        for (const auto& caption : captions) {
            SCOPED_TRACE(caption.left);
            const QRect box = at(list(), QRect(caption.left, 12, 130, 22));
            const QRect searched = at(list(), QRect(caption.left - 6, 0, 136, 44));
            EXPECT_TRUE(InkWithin(image, searched, box, kWhite, 40));
            EXPECT_FALSE(ColourBounds(image, box, kGrey, 24).isEmpty()) << "in #666666";
            if (caption.centred) {
                EXPECT_TRUE(CentredOn(InkBounds(image, box, kWhite, 40), box.center().x(), 3));
            } else {
                EXPECT_LT(InkBounds(image, box, kWhite, 40).left(), box.left() + 3);
            }
        }
        EXPECT_TRUE(InkBounds(image, at(list(), QRect(0, 0, 130, 44)), kWhite, 8).isEmpty())
            << "nothing over the icons";
        for (int x : {1, 358, 714}) {
            EXPECT_TRUE(PixelNear(image, at(list(), QPoint(x, 45)), kRule, 2)) << x;
        }
    }

    // A row drawn whole: its icon (or the neutral one) in its 75 x 75 square, the name
    // in black and the version and size in grey, each in its column, and the
    // rule under the row.
    void expectARow(const QImage& image, int position, bool icon) {
        SCOPED_TRACE("row " + std::to_string(position));
        const QRect square = inRow(position, {30, 12, 75, 75});
        const QRect iconArea = inRow(position, {0, 1, 138, 97});
        EXPECT_TRUE(InkWithin(image, iconArea, square, kWhite, 16));
        EXPECT_FALSE(InkBounds(image, square, kWhite, 16).isEmpty()) << "an icon, never a hole";
        if (icon) {
            EXPECT_GT(InkBounds(image, square, kWhite, 16).width(), 60) << "scaled to its square";
        }
        const QRect name = inRow(position, {140, 30, 172, 40});
        EXPECT_TRUE(InkWithin(image, inRow(position, {136, 1, 188, 97}), name, kWhite, 40))
            << "the name clear of the version's column";
        EXPECT_FALSE(ColourBounds(image, name, kBlack, 60).isEmpty()) << "the name black";
        for (const QRect& detail : {QRect(326, 30, 120, 40), QRect(460, 30, 112, 40)}) {
            const QRect shown = inRow(position, detail);
            EXPECT_TRUE(InkWithin(image, inRow(position, detail.adjusted(-3, -28, 10, 28)), shown,
                                  kWhite, 40))
                << detail.left();
            EXPECT_FALSE(ColourBounds(image, shown, kGrey, 30).isEmpty()) << detail.left();
        }
        EXPECT_TRUE(PixelNear(image, inRow(position, {358, 99, 1, 1}).topLeft(), kRule, 2))
            << "the rule under the row";
    }

    // The action column of a row that is not done: the button's green frame
    // on white with its green text, or under the pointer all green.
    void expectAButton(const QImage& image, int position, bool hot) {
        SCOPED_TRACE("button of row " + std::to_string(position));
        const QRect b = buttonOf(position);
        EXPECT_TRUE(InkWithin(image, column(position), b, kWhite, 16))
            << "the button alone in its column";
        if (hot) {
            EXPECT_TRUE(FaceAt(image, b, kGreen));
            EXPECT_FALSE(ColourBounds(image, b.adjusted(3, 3, -3, -3), kWhite, 40).isEmpty())
                << "white text";
        } else {
            EXPECT_TRUE(PixelNear(image, QPoint(b.left(), b.center().y()), kGreen, 40));
            EXPECT_TRUE(PixelNear(image, QPoint(b.left() + 4, b.center().y()), kWhite, 4));
            EXPECT_FALSE(ColourBounds(image, b.adjusted(3, 3, -3, -3), kGreen, 40).isEmpty())
                << "green text";
        }
    }

    // A finished row: no button, a green check and the grey text centred
    // together in the column.
    void expectDone(const QImage& image, int position) {
        SCOPED_TRACE("done row " + std::to_string(position));
        const QRect column = this->column(position);
        const QRect b = buttonOf(position);
        EXPECT_TRUE(PixelNear(image, QPoint(b.center().x(), b.top()), kWhite, 4)) << "no frame";
        EXPECT_TRUE(PixelNear(image, QPoint(b.left() + 3, b.bottom()), kWhite, 4)) << "no frame";
        const QRect ink = InkBounds(image, column, kWhite, 40);
        EXPECT_TRUE(CentredOn(ink, column.left() + 65, 5));
        const QRect check = ColourBounds(image, column, kGreen, 30);
        const QRect text = ColourBounds(image, column, kGrey, 30);
        ASSERT_FALSE(check.isEmpty());
        ASSERT_FALSE(text.isEmpty());
        EXPECT_LT(check.right(), text.left()) << "the check before the text";
        EXPECT_GT(text.width(), 4 * 14) << "action + 完成!";
    }
};

TEST_F(InstalledListPictures, AnEmptyList) {
    choose(CatalogLeftList::Action::Uninstall);
    m_screen->clearAppRows();
    m_screen->setUninstallCount(0);
    const QImage image = save(QStringLiteral("page9-installed-empty"));
    expectTheHeader(image);
    EXPECT_TRUE(InkBounds(image, at(list(), QRect(0, 46, 716, 358)), kWhite, 2).isEmpty())
        << "nothing under the header";
    EXPECT_TRUE(PixelNear(image, at(list(), QPoint(2, 2)), kWhite, 1)) << "a white panel";
    // The grid and the pager are hidden behind it.
    EXPECT_TRUE(m_page.tileGrid().isHidden());
    EXPECT_TRUE(m_page.pager().isHidden());
}

TEST_F(InstalledListPictures, RowsWithIconsAMissingIconAndALongName) {
    ASSERT_FALSE(IconBytes("com.xingkong.live").empty()) << "the catalog's icons are built";
    choose(CatalogLeftList::Action::Uninstall);
    m_screen->clearAppRows();
    InstalledAppRow longName =
        Row("超级无敌长名字的电视直播应用高清版\r\n第二行", "卸载", IconBytes("com.jisu.racing"));
    longName.version = "10.24.1-beta-build-20260101";
    longName.size = "1234.56M (含数据包)";
    InstalledAppRow noPicture = Row("快看影视", "卸载", "GIF89a and then nothing");
    const InstalledAppRow rows[] = {
        Row("星空直播", "卸载", IconBytes("com.xingkong.live")),
        Row("蓝天电视", "卸载"),  // no icon file
        longName,
        noPicture,
    };
    for (const InstalledAppRow& row : rows) {
        m_screen->addAppRow(row);
    }
    m_screen->setUninstallCount(4);
    QTest::mouseMove(&this->rows(), buttonMiddle(1));
    const QImage image = save(QStringLiteral("page9-installed-rows"));
    expectTheHeader(image);
    expectARow(image, 1, true);
    expectARow(image, 2, false);
    expectARow(image, 3, true);
    expectAButton(image, 1, true);
    for (int position : {2, 3}) {
        expectAButton(image, position, false);
    }
    // "卸载应用", chosen, and its count after it in the counts' colour.
    const QRect entry =
        at(m_page.leftList(), CatalogLeftList::actionRow(CatalogLeftList::Action::Uninstall));
    EXPECT_TRUE(PixelNear(image, entry.topLeft() + QPoint(4, 4), 0xff5b6579, 2));
    EXPECT_FALSE(ColourBounds(image, entry.adjusted(30, 0, -90, 0), kWhite, 8).isEmpty())
        << "its label white";
    const QRect count = ColourBounds(image, entry.adjusted(30 + 62, 0, 0, 0), 0xffa4abbb, 24);
    EXPECT_FALSE(count.isEmpty()) << "(4)";
    EXPECT_LT(count.right(), entry.right() - 10);

    // The last row, scrolled into sight: its bytes hold no picture.
    wheel(10, this->rows().rect().center());
    const QImage end = save(QStringLiteral("page9-installed-rows-end"));
    expectARow(end, 4, false);
    expectAButton(end, 4, false);
}

TEST_F(InstalledListPictures, ADoneRowOfEachKind) {
    choose(CatalogLeftList::Action::Uninstall);
    m_screen->clearAppRows();
    m_screen->addAppRow(Row("星空直播", "卸载", IconBytes("com.xingkong.live")));
    m_screen->addAppRow(Row("快看影视", "卸载", IconBytes("com.kuaikan.video")));
    m_screen->addAppRow(Row("极速赛车", "更新", IconBytes("com.jisu.racing")));
    m_screen->addAppRow(Row("蓝天电视", "更新", IconBytes("com.lantian.tv")));
    m_screen->setAppRowState(2, AppRowState::Done);
    m_screen->setAppRowState(3, AppRowState::Done);
    // The pointer where the done row's button was, pressed: no look answers it.
    const QPoint where = buttonMiddle(2);
    QTest::mouseMove(&rows(), where);
    QTest::mousePress(&rows(), Qt::LeftButton, {}, where);
    const QImage image = save(QStringLiteral("page9-installed-done"));
    QTest::mouseRelease(&rows(), Qt::LeftButton, {}, where);
    EXPECT_EQ(rows().cursor().shape(), Qt::ArrowCursor);
    // The fourth row, cut by the list's bottom, only makes it scroll.
    for (int position = 1; position <= 3; ++position) {
        expectARow(image, position, true);
    }
    expectAButton(image, 1, false);
    expectDone(image, 2);
    expectDone(image, 3);
}

TEST_F(InstalledListPictures, AListThatScrolls) {
    choose(CatalogLeftList::Action::Upgrade);
    m_screen->clearAppRows();
    const char* packages[] = {"com.xingkong.live", "com.kuaikan.video", "com.jisu.racing",
                              "com.lantian.tv",    "com.baiyun.cinema", "com.xiaoxue.class",
                              "com.jiguang.live",  "com.zhuiju.master", "com.huanle.ddz"};
    const char* names[] = {"星空直播",     "快看影视", "极速赛车", "蓝天电视",    "白云影院",
                           "小学同步课堂", "极光直播", "追剧大师", "欢乐斗地主TV"};
    for (int i = 0; i < 9; ++i) {
        m_screen->addAppRow(Row(names[i], "更新", IconBytes(packages[i])));
    }
    m_screen->setAppRowState(4, AppRowState::Done);
    wheel(2, rows().rect().center());
    ASSERT_EQ(rows().scrollOffset(), 120);
    const QImage image = save(QStringLiteral("page9-installed-scrolled"));
    expectTheHeader(image);
    // The rows pass under the header, which stays whole.
    EXPECT_TRUE(InkWithin(image, at(list(), QRect(0, 0, 716, 44)),
                          at(list(), QRect(140, 12, 576, 22)), kWhite, 8));
    expectARow(image, 3, true);
    expectAButton(image, 3, false);
    expectARow(image, 4, true);
    expectDone(image, 4);
    // The slim bar at the right, clear of the buttons.
    const QRect bar = at(list(), QRect(700, 46, 16, 358));
    const QRect handle = InkBounds(image, bar, kWhite, 12);
    EXPECT_FALSE(handle.isEmpty());
    EXPECT_GT(handle.left(), buttonOf(3).right() + 10);
    EXPECT_GT(handle.top(), bar.top() + 20) << "moved down a little";
}

}  // namespace
}  // namespace qvpc::ui::test
