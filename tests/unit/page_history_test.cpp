// The window's page history: the busy page is never a page to go back to.
#include "base/page_history.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

constexpr int kBusy = PageHistory::kBusyPage;

TEST(PageHistoryTest, ThePreviousPageIsTheOneBeforeTheLastSwitch) {
    PageHistory history;
    EXPECT_TRUE(history.show(6));
    EXPECT_TRUE(history.show(3));
    EXPECT_EQ(history.previous(), 6);
    EXPECT_FALSE(history.show(3));  // the same page changes nothing
    EXPECT_EQ(history.previous(), 6);
}

// Each journey: a start page, the pages shown with -1 for "enter the busy
// page" and -2 for "leave it", then where cancel would go.
TEST(PageHistoryTest, CancelAfterABusyPageNeverLandsOnIt) {
    struct Journey {
        const char* what;
        std::vector<int> steps;
        int current;
        int previous;
    };
    const Journey journeys[] = {
        {"a failed connect from the typed address", {6, 3, 7, -1, 3}, 3, 7},
        {"an outcome that only leaves the busy page", {6, 3, 7, -1, -2}, 7, 3},
        {"the guide's finish that connects", {6, 3, 5, -1, -2}, 5, 3},
        {"a connected box", {6, 2, -1, 4}, 4, 2},
        {"a screenshot shown and closed", {6, 4, -1, -1, 4}, 4, 6},
        {"a refresh of the screenshot that fails", {6, 4, -1, -1, -1, -2}, 4, 6},
    };
    for (const Journey& journey : journeys) {
        PageHistory history;
        for (int step : journey.steps) {
            if (step == -1) {
                history.enterBusy();
            } else if (step == -2) {
                history.show(history.busyReturn());
            } else {
                history.show(step);
            }
        }
        EXPECT_EQ(history.current(), journey.current) << journey.what;
        EXPECT_EQ(history.previous(), journey.previous) << journey.what;
        EXPECT_NE(history.previous(), kBusy) << journey.what;
    }
}

TEST(PageHistoryTest, WhileBusyThePreviousPageIsTheOneItWasEnteredFrom) {
    PageHistory history;
    history.show(6);
    history.show(7);
    history.enterBusy();
    EXPECT_EQ(history.current(), kBusy);
    EXPECT_EQ(history.previous(), 7);
    EXPECT_EQ(history.busyReturn(), 7);
}

}  // namespace
}  // namespace qvpc
