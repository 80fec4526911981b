#include "ui/not_found_page.h"

#include <algorithm>

#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

constexpr QRect kHintBox{0, 452, 900, 20};
// A hint too long for one line wraps, clear of the window's edges, into the
// room between the lower button (bottom 438) and the page's foot.
constexpr int kWrapMargin = 40;
constexpr int kRoomTop = 444;
constexpr int kRoomBottom = PageContainer::kGeometry.height() - 6;

}  // namespace

QString NotFoundPage::defaultHint() {
    return QString::fromUtf8("提示：请连接在同一环境下");
}

NotFoundPage::NotFoundPage(QWidget* parent)
    : Page(3, parent),
      m_picture(new ImageBox(this)),
      m_hint(addLabel(defaultHint(), 14, skin::kTextMuted, kHintBox)) {
    m_picture->setGeometry(175, 72, 550, 240);
    m_picture->setArtwork(pictures::NoDevice());
    addButton(PageButton::Retry, QString::fromUtf8("再试一次"), {270, 338, 160, 40},
              ButtonSkin::primary());
    addButton(PageButton::EnterIp, QString::fromUtf8("输入IP连接设备"), {470, 338, 160, 40},
              ButtonSkin::primary());
    addLinkButton(PageButton::NotFoundGuide, QString::fromUtf8("阿里云必看"), {367, 398, 160, 40});
}

void NotFoundPage::showOutcome(const QString& failureText) {
    m_failed = !failureText.isEmpty();
    m_picture->setArtwork(m_failed ? pictures::ConnectFailed() : pictures::NoDevice());
    m_hint->setText(m_failed ? failureText : defaultHint());
    placeHint();
}

void NotFoundPage::placeHint() {
    const bool oneLine = m_hint->wrappedLineCount(kHintBox.width()) <= 1;
    m_hint->setWordWrap(!oneLine);
    if (oneLine) {
        m_hint->setGeometry(kHintBox);
        return;
    }
    const int width = kHintBox.width() - 2 * kWrapMargin;
    const int height = std::min(m_hint->wrappedHeight(width), kRoomBottom - kRoomTop);
    const int top = std::max(kRoomTop, std::min(kHintBox.top(), kRoomBottom - height));
    m_hint->setGeometry(kWrapMargin, top, width, height);
}

QString NotFoundPage::hint() const {
    return m_hint->text();
}

}  // namespace qvpc::ui
