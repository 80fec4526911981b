#pragma once

#include <vector>

#include "base/screen.h"
#include "ui/box_dialog.h"

namespace qvpc::ui {

class ImageButton;
class TextLabel;

// The program's message box: a borderless dark box owned by the main window
// with a title, a message and one to three buttons. It answers the 0-based
// index of the button pressed, or -1 when it was closed otherwise.
class MsgBoxDialog : public BoxDialog {
    Q_OBJECT

  public:
    static constexpr int kUnanswered = -1;

    MsgBoxDialog(const MsgBoxRequest& request, QWidget* owner);

    ImageButton& button(int index) { return *m_buttons.at(index); }
    int buttonCount() const { return static_cast<int>(m_buttons.size()); }
    TextLabel& titleLabel() { return *m_title; }
    TextLabel& messageLabel() { return *m_message; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TextLabel* m_title;
    TextLabel* m_message;
    std::vector<ImageButton*> m_buttons;
};

}  // namespace qvpc::ui
