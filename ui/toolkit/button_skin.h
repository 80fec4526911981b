#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <functional>

class QPainter;

namespace qvpc::ui {

enum class ButtonState { Normal, Hover, Pressed };

// The three images of a button, drawn in code and cached per state, size and
// device pixel ratio. A skin may also tint the text per state.
struct ButtonSkin {
    using Paint = std::function<void(QPainter&, const QSizeF&, ButtonState)>;
    using TextTint = std::function<QColor(ButtonState, QColor)>;

    QString key;
    Paint paint;
    TextTint tint;

    QPixmap pixmap(const QSize& size, qreal devicePixelRatio, ButtonState state) const;
    QColor textColor(ButtonState state, QColor base) const;

    // The skin's standard buttons.
    static ButtonSkin primary();    // brand green, for the main action of a page or box
    static ButtonSkin secondary();  // slate, for the other actions on dark dialogs
    static ButtonSkin slate();      // slate on light pages ("断开连接")
    static ButtonSkin muted();      // light grey with dark text (cancel and back on light pages)
    static ButtonSkin outline(QColor color);  // one white image with a coloured frame
};

// A rounded button face filled with a soft vertical gradient around base.
void PaintButtonFace(QPainter& painter, const QRectF& rect, QColor base, qreal radius);

}  // namespace qvpc::ui
