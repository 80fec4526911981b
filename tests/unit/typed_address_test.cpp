// Page 7's address check and what the core does with a typed address.
#include "adb/typed_address.h"

#include <gtest/gtest.h>

#include "app/app_actions.h"
#include "support/task_rig.h"

namespace qvpc {
namespace {

TEST(TypedAddressTest, MoreThanThreePartsTheFirstFourNotEmpty) {
    struct Case {
        const char* typed;
        bool accepted;
    };
    const Case cases[] = {
        {"192.168.0.", false},   {"192.168.0", false},
        {"192.168..5", false},   {"", false},
        {"...", false},          {"192.168.0.5", true},
        {"192.168.0.5.7", true}, {"192.168.0.5.", true},
        {"a.b.c.d", true},       {"192.168.1.5:5555", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsTypedAddressAcceptable(c.typed), c.accepted) << c.typed;
    }
}

TEST(TypedAddressTest, AShortAddressIsRefusedWithABoxAndAGoodOneConnectsAsTyped) {
    test::TaskRig rig;
    AppActions actions(rig.parts, rig.shell, rig.screen, {});
    rig.screen.ShowPage(PageId::ManualIp);
    actions.connectTypedAddress("192.168.0.");
    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.message, "IP地址格式不正确");
    EXPECT_EQ(rig.screen.boxes()[0].request.title, "");
    EXPECT_TRUE(rig.shell.commands().empty());
    EXPECT_EQ(rig.screen.currentPage(), PageId::ManualIp);

    actions.connectTypedAddress("192.168.0.5.7");
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.0.5.7"});
}

TEST(TypedAddressTest, TheGuidesFinishReconnectsOrAsksForAnAddress) {
    test::TaskRig rig;
    AppActions actions(rig.parts, rig.shell, rig.screen, {});
    rig.screen.ShowPage(PageId::Guide);
    actions.finishGuide();
    EXPECT_EQ(rig.screen.currentPage(), PageId::ManualIp) << "no box yet";
    EXPECT_TRUE(rig.shell.commands().empty());

    rig.state.setCurrentIp("192.168.1.20");
    actions.finishGuide();
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.1.20"});
}

}  // namespace
}  // namespace qvpc
