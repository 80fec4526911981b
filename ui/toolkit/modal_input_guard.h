#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace qvpc::ui {

// Makes a window modal the way the skin's boxes are: while the guard lives,
// mouse and keyboard input meant for any other window of the program is
// dropped, and a press there brings the modal window to the front instead;
// only the unblocked controls (and what lies in them) still take input.
// The owner first hears that the mouse has left it, so its hover looks end.
class ModalInputGuard : public QObject {
    Q_OBJECT

  public:
    ModalInputGuard(QWidget* modalWindow, QWidget* owner, const QList<QWidget*>& unblocked = {});
    ~ModalInputGuard() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool belongsToModal(QObject* object) const;
    bool isUnblocked(QObject* object) const;

    QPointer<QWidget> m_modal;
    QList<QPointer<QWidget>> m_unblocked;
};

}  // namespace qvpc::ui
