// One user action at a time: a click that arrives while an action waits is
// dropped.
#include "app/action_gate.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace qvpc {
namespace {

// Notes each call and, in the middle of a screenshot, plays a click that
// arrived while it waited.
class Actions : public UserActions {
  public:
    std::function<void()> duringScreenshot;
    std::vector<std::string> calls;

    void takeScreenshot() override {
        calls.push_back("takeScreenshot");
        if (duringScreenshot) {
            std::exchange(duringScreenshot, {})();
        }
    }
    void installApk(const std::string& path, const std::string&) override {
        calls.push_back("installApk " + path);
    }
    void abortCompanionBootstrap() override { calls.push_back("abort"); }
};

TEST(ActionGateTest, AClickDuringAnActionIsDroppedButThePopupsCloseIsNot) {
    Actions inner;
    ActionGate gate(inner);
    inner.duringScreenshot = [&] {
        EXPECT_TRUE(gate.busy());
        gate.takeScreenshot();  // the double click's second half
        gate.installApk("/x/a.apk", "");
        gate.abortCompanionBootstrap();
    };
    gate.takeScreenshot();
    EXPECT_EQ(inner.calls, (std::vector<std::string>{"takeScreenshot", "abort"}));

    EXPECT_FALSE(gate.busy());
    gate.installApk("/x/a.apk", "");
    EXPECT_EQ(inner.calls.back(), "installApk /x/a.apk") << "the gate opens again afterwards";
}

TEST(ActionGateTest, WorkThatMustNotBeDroppedWaitsForTheRunningAction) {
    Actions inner;
    ActionGate gate(inner);
    // A finished download's hand-over arrives while a screenshot waits.
    inner.duringScreenshot = [&] {
        gate.runWhenIdle([&] {
            EXPECT_TRUE(gate.busy()) << "it runs as an action of its own";
            inner.calls.push_back("hand-over");
        });
        EXPECT_EQ(inner.calls.back(), "takeScreenshot") << "not inside the running action";
    };
    gate.takeScreenshot();
    EXPECT_EQ(inner.calls, (std::vector<std::string>{"takeScreenshot", "hand-over"}));

    // With nothing running it runs at once.
    gate.runWhenIdle([&] { inner.calls.push_back("now"); });
    EXPECT_EQ(inner.calls.back(), "now");
    EXPECT_FALSE(gate.busy());
}

}  // namespace
}  // namespace qvpc
