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

void InstallFonts() {
    QFont::insertSubstitutions(
        QString::fromUtf8(kSkinFamily),
        {QStringLiteral("WenQuanYi Micro Hei"), QString::fromUtf8("文泉驿微米黑"),
         QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(SkinFont(12));
}

}  // namespace qvpc::ui
