#include "ui/manual_ip_page.h"

#include <QPainter>

#include "ui/icons.h"
#include "ui/toolkit/line_edit.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {

ManualIpPage::ManualIpPage(QWidget* parent)
    : Page(7, parent),
      m_address(
          new LineEdit(QStringLiteral("192.168.0."), 30, QColor::fromRgb(skin::kText), this)) {
    m_address->setGeometry(150, 222, 340, 54);
    addButton(PageButton::ConnectTypedIp, QString::fromUtf8("连接"), {550, 229, 90, 40},
              ButtonSkin::primary());
    addButton(PageButton::CancelManualIp, QString::fromUtf8("取消"), {660, 229, 90, 40},
              ButtonSkin::slate());
    addLinkButton(PageButton::ManualIpGuide, QString::fromUtf8("阿里云必看"), {265, 359, 160, 40});
    addLinkButton(PageButton::Tutorial, QString::fromUtf8("教程中心"), {475, 359, 160, 40});
    connect(m_address, &QLineEdit::returnPressed, this,
            [this] { emit buttonClicked(PageButton::ConnectTypedIp); });
}

void ManualIpPage::paintEvent(QPaintEvent*) {
    // The page's emblem over the address row: a box with the address tag.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(450, 122);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe4, 0xe8, 0xee));
    painter.drawEllipse(centre, 56, 56);
    icons::Tv(painter, QRectF(centre.x() - 32, centre.y() - 34, 64, 64), QColor(0x8e, 0x98, 0xaa));
    const QRectF tag(centre.x() + 22, centre.y() + 22, 44, 26);
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(QColor::fromRgb(skin::kAccent));
    painter.drawRoundedRect(tag, 13, 13);
    painter.setPen(Qt::white);
    painter.setFont(SkinFont(14, true));
    painter.drawText(tag, Qt::AlignCenter, QStringLiteral("IP"));
}

QString ManualIpPage::address() const {
    return m_address->text();
}

void ManualIpPage::setAddress(const QString& text) {
    m_address->setText(text);
}

}  // namespace qvpc::ui
