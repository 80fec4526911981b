// The LAN test program: it scans, probes and resolves addresses, so it runs
// only inside the private network of scripts/lan-harness (ctest starts it
// there) and refuses to run a test anywhere else. Qt runs offscreen for the
// tests that drive the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "support/lan_network.h"
#include "ui/toolkit/skin_font.h"

int main(int argc, char* argv[]) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests)) {
        if (std::optional<std::string> why = qvpc::test::WhyNotInsideLanHarness()) {
            std::fprintf(stderr,
                         "lan_tests: refusing to run: %s; run it as scripts/lan-harness %s\n",
                         why->c_str(), argv[0]);
            return 2;
        }
    }
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    qvpc::ui::InstallFonts();
    return RUN_ALL_TESTS();
}
