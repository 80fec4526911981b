// The ui test program: Qt on the offscreen platform, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/toolkit/skin_font.h"

namespace {

// The offscreen platform cannot raise windows and says so at every box;
// everything else Qt reports goes through.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support raise()"))) {
        return;
    }
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char* argv[]) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(FilterMessages);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    qvpc::ui::InstallFonts();
    return RUN_ALL_TESTS();
}
