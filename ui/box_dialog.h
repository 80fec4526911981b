#pragma once

#include <QWidget>

namespace qvpc::ui {

// What the program's modal boxes share: an owned, borderless, translucent
// window that reports once, when it closes, with the result its button set,
// or with its unanswered result when it was closed otherwise (Escape, the
// window manager).
class BoxDialog : public QWidget {
    Q_OBJECT

  public:
    BoxDialog(QWidget* owner, int unanswered);

    // Rounded only where translucent windows show: elsewhere the pixels
    // outside a rounded corner would show black.
    bool roundedCorners() const { return m_rounded; }

  signals:
    void answered(int result);

  protected:
    // Keeps the result and closes the box.
    void answer(int result);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    int m_result;
    bool m_rounded;
    bool m_answered = false;
};

}  // namespace qvpc::ui
