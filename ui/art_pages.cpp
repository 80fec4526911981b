// The pictures of the pages: start circles, not-found and failure pictures,
// the drop area, the guide's frame and arrows.
#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui::pictures {
namespace {

QColor Rgb(QRgb rgb) {
    return QColor::fromRgb(rgb);
}

// A round emblem: a soft disc with an icon and, optionally, a small badge at
// its lower right (used by the page-3 pictures).
void PaintEmblem(QPainter& painter, const QPointF& centre, qreal radius, QColor disc, QColor ink) {
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, disc.lighter(104));
    glow.setColorAt(1, disc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
    const qreal icon = radius * 1.05;
    icons::Tv(painter, QRectF(centre.x() - icon / 2, centre.y() - icon / 2 - 2, icon, icon), ink);
}

void PaintBadge(QPainter& painter, const QPointF& centre, qreal radius, QColor fill,
                void (*glyph)(QPainter&, const QRectF&, QColor)) {
    painter.setPen(QPen(Qt::white, 4));
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);
    const qreal g = radius * 1.1;
    glyph(painter, QRectF(centre.x() - g / 2, centre.y() - g / 2, g, g), Qt::white);
}

void PaintCaption(QPainter& painter, const QRectF& box, const QString& text) {
    painter.setFont(SkinFont(26));
    painter.setPen(Rgb(skin::kText));
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
}

void PaintNotFound(QPainter& painter, const QSizeF& size, bool failed) {
    const QPointF centre(size.width() / 2, 86);
    PaintEmblem(painter, centre, 74, QColor(0xe4, 0xe8, 0xee), QColor(0x8e, 0x98, 0xaa));
    const QPointF badge = centre + QPointF(52, 50);
    if (failed) {
        PaintBadge(painter, badge, 22, QColor(0xe8, 0x5a, 0x4f), &icons::Cross);
    } else {
        PaintBadge(painter, badge, 22, QColor(0xf5, 0xa6, 0x23), &icons::Search);
    }
    PaintCaption(painter, QRectF(0, 184, size.width(), 40),
                 failed ? QString::fromUtf8("很抱歉，连接失败") : QString::fromUtf8("找不到设备"));
}

}  // namespace

Artwork StartCircles() {
    return {QStringLiteral("page6.circles"), [](QPainter& painter, const QSizeF& size) {
                const QPointF c(size.width() / 2, size.height() / 2);
                const qreal r = size.width() / 2;
                const QColor rings[] = {QColor(0xec, 0xee, 0xf2), QColor(0xe4, 0xe7, 0xec),
                                        QColor(0xdb, 0xdf, 0xe6)};
                const qreal radii[] = {r - 1, r * 0.8, r * 0.6};
                for (int i = 0; i < 3; ++i) {
                    painter.setPen(QPen(QColor(0xd3, 0xd8, 0xe0), 1));
                    painter.setBrush(rings[i]);
                    painter.drawEllipse(c, radii[i], radii[i]);
                }
                // The inner disc that carries the start button.
                QRadialGradient disc(c, r * 0.45);
                disc.setColorAt(0, Qt::white);
                disc.setColorAt(1, QColor(0xf7, 0xf8, 0xfa));
                painter.setPen(QPen(QColor(0xd3, 0xd8, 0xe0), 1));
                painter.setBrush(disc);
                painter.drawEllipse(c, r * 0.45, r * 0.45);
                // Boxes waiting to be found sit on the rings.
                struct Dot {
                    qreal ring;
                    qreal degrees;
                    qreal size;
                };
                const Dot dots[] = {{0.9, -58, 30}, {0.7, 200, 26}, {0.9, 146, 22}, {0.7, 24, 20}};
                for (const Dot& dot : dots) {
                    const qreal a = dot.degrees * M_PI / 180;
                    const QPointF at = c + QPointF(std::cos(a), std::sin(a)) * r * dot.ring;
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(Qt::white);
                    painter.drawEllipse(at, dot.size * 0.85, dot.size * 0.85);
                    icons::Tv(
                        painter,
                        QRectF(at.x() - dot.size / 2, at.y() - dot.size / 2, dot.size, dot.size),
                        QColor(0xa3, 0xab, 0xba));
                }
            }};
}

