#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace qvpc::ui {

// Makes a window modal the way the skin's boxes are: while the guard lives,
// mouse and keyboard input meant for any other window of the program is
// dropped, and a press there brings the modal window to the front instead.
// The owner first hears that the mouse has left it, so its hover looks end.
class ModalInputGuard : public QObject {
    Q_OBJECT

  public:
    ModalInputGuard(QWidget* modalWindow, QWidget* owner);
    ~ModalInputGuard() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool belongsToModal(QObject* object) const;

    QPointer<QWidget> m_modal;
};

}  // namespace qvpc::ui
