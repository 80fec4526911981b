#include "ui/system_msg_box_dialog.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr int kTitleHeight = 36;
constexpr int kPadding = 20;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 76;
constexpr int kButtonHeight = 30;
constexpr int kButtonGap = 10;
constexpr int kMessageFont = 14;

QString U(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

std::vector<std::pair<QString, int>> SystemMsgBoxDialog::ButtonsOf(int kind) {
    switch (kind) {
        case 1:
            return {{U("确认"), 0}, {U("取消"), 1}};
        case 2:
            return {{U("放弃"), 2}, {U("重试"), 3}, {U("忽略"), 4}};
        case 3:
            return {{U("是(&Y)"), 5}, {U("否(&N)"), 6}, {U("取消"), 1}};
        case 4:
            return {{U("是(&Y)"), 5}, {U("否(&N)"), 6}};
        case 5:
            return {{U("重试"), 3}, {U("取消"), 1}};
        default:
            return {{U("确认"), 0}};
    }
}

SystemMsgBoxDialog::SystemMsgBoxDialog(const SystemMsgBoxRequest& request, QWidget* owner)
    : BoxDialog(owner, kCancelCode),
      m_title(request.title.empty() ? U("提示：") : QString::fromStdString(request.title)),
      m_message(QString::fromStdString(request.message)) {
    setWindowTitle(m_title);

    const int textLeft = kPadding + kIconSize + 14;
    const int textWidth = kWidth - textLeft - kPadding;
    const QFontMetrics metrics(SkinFont(kMessageFont));
    const QRect needed = metrics.boundingRect(QRect(0, 0, textWidth, 10000),
                                              Qt::TextWordWrap | Qt::AlignLeft, m_message);
    const int bodyHeight = std::max(kIconSize, needed.height());
    m_messageRect = QRect(textLeft, kTitleHeight + kPadding + (bodyHeight - needed.height()) / 2,
                          textWidth, needed.height());
    const int buttonsTop = kTitleHeight + kPadding + bodyHeight + kPadding;
    setFixedSize(kWidth, buttonsTop + kButtonHeight + 14);

    const auto buttons = ButtonsOf(request.kind);
    int x = kWidth - kPadding - int(buttons.size()) * (kButtonWidth + kButtonGap) + kButtonGap;
    for (const auto& [text, code] : buttons) {
        auto* created = new ImageButton(
            text, m_buttons.empty() ? ButtonSkin::primary() : ButtonSkin::muted(), this);
        created->setFontSize(14);
        if (!m_buttons.empty()) {
            created->setTextColor(QColor::fromRgb(skin::kTextStrong));
        }
        created->setGeometry(x, buttonsTop, kButtonWidth, kButtonHeight);
        connect(created, &ImageButton::clicked, this, [this, code = code] { answer(code); });
        m_buttons.push_back(created);
        x += kButtonWidth + kButtonGap;
    }

    auto* closeButton = new ImageButton({}, pictures::TitleBarButton(true), this);
    closeButton->setGeometry(kWidth - kTitleHeight, 0, kTitleHeight, kTitleHeight);
    connect(closeButton, &ImageButton::clicked, this, &QWidget::close);
}

void SystemMsgBoxDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    const qreal radius = roundedCorners() ? 6 : 0;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.fillPath(shape, QColor::fromRgb(skin::kPanel));
    painter.save();
    painter.setClipPath(shape);
    painter.fillRect(QRect(0, 0, width(), kTitleHeight), QColor::fromRgb(skin::kSlate));
    painter.restore();
    painter.setPen(QPen(QColor(0, 0, 0, 50), 1));
    painter.drawPath(shape);

    painter.setFont(SkinFont(14));
    painter.setPen(Qt::white);
    painter.drawText(QRect(14, 0, width() - kTitleHeight - 14, kTitleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, m_title);
    const int iconTop = m_messageRect.center().y() - kIconSize / 2;
    icons::Info(painter, QRectF(kPadding, iconTop, kIconSize, kIconSize), QColor(0x2d, 0x8c, 0xf0));
    painter.setFont(SkinFont(kMessageFont));
    painter.setPen(QColor::fromRgb(skin::kTextStrong));
    painter.drawText(m_messageRect, Qt::TextWordWrap | Qt::AlignLeft, m_message);
}

}  // namespace qvpc::ui
