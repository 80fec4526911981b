// Page 9's pictures: the category labels of the left list and the
// placeholder of a tile without its icon.
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "base/catalog_categories.h"
#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui::pictures {
namespace {

QPen Line(QColor color) {
    QPen pen(color, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void Star(QPainter& painter, const QRectF& box, QColor color) {
    QPainterPath star;
    const QPointF c = box.center();
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 ? 0.42 : 1.0) * box.width() / 2;
        const qreal a = M_PI / 2 + i * M_PI / 5;
        const QPointF p(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        i == 0 ? star.moveTo(p) : star.lineTo(p);
    }
    star.closeSubpath();
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(star);
}

void Play(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    QPainterPath play;
    play.moveTo(box.left() + box.width() * 0.4, box.top() + box.height() * 0.3);
    play.lineTo(box.left() + box.width() * 0.72, box.center().y());
    play.lineTo(box.left() + box.width() * 0.4, box.top() + box.height() * 0.7);
    play.closeSubpath();
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawPath(play);
}

void Gamepad(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    const QRectF body = box.adjusted(0, box.height() * 0.22, 0, -box.height() * 0.18);
    painter.drawRoundedRect(body, body.height() / 2, body.height() / 2);
    const QPointF cross(body.left() + body.width() * 0.3, body.center().y());
    painter.drawLine(cross - QPointF(2.5, 0), cross + QPointF(2.5, 0));
    painter.drawLine(cross - QPointF(0, 2.5), cross + QPointF(0, 2.5));
    painter.setBrush(color);
    painter.drawEllipse(QPointF(body.left() + body.width() * 0.72, body.center().y()), 1.2, 1.2);
}

void Book(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    const qreal mid = box.center().x();
    QPainterPath pages;
    pages.moveTo(mid, box.top() + 3);
    pages.lineTo(box.left() + 1, box.top() + 1.5);
    pages.lineTo(box.left() + 1, box.bottom() - 2);
    pages.lineTo(mid, box.bottom() - 0.5);
    pages.lineTo(box.right() - 1, box.bottom() - 2);
    pages.lineTo(box.right() - 1, box.top() + 1.5);
    pages.closeSubpath();
    painter.drawPath(pages);
    painter.drawLine(QPointF(mid, box.top() + 3), QPointF(mid, box.bottom() - 0.5));
}

void House(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    QPainterPath house;
    house.moveTo(box.left() + 0.5, box.top() + box.height() * 0.48);
    house.lineTo(box.center().x(), box.top() + 1);
    house.lineTo(box.right() - 0.5, box.top() + box.height() * 0.48);
    painter.drawPath(house);
    painter.drawRect(QRectF(box.left() + box.width() * 0.18, box.top() + box.height() * 0.45,
                            box.width() * 0.64, box.height() * 0.5));
}

void Note(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    const QPointF stem(box.left() + box.width() * 0.62, box.top() + 1);
    painter.drawLine(stem, QPointF(stem.x(), box.bottom() - 3.5));
    painter.drawLine(stem, QPointF(box.right() - 0.5, box.top() + box.height() * 0.3));
    painter.setBrush(color);
    painter.drawEllipse(QPointF(stem.x() - 3, box.bottom() - 3.5), 3, 2.4);
}

void Gear(QPainter& painter, const QRectF& box, QColor color) {
    painter.setPen(Line(color));
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        painter.drawLine(QPointF(c.x() + r * 0.62 * std::cos(a), c.y() + r * 0.62 * std::sin(a)),
                         QPointF(c.x() + r * 0.95 * std::cos(a), c.y() + r * 0.95 * std::sin(a)));
    }
    painter.drawEllipse(c, r * 0.6, r * 0.6);
    painter.drawEllipse(c, r * 0.22, r * 0.22);
}

using Glyph = void (*)(QPainter&, const QRectF&, QColor);

Glyph GlyphOf(int category) {
    static constexpr Glyph kGlyphs[] = {&Star, &icons::Tv, &Play, &Gamepad,
                                        &Book, &House,     &Note, &Gear};
    return kGlyphs[std::clamp(category, 0, 7)];
}

}  // namespace

Artwork CategoryLabel(int category) {
    const int index = std::clamp(category, 0, static_cast<int>(kCatalogCategories.size()) - 1);
    return {QStringLiteral("catalog.category.%1").arg(index),
            [index](QPainter& painter, const QSizeF& size) {
                const QColor white = QColor::fromRgb(skin::kWhite);
                const qreal side = std::min<qreal>(16, size.height() - 2);
                GlyphOf(index)(painter, QRectF(1, (size.height() - side) / 2, side, side), white);
                painter.setFont(SkinFont(15));
                painter.setPen(white);
                painter.drawText(QRectF(side + 12, 0, size.width() - side - 12, size.height()),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 QString::fromUtf8(kCatalogCategories[index].label.data(),
                                                   int(kCatalogCategories[index].label.size())));
            }};
}

Artwork IconPlaceholder() {
    return {QStringLiteral("catalog.icon.placeholder"), [](QPainter& painter, const QSizeF& size) {
                const QRectF face(QPointF(0, 0), size);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(0xee, 0xf0, 0xf3));
                painter.drawRoundedRect(face, size.width() * 0.18, size.width() * 0.18);
                const qreal side = size.width() * 0.46;
                icons::Apps(
                    painter,
                    QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side),
                    QColor(0xc3, 0xc9, 0xd3));
            }};
}

}  // namespace qvpc::ui::pictures
