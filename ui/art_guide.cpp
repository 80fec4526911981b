// The four screens of the guide for boxes whose ADB is switched on by hand:
// drawings of the box's settings screens with the item to choose in focus.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui::pictures {
namespace {

const QColor kInk(255, 255, 255, 235);
const QColor kInkSoft(255, 255, 255, 150);
const QColor kFocus(0xff, 0xb3, 0x3b);

QString U(const char* text) {
    return QString::fromUtf8(text);
}

void PaintScreen(QPainter& painter, const QSizeF& size, const QString& title) {
    QPainterPath screen;
    screen.addRoundedRect(QRectF(QPointF(0, 0), size), 6, 6);
    QLinearGradient fill(0, 0, size.width(), size.height());
    fill.setColorAt(0, QColor(0x1a, 0x28, 0x48));
    fill.setColorAt(1, QColor(0x2b, 0x46, 0x79));
    painter.fillPath(screen, fill);
    QRadialGradient glow(QPointF(size.width() * 0.8, 0), size.width() * 0.6);
    glow.setColorAt(0, QColor(0x5a, 0x8c, 0xd8, 70));
    glow.setColorAt(1, QColor(0x5a, 0x8c, 0xd8, 0));
    painter.fillPath(screen, glow);

    painter.setFont(SkinFont(20, true));
    painter.setPen(kInk);
    painter.drawText(QRectF(26, 14, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(SkinFont(14));
    painter.setPen(kInkSoft);
    painter.drawText(QRectF(size.width() - 126, 14, 100, 30), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("20:30"));
}

void PaintPanel(QPainter& painter, const QRectF& area) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 18));
    painter.drawRoundedRect(area, 6, 6);
}

void PaintFocus(QPainter& painter, const QRectF& area) {
    painter.setBrush(QColor(255, 255, 255, 46));
    painter.setPen(QPen(kFocus, 2));
    painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), 5, 5);
}

// A list row: label on the left, an optional value or arrow on the right.
void PaintRow(QPainter& painter, const QRectF& row, const QString& label, const QString& value,
              bool focused, bool arrow) {
    if (focused) {
        PaintFocus(painter, row);
    }
    painter.setFont(SkinFont(16));
    painter.setPen(focused ? QColor(Qt::white) : kInk);
    painter.drawText(row.adjusted(16, 0, -16, 0), Qt::AlignLeft | Qt::AlignVCenter, label);
    painter.setFont(SkinFont(14));
    painter.setPen(kInkSoft);
    if (!value.isEmpty()) {
        painter.drawText(row.adjusted(16, 0, -16, 0), Qt::AlignRight | Qt::AlignVCenter, value);
    }
    if (arrow) {
        icons::Chevron(painter, QRectF(row.right() - 30, row.center().y() - 9, 18, 18),
                       focused ? QColor(Qt::white) : kInkSoft, false);
    }
}

void PaintToggle(QPainter& painter, const QRectF& row, bool on) {
    const QRectF track(row.right() - 62, row.center().y() - 11, 44, 22);
    painter.setPen(Qt::NoPen);
    painter.setBrush(on ? QColor(0x02, 0xb6, 0x65) : QColor(255, 255, 255, 60));
    painter.drawRoundedRect(track, 11, 11);
    painter.setBrush(Qt::white);
    const qreal x = on ? track.right() - 20 : track.left() + 2;
    painter.drawEllipse(QRectF(x, track.top() + 2, 18, 18));
}

void Step1(QPainter& painter, const QSizeF& size) {
    PaintScreen(painter, size, U("设置"));
    const char* menu[] = {"网络设置", "通用设置", "显示与声音", "账号与安全"};
    for (int i = 0; i < 4; ++i) {
        const QRectF row(22, 62 + i * 48, 170, 42);
        if (i == 1) {
            PaintFocus(painter, row);
        }
        painter.setFont(SkinFont(16));
        painter.setPen(i == 1 ? QColor(Qt::white) : kInkSoft);
        painter.drawText(row.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, U(menu[i]));
    }
    const QRectF panel(210, 62, size.width() - 232, 186);
    PaintPanel(painter, panel);
    const char* items[] = {"系统信息", "系统升级", "存储空间", "恢复出厂设置"};
    for (int i = 0; i < 4; ++i) {
        PaintRow(painter,
                 QRectF(panel.left() + 8, panel.top() + 8 + i * 43, panel.width() - 16, 40),
                 U(items[i]), {}, i == 0, true);
    }
}

