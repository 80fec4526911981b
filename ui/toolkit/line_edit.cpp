#include "ui/toolkit/line_edit.h"

#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {

LineEdit::LineEdit(const QString& text, int fontSize, QColor color, QWidget* parent)
    : QLineEdit(text, parent) {
    setFont(SkinFont(fontSize));
    setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                                 " border-radius: 4px; padding: 0 14px;"
                                 " selection-background-color: %4; selection-color: white; }"
                                 "QLineEdit:focus { border: 1px solid %4; }")
                      .arg(QColor::fromRgb(skin::kPanel).name(), color.name(),
                           QColor::fromRgb(0xffc9ced6).name(),
                           QColor::fromRgb(skin::kAccent).name()));
}

}  // namespace qvpc::ui
