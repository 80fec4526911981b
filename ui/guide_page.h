#pragma once

#include <array>

#include "ui/page.h"

namespace qvpc {
class Log;
}

namespace qvpc::ui {

class ImageBox;

// Page 5: the four-step picture guide for boxes whose ADB must be switched on
// by hand (boxes running the Aliyun system).
class GuidePage : public Page {
    Q_OBJECT

  public:
    static constexpr int kSteps = 4;
    static QString nextText();    // "下一步"
    static QString finishText();  // "设置完成,继续连接"

    GuidePage(Log& log, QWidget* parent);

    // Shows step k (1..4): its picture and text, its number emphasised. An
    // invalid k is logged and changes nothing.
    bool ShowGuideStep(int k);
    int step() const { return m_step; }

    void previous();  // one step back, not below 1
    void next();      // one step on, not above 4
    // Back to step 1 with the button reading "下一步".
    void reset();

    QString nextButtonText() const;
    QString stepText() const;
    TextLabel& stepNumber(int k) { return *m_numbers[k - 1]; }

  private:
    Log& m_log;
    int m_step = 1;
    TextLabel* m_text;
    ImageBox* m_picture;
    std::array<TextLabel*, kSteps> m_numbers{};
};

}  // namespace qvpc::ui
