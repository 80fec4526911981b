#include "ui/not_found_page.h"

#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {

QString NotFoundPage::defaultHint() {
    return QString::fromUtf8("提示：请连接在同一环境下");
}

NotFoundPage::NotFoundPage(QWidget* parent)
    : Page(3, parent),
      m_picture(new ImageBox(this)),
      m_hint(addLabel(defaultHint(), 14, skin::kTextMuted, {0, 452, 900, 20})) {
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
}

QString NotFoundPage::hint() const {
    return m_hint->text();
}

}  // namespace qvpc::ui
