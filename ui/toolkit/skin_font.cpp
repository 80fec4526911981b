#include "ui/toolkit/skin_font.h"

#include <QApplication>
#include <QStringList>

namespace qvpc::ui {

QFont SkinFont(int size, bool bold) {
    QFont font(QString::fromUtf8(kSkinFamily));
    font.setPixelSize(size);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int SkinLinePitch(int size) {
    return qRound(size * 1.32);
}

void InstallFonts() {
    // Noto first: WenQuanYi's Latin capitals have serifs, so "IP" in a
    // Chinese line looked set in another font.
    QFont::insertSubstitutions(
        QString::fromUtf8(kSkinFamily),
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
         QString::fromUtf8("文泉驿微米黑")});
    QApplication::setFont(SkinFont(12));
}

}  // namespace qvpc::ui