Artwork NoDevice() {
    return {QStringLiteral("page3.nodevice"),
            [](QPainter& painter, const QSizeF& size) { PaintNotFound(painter, size, false); }};
}

Artwork ConnectFailed() {
    return {QStringLiteral("page3.failed"),
            [](QPainter& painter, const QSizeF& size) { PaintNotFound(painter, size, true); }};
}

Artwork DropPanel(bool active) {
    return {active ? QStringLiteral("page8.drop.active") : QStringLiteral("page8.drop"),
            [active](QPainter& painter, const QSizeF& size) {
                const QRectF panel = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setPen(QPen(QColor(0xb9, 0xc0, 0xcb), 1));
                painter.setBrush(Rgb(skin::kPanel));
                painter.drawRoundedRect(panel, 8, 8);

                const QRectF zone = panel.adjusted(22, 22, -22, -22);
                QPen dash(active ? Rgb(skin::kAccent) : QColor(0xcd, 0xd3, 0xdc), 2);
                dash.setDashPattern({5, 4});
                painter.setPen(dash);
                painter.setBrush(active ? QColor(0xee, 0xfa, 0xf3) : QColor(0xfb, 0xfc, 0xfd));
                painter.drawRoundedRect(zone, 6, 6);

                const QPointF c(size.width() / 2, 128);
                painter.setPen(Qt::NoPen);
                painter.setBrush(active ? Rgb(skin::kAccent) : QColor(0xe6, 0xf7, 0xee));
                painter.drawEllipse(c, 44, 44);
                icons::Upload(painter, QRectF(c.x() - 24, c.y() - 25, 48, 48),
                              active ? Rgb(skin::kWhite) : Rgb(skin::kAccent));
            }};
}

Artwork GuideFrame() {
    return {QStringLiteral("page5.frame"), [](QPainter& painter, const QSizeF& size) {
                const QRectF panel = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setPen(QPen(Rgb(skin::kHairline), 1));
                painter.setBrush(Rgb(skin::kPanel));
                painter.drawRoundedRect(panel, 8, 8);
            }};
}

ButtonSkin GuideArrow(bool pointsLeft) {
    return {pointsLeft ? QStringLiteral("page5.arrow.left") : QStringLiteral("page5.arrow.right"),
            [pointsLeft](QPainter& painter, const QSizeF& size, ButtonState state) {
                const QRectF disc = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
                QColor fill(0xe9, 0xec, 0xf1);
                QColor ink(0x8a, 0x93, 0xa5);
                if (state == ButtonState::Hover) {
                    fill = Rgb(skin::kAccent);
                    ink = Qt::white;
                } else if (state == ButtonState::Pressed) {
                    fill = Rgb(skin::kAccentPressed);
                    ink = Qt::white;
                }
                painter.setPen(Qt::NoPen);
                painter.setBrush(fill);
                painter.drawEllipse(disc);
                icons::Chevron(painter, disc.adjusted(4, 4, -4, -4), ink, pointsLeft);
            },
            {}};
}

ButtonSkin BackLink() {
    return {QStringLiteral("page9.back"),
            [](QPainter& painter, const QSizeF& size, ButtonState state) {
                const QColor ink =
                    state == ButtonState::Normal ? Rgb(skin::kText) : Rgb(skin::kAccent);
                icons::Chevron(painter, QRectF(-2, 0, size.height(), size.height()), ink, true);
                painter.setFont(SkinFont(13));
                painter.setPen(ink);
                painter.drawText(QRectF(size.height() - 4, -2, size.width(), size.height() + 4),
                                 Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("返回"));
            },
            {}};
}

ButtonSkin ScreenshotClose() {
    return {QStringLiteral("page1.close"),
            [](QPainter& painter, const QSizeF& size, ButtonState state) {
                // Dark and rimmed, so it shows on a light picture and a dark one.
                const int shade = state == ButtonState::Normal ? 110 : 170;
                const QRectF disc = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
                painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
                painter.setBrush(QColor(0, 0, 0, shade));
                painter.drawEllipse(disc);
                const qreal glyph = size.width() * 0.4;
                icons::Cross(
                    painter,
                    QRectF((size.width() - glyph) / 2, (size.height() - glyph) / 2, glyph, glyph),
                    Qt::white);
            },
            {}};
}

}  // namespace qvpc::ui::pictures
