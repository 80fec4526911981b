// The four action tiles of the home page and the dialogs' pictures.
#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui::pictures {
namespace {

struct TileLook {
    const char* key;
    QRgb base;
    const char* title;
    const char* subtitle;
    void (*icon)(QPainter&, const QRectF&, QColor);
    QRgb ink = skin::kWhite;  // icon and texts
    // The share of the faint watermark that rises above the tile's bottom edge.
    qreal markRise = 0.6;
};

TileLook LookOf(HomeTile tile) {
    switch (tile) {
        case HomeTile::AppManagement:
            return {"home.apps", 0xffe9573f, "应用管理", "快速安装卸载应用程序", &icons::Apps};
        case HomeTile::RemoteInstall:
            // White on this yellow reads at about 2:1; dark ink at over 4:1.
            // Its watermark's tray stays wholly below the edge: a tray just
            // at the edge left the round end of its post there as a half-disc.
            return {"home.remote",
                    0xfff2a516,
                    "远程安装应用",
                    "拖拽就可在电视上安装应用",
                    &icons::Upload,
                    skin::kInkOnYellow,
                    0.55};
        case HomeTile::Market:
            return {"home.market", 0xff3b8fe8, "Kestrune市场", "一键安装应用市场", &icons::Market};
        case HomeTile::Screenshot:
            return {"home.screenshot", 0xff1fb36b, "电视截图", "截取电视当前画面", &icons::Camera};
    }
    return {"home.apps", 0xffe9573f, "", "", &icons::Apps};
}

void PaintTile(QPainter& painter, const QSizeF& size, ButtonState state, const TileLook& look) {
    QColor base = QColor::fromRgb(look.base);
    if (state == ButtonState::Hover) {
        base = base.lighter(108);
    } else if (state == ButtonState::Pressed) {
        base = base.darker(110);
    }
    const QRectF face(QPointF(0, 0), size);
    QPainterPath shape;
    shape.addRoundedRect(face, 6, 6);
    QLinearGradient fill(face.topLeft(), face.bottomRight());
    fill.setColorAt(0, base.lighter(110));
    fill.setColorAt(1, base.darker(106));
    painter.fillPath(shape, fill);

    // A large faint copy of the icon bleeds off the lower right corner.
    painter.save();
    painter.setClipPath(shape);
    const qreal mark = size.height() * 0.9;
    look.icon(painter,
              QRectF(size.width() - mark * 0.62, size.height() - mark * look.markRise, mark, mark),
              QColor(255, 255, 255, 22));
    painter.restore();

    const bool big = size.height() > 200;
    const QColor white = QColor::fromRgb(look.ink);
    QColor soft = white;
    soft.setAlpha(215);
    if (big) {
        const qreal icon = 76;
        look.icon(painter, QRectF((size.width() - icon) / 2, 52, icon, icon), white);
        painter.setPen(white);
        painter.setFont(SkinFont(26, true));
        painter.drawText(QRectF(0, 158, size.width(), 36), Qt::AlignCenter,
                         QString::fromUtf8(look.title));
        painter.setPen(soft);
        painter.setFont(SkinFont(14));
        painter.drawText(QRectF(0, 198, size.width(), 22), Qt::AlignCenter,
                         QString::fromUtf8(look.subtitle));
    } else {
        const qreal icon = 46;
        look.icon(painter, QRectF(24, (size.height() - icon) / 2, icon, icon), white);
        painter.setPen(white);
        painter.setFont(SkinFont(20, true));
        painter.drawText(QRectF(84, 38, size.width() - 92, 28), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(look.title));
        painter.setPen(soft);
        painter.setFont(SkinFont(13));
        painter.drawText(QRectF(84, 68, size.width() - 92, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(look.subtitle));
    }
}

}  // namespace

ButtonSkin HomeTileSkin(HomeTile tile) {
    const TileLook look = LookOf(tile);
    return {QString::fromLatin1(look.key),
            [look](QPainter& painter, const QSizeF& size, ButtonState state) {
                PaintTile(painter, size, state, look);
            },
            {}};
}

Artwork DialogBackground(bool rounded) {
    return {
        rounded ? QStringLiteral("dialog.background") : QStringLiteral("dialog.background.square"),
        [rounded](QPainter& painter, const QSizeF& size) {
            // Plain "#414a5f": the popup's background colour is fixed.
            const qreal radius = rounded ? 6 : 0;
            const QRectF face(QPointF(0, 0), size);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgb(skin::kSlate));
            painter.drawRoundedRect(face, radius, radius);
            painter.setPen(QPen(QColor(255, 255, 255, 22), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        }};
}

Artwork PopupRing(int percent) {
    percent = std::clamp(percent, 0, 100);
    return {QStringLiteral("popup.ring.%1").arg(percent),
            [percent](QPainter& painter, const QSizeF& size) {
                const QPointF c(size.width() / 2, size.height() / 2);
                const qreal outer = size.width() / 2 - 6;
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(0, 0, 0, 40));
                painter.drawEllipse(c, outer - 6, outer - 6);
                painter.setPen(QPen(QColor::fromRgb(skin::kSlateLight), 9));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(c, outer, outer);
                if (percent == 0) {
                    return;
                }
                // Clockwise from twelve o'clock, lighter towards its end; the
                // gradient's seam lies just behind the round start.
                QConicalGradient sweep(c, 96);
                sweep.setColorAt(0, QColor(0x2f, 0xd6, 0xa0));
                sweep.setColorAt(1, QColor::fromRgb(skin::kAccent));
                QPen arc(QBrush(sweep), 9);
                arc.setCapStyle(Qt::RoundCap);
                painter.setPen(arc);
                const QRectF circle(c.x() - outer, c.y() - outer, 2 * outer, 2 * outer);
                if (percent == 100) {
                    painter.drawEllipse(circle);
                } else {
                    painter.drawArc(circle, 90 * 16, -percent * 360 * 16 / 100);
                }
            }};
}

ButtonSkin PopupClose() {
    return {QStringLiteral("popup.close"),
            [](QPainter& painter, const QSizeF& size, ButtonState state) {
                if (state != ButtonState::Normal) {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(state == ButtonState::Pressed ? QColor(0xc2, 0x3f, 0x36)
                                                                   : QColor(0xe0, 0x4f, 0x45));
                    painter.drawEllipse(QPointF(size.width() / 2, size.height() / 2), 15, 15);
                }
                const QRectF glyph(QPointF(size.width() / 2 - 8, size.height() / 2 - 8),
                                   QSizeF(16, 16));
                icons::Cross(
                    painter, glyph,
                    state == ButtonState::Normal ? QColor(255, 255, 255, 190) : QColor(Qt::white));
            },
            {}};
}

}  // namespace qvpc::ui::pictures
