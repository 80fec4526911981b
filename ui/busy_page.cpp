#include "ui/busy_page.h"

#include "ui/busy_indicator.h"
#include "ui/pictures.h"
#include "ui/toolkit/context_menu.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

constexpr int kCloseSize = 32;
constexpr int kCloseInset = 14;

}  // namespace

BusyPage::BusyPage(QWidget* parent)
    : Page(1, parent),
      m_screenshot(new ImageBox(this)),
      m_menu(new ContextMenu(m_screenshot)),
      m_close(new ImageButton({}, pictures::ScreenshotClose(), this)),
      m_indicator(new BusyIndicator(this)),
      m_title(
          addLabel(QString::fromUtf8("正在查找设备 ... ..."), 30, skin::kText, {0, 348, 900, 34})),
      m_hint(addLabel(QString::fromUtf8("提示：请连接在同一网络环境下"), 14, skin::kTextMuted,
                      {0, 394, 900, 20})) {
    m_screenshot->setGeometry(rect());
    m_screenshot->setBackdrop(QColor(0x1e, 0x22, 0x2b));
    m_screenshot->hide();
    m_menu->addItem(QString::fromUtf8("刷新"), [this] { emit menuChosen(MenuItem::Refresh); });
    m_menu->addItem(QString::fromUtf8("另存为"), [this] { emit menuChosen(MenuItem::SaveAs); });
    m_menu->addItem(QString::fromUtf8("打开文件夹"),
                    [this] { emit menuChosen(MenuItem::OpenFolder); });
    const QString close = QString::fromUtf8("关闭截图");
    m_menu->addItem(close, [this] { emit menuChosen(MenuItem::Close); });
    m_close->setGeometry(width() - kCloseSize - kCloseInset, kCloseInset, kCloseSize, kCloseSize);
    m_close->setToolTip(close);
    m_close->hide();
    connect(m_close, &ImageButton::clicked, this, [this] { emit menuChosen(MenuItem::Close); });
    m_indicator->setGeometry(340, 98, 220, 220);
}

void BusyPage::setScreenshotMode(bool screenshot) {
    m_indicator->setVisible(!screenshot);
    m_title->setVisible(!screenshot);
    m_hint->setVisible(!screenshot);
    m_screenshot->setVisible(screenshot);
    m_close->setVisible(screenshot);
}

bool BusyPage::isScreenshotMode() const {
    return !m_screenshot->isHidden();
}

void BusyPage::setTitle(const QString& title) {
    m_title->setText(title);
}

void BusyPage::setHint(const QString& hint) {
    m_hint->setText(hint);
}

QString BusyPage::title() const {
    return m_title->text();
}

QString BusyPage::hint() const {
    return m_hint->text();
}

void BusyPage::setScreenshot(const QString& pngPath) {
    // Read through a fresh pixmap each time: the file is replaced in place
    // by every capture, so nothing may be taken from a cache by its name.
    QPixmap picture;
    if (!pngPath.isEmpty()) {
        picture.load(pngPath);
    }
    m_screenshot->setImage(picture);
}

}  // namespace qvpc::ui