void Step2(QPainter& painter, const QSizeF& size) {
    PaintScreen(painter, size, U("系统信息"));
    const QRectF panel(22, 58, size.width() - 44, 200);
    PaintPanel(painter, panel);
    const char* labels[] = {"设备型号", "系统版本", "网络地址", "版权声明"};
    const char* values[] = {"MagicBox", "YunOS 3.1", "192.168.1.20", ""};
    for (int i = 0; i < 4; ++i) {
        PaintRow(painter,
                 QRectF(panel.left() + 8, panel.top() + 10 + i * 46, panel.width() - 16, 42),
                 U(labels[i]), U(values[i]), i == 3, i == 3);
    }
}

void Step3(QPainter& painter, const QSizeF& size) {
    PaintScreen(painter, size, U("版权声明"));
    const QRectF panel(22, 58, 330, 200);
    PaintPanel(painter, panel);
    // Lines of small print.
    const qreal widths[] = {0.92, 0.85, 0.9, 0.6, 0.88, 0.8, 0.9, 0.5};
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 55));
    for (int i = 0; i < 8; ++i) {
        painter.drawRoundedRect(QRectF(panel.left() + 18, panel.top() + 20 + i * 22,
                                       (panel.width() - 36) * widths[i], 8),
                                4, 4);
    }
    // The remote's direction pad with left and right lit.
    const QPointF c(466, 140);
    const qreal pad = 64;
    painter.setBrush(QColor(0x10, 0x1a, 0x30));
    painter.setPen(QPen(QColor(255, 255, 255, 60), 2));
    painter.drawEllipse(c, pad, pad);
    painter.setBrush(QColor(0x24, 0x34, 0x58));
    painter.drawEllipse(c, 22, 22);
    icons::Chevron(painter, QRectF(c.x() - 60, c.y() - 17, 34, 34), kFocus, true);
    icons::Chevron(painter, QRectF(c.x() + 26, c.y() - 17, 34, 34), kFocus, false);
    for (qreal turn : {90.0, -90.0}) {
        painter.save();
        painter.translate(c.x(), c.y() + (turn > 0 ? -46 : 46));
        painter.rotate(turn);
        icons::Chevron(painter, QRectF(-12, -12, 24, 24), kInkSoft, true);
        painter.restore();
    }
    // The back-and-forth motion under the pad, and how often.
    QPen motion(kFocus, 3);
    motion.setCapStyle(Qt::RoundCap);
    motion.setDashPattern({1, 2.5});
    painter.setPen(motion);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(c.x() - 82, c.y() - 82, 164, 164), 215 * 16, 110 * 16);
    painter.setFont(SkinFont(18, true));
    painter.setPen(kFocus);
    painter.drawText(QRectF(c.x() - 60, c.y() + 88, 120, 26), Qt::AlignCenter,
                     QString::fromUtf8("× 5~6"));
}

void Step4(QPainter& painter, const QSizeF& size) {
    PaintScreen(painter, size, U("工程模式"));
    const QRectF panel(22, 58, size.width() - 44, 200);
    PaintPanel(painter, panel);
    const char* labels[] = {"调试模式", "日志输出", "性能监控", "网络诊断"};
    for (int i = 0; i < 4; ++i) {
        const QRectF row(panel.left() + 8, panel.top() + 10 + i * 46, panel.width() - 16, 42);
        PaintRow(painter, row, U(labels[i]), {}, i == 0, false);
        PaintToggle(painter, row, i == 0);
    }
}

}  // namespace

Artwork GuideStep(int step) {
    return {QStringLiteral("page5.step%1").arg(step),
            [step](QPainter& painter, const QSizeF& size) {
                switch (step) {
                    case 1:
                        Step1(painter, size);
                        break;
                    case 2:
                        Step2(painter, size);
                        break;
                    case 3:
                        Step3(painter, size);
                        break;
                    default:
                        Step4(painter, size);
                        break;
                }
            }};
}

}  // namespace qvpc::ui::pictures
