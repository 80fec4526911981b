#pragma once

#include <utility>
#include <vector>

#include "base/screen.h"
#include "ui/box_dialog.h"

namespace qvpc::ui {

class ImageButton;

// The toolkit's system-style box: an information icon, the message, and the
// buttons of its kind, each answering with a fixed code:
//   0 "确认"→0 · 1 "确认"→0 "取消"→1 · 2 "放弃"→2 "重试"→3 "忽略"→4
//   3 "是(&Y)"→5 "否(&N)"→6 "取消"→1 · 4 "是(&Y)"→5 "否(&N)"→6 · 5 "重试"→3 "取消"→1
// Closing it without a button answers 1, the cancel code. 320 pixels wide,
// as tall as its text needs; the title defaults to "提示：".
class SystemMsgBoxDialog : public BoxDialog {
    Q_OBJECT

  public:
    static constexpr int kWidth = 320;
    static constexpr int kCancelCode = 1;

    // The buttons of a kind as (text, code); unknown kinds act as kind 0.
    static std::vector<std::pair<QString, int>> ButtonsOf(int kind);

    SystemMsgBoxDialog(const SystemMsgBoxRequest& request, QWidget* owner);

    ImageButton& button(int index) { return *m_buttons.at(index); }
    int buttonCount() const { return static_cast<int>(m_buttons.size()); }
    QString title() const { return m_title; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_title;
    QString m_message;
    QRect m_messageRect;
    std::vector<ImageButton*> m_buttons;
};

}  // namespace qvpc::ui
