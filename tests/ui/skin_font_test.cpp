// The skin's family name resolves to the installed fonts in the intended order.
#include "ui/toolkit/skin_font.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace qvpc::ui {
namespace {

TEST(SkinFontTest, MapsToNotoSansCjkInEveryWeight) {
    const QString noto = QStringLiteral("Noto Sans CJK SC");
    ASSERT_TRUE(QFontDatabase::families().contains(noto))
        << "fonts-noto-cjk is missing: scripts/install-deps installs it";
    for (bool bold : {false, true}) {
        const QFontInfo shown(SkinFont(14, bold));
        EXPECT_EQ(shown.family(), noto) << "bold " << bold;
        EXPECT_EQ(shown.bold(), bold);
    }
}

}  // namespace
}  // namespace qvpc::ui
