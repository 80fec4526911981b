#include "ui/guide_page.h"

#include "base/log.h"
#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

constexpr const char* kStepTexts[GuidePage::kSteps] = {
    "进入到阿里云的系统设置，选择通用设置选项，选择系统信息选项，点击进入．",
    "版权声明选项,遥控点击进入",
    "进入版权声明后,拿起遥控器,来回点击左右键直至界面出现变化,大约来回点击五六次.",
    "此时工程模式出现了,打开调试模式,接下来就可以继续操作了.",
};

// The row of step numbers: 20 × 20 each, 5 apart, at y 420, centred in the
// frame like everything else on the page. The x is worked out within the
// frame, so the frame's own x is added to place it on the page.
constexpr int kNumberSize = 20;
constexpr int kNumberGap = 5;
constexpr int kNumbersY = 420;
constexpr int kFrameX = 14;
constexpr int kFrameWidth = 872;

int NumberX(int i) {
    const int n = GuidePage::kSteps;
    return kFrameX + (kFrameWidth - kNumberSize * n - kNumberGap * (n - 1)) / 2 +
           (kNumberSize + kNumberGap) * (i - 1);
}

}  // namespace

QString GuidePage::nextText() {
    return QString::fromUtf8("下一步");
}

QString GuidePage::finishText() {
    return QString::fromUtf8("设置完成,继续连接");
}

GuidePage::GuidePage(Log& log, QWidget* parent) : Page(5, parent), m_log(log) {
    addLabel(QString::fromUtf8("您使用的设备是阿里云系统，需要手动开启ADB，请参照以下步骤"), 18,
             skin::kOrange, {0, 32, 900, 50}, Qt::AlignHCenter | Qt::AlignTop);
    auto* frame = new ImageBox(this);
    frame->setGeometry(kFrameX, 64, kFrameWidth, 396);
    frame->setArtwork(pictures::GuideFrame());
    m_text = addLabel({}, 18, skin::kText, {66, 84, 768, 26});
    m_picture = new ImageBox(this);
    m_picture->setGeometry(150, 122, 600, 280);
    addButton(PageButton::GuidePrevious, {}, {34, 246, 32, 32}, pictures::GuideArrow(true));
    addButton(PageButton::GuideNext, {}, {834, 246, 32, 32}, pictures::GuideArrow(false));
    for (int i = 1; i <= kSteps; ++i) {
        m_numbers[i - 1] = addLabel(QString::number(i), 18, skin::kText,
                                    {NumberX(i), kNumbersY, kNumberSize, kNumberSize});
    }
    addButton(PageButton::GuideBack, QString::fromUtf8("返回"), {244, 474, 186, 40},
              ButtonSkin::slate());
    addButton(PageButton::GuideNextOrFinish, nextText(), {470, 474, 186, 40},
              ButtonSkin::primary());
    ShowGuideStep(1);
}

bool GuidePage::ShowGuideStep(int k) {
    if (k < 1 || k > kSteps) {
        m_log.WriteLog(log_category::kOperation, "数字,不合法入");
        return false;
    }
    m_step = k;
    m_picture->setArtwork(pictures::GuideStep(k));
    m_text->setText(QString::fromUtf8(kStepTexts[k - 1]));
    for (int i = 1; i <= kSteps; ++i) {
        TextLabel* number = m_numbers[i - 1];
        if (i == k) {
            number->setFontSize(20, true);
            number->setColor(QColor::fromRgb(skin::kSlate));
        } else {
            number->setFontSize(18);
            number->setColor(QColor::fromRgb(skin::kText));
        }
    }
    // The button reads "finish" on the last step only: stepping back with the
    // arrow from the last step must not leave a finish button on step 3.
    button(PageButton::GuideNextOrFinish)->setText(k == kSteps ? finishText() : nextText());
    return true;
}

void GuidePage::previous() {
    ShowGuideStep(std::max(1, m_step - 1));
}

void GuidePage::next() {
    ShowGuideStep(std::min(kSteps, m_step + 1));
}

void GuidePage::reset() {
    ShowGuideStep(1);  // step 1 also puts "下一步" back on the button
}

QString GuidePage::nextButtonText() const {
    return button(PageButton::GuideNextOrFinish)->text();
}

QString GuidePage::stepText() const {
    return m_text->text();
}

}  // namespace qvpc::ui
