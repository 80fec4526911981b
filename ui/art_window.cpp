// The window frame's pictures: shadow, bands and the title bar buttons.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"

namespace qvpc::ui::pictures {
namespace {

constexpr int kMargin = 13;
constexpr qreal kFrameRadius = 4;

// One pass of a box blur over the alpha of a premultiplied black image.
void BlurAlpha(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<int> alpha(length);
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb* {
            return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(line)) + i
                              : reinterpret_cast<QRgb*>(image.scanLine(i)) + line;
        };
        for (int i = 0; i < length; ++i) {
            alpha[i] = qAlpha(*pixel(i));
        }
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += alpha[std::clamp(i, 0, length - 1)];
        }
        for (int i = 0; i < length; ++i) {
            const int a = sum / (2 * radius + 1);
            *pixel(i) = qRgba(0, 0, 0, a);
            sum += alpha[std::min(i + radius + 1, length - 1)];
            sum -= alpha[std::max(i - radius, 0)];
        }
    }
}

}  // namespace

Artwork WindowShadow() {
    return {QStringLiteral("window.shadow"), [](QPainter& painter, const QSizeF& size) {
                // Blurred in device pixels of the logical picture; three box
                // passes come close to a Gaussian.
                QImage image(size.toSize(), QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                {
                    QPainter shape(&image);
                    shape.setRenderHint(QPainter::Antialiasing);
                    shape.setPen(Qt::NoPen);
                    shape.setBrush(QColor(0, 0, 0, 120));
                    shape.drawRoundedRect(
                        QRectF(kMargin - 1, kMargin + 1, size.width() - 2 * kMargin + 2,
                               size.height() - 2 * kMargin + 1),
                        kFrameRadius + 2, kFrameRadius + 2);
                }
                for (int pass = 0; pass < 3; ++pass) {
                    BlurAlpha(image, 3, true);
                    BlurAlpha(image, 3, false);
                }
                painter.drawImage(QPointF(0, 0), image);
            }};
}

Artwork WindowBackground(bool rounded) {
    return {
        rounded ? QStringLiteral("window.background") : QStringLiteral("window.background.square"),
        [rounded](QPainter& painter, const QSizeF& size) {
            const qreal w = size.width();
            const qreal h = size.height();
            if (rounded) {
                QPainterPath frame;
                frame.addRoundedRect(QRectF(0, 0, w, h), kFrameRadius, kFrameRadius);
                painter.setClipPath(frame);
            }

            QLinearGradient title(0, 0, 0, 42);
            title.setColorAt(0, QColor(0x4a, 0x53, 0x6b));
            title.setColorAt(1, QColor::fromRgb(skin::kSlate));
            painter.fillRect(QRectF(0, 0, w, 42), title);
            painter.fillRect(QRectF(0, 42, w, h - 42 - 32), QColor::fromRgb(skin::kBody));
            painter.fillRect(QRectF(0, h - 32, w, 32), QColor::fromRgb(skin::kFooter));
            painter.setPen(QPen(QColor::fromRgb(skin::kHairline), 1));
            painter.drawLine(QPointF(0, h - 32.5), QPointF(w, h - 32.5));
            painter.setPen(QPen(QColor(0, 0, 0, 40), 1));
            painter.drawLine(QPointF(0, 42.5), QPointF(w, 42.5));
            if (!rounded) {
                // Without the shadow an edge of its own keeps the window
                // apart from a light desktop behind it.
                painter.setPen(QPen(QColor::fromRgb(skin::kSlate), 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
            }
        }};
}

Artwork AppIcon() {
    return {QStringLiteral("app.icon"), [](QPainter& painter, const QSizeF& size) {
                const QRectF face = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
                QLinearGradient fill(face.topLeft(), face.bottomRight());
                fill.setColorAt(0, QColor(0x1f, 0xcc, 0x7e));
                fill.setColorAt(1, QColor::fromRgb(skin::kAccentPressed));
                painter.setPen(Qt::NoPen);
                painter.setBrush(fill);
                const qreal radius = size.width() * 0.22;
                painter.drawRoundedRect(face, radius, radius);
                const qreal icon = size.width() * 0.62;
                icons::Tv(painter,
                          QRectF((size.width() - icon) / 2, (size.height() - icon) / 2, icon, icon),
                          Qt::white);
            }};
}

ButtonSkin TitleBarButton(bool close) {
    return {close ? QStringLiteral("titlebar.close") : QStringLiteral("titlebar.minimise"),
            [close](QPainter& painter, const QSizeF& size, ButtonState state) {
                const QRectF area(QPointF(0, 0), size);
                if (state != ButtonState::Normal) {
                    QColor fill = close ? QColor(0xe0, 0x4f, 0x45) : QColor(255, 255, 255, 36);
                    if (state == ButtonState::Pressed) {
                        fill = close ? QColor(0xc2, 0x3f, 0x36) : QColor(0, 0, 0, 40);
                    }
                    painter.fillRect(area, fill);
                }
                const QRectF glyph(area.center() - QPointF(7, 7), QSizeF(14, 14));
                const QColor ink =
                    state == ButtonState::Normal ? QColor(255, 255, 255, 200) : QColor(Qt::white);
                if (close) {
                    icons::Cross(painter, glyph, ink);
                } else {
                    icons::Minus(painter, glyph, ink);
                }
            },
            {}};
}

}  // namespace qvpc::ui::pictures
