#pragma once

#include <QWidget>
#include <vector>

#include "app/screen.h"

namespace qvpc::ui {

class ImageButton;
class TextLabel;

// The program's message box: a borderless dark box owned by the main window
// with a title, a message and one to three buttons. It reports once, when it
// closes: the 0-based index of the button pressed, or -1 when it was closed
// otherwise (Escape, the window manager).
class MsgBoxDialog : public QWidget {
    Q_OBJECT

  public:
    MsgBoxDialog(const MsgBoxRequest& request, QWidget* owner);

    ImageButton& button(int index) { return *m_buttons.at(index); }
    int buttonCount() const { return static_cast<int>(m_buttons.size()); }
    TextLabel& titleLabel() { return *m_title; }
    TextLabel& messageLabel() { return *m_message; }

  signals:
    void answered(int result);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    TextLabel* m_title;
    TextLabel* m_message;
    std::vector<ImageButton*> m_buttons;
    int m_result = -1;
    bool m_answered = false;
};

}  // namespace qvpc::ui
