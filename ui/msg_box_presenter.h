#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <variant>

#include "base/screen.h"

namespace qvpc::ui {

class ModalInputGuard;

// Shows the program's boxes one at a time. A box asked for while another is
// open waits in line, and every caller gets the answer of its own box: the
// described program kept the answer in one shared slot, so two boxes asked
// for from two threads at once could swap or lose answers.
//
// All members run on the user-interface thread. Other threads queue their box
// through the screen, which carries the request here and waits for the answer.
class MsgBoxPresenter : public QObject {
    Q_OBJECT

  public:
    using Request = std::variant<MsgBoxRequest, SystemMsgBoxRequest>;
    using Answer = std::function<void(int)>;

    // What the boxes need of the main window.
    struct Host {
        QWidget* owner = nullptr;
        std::function<void()> closePopup;
        std::function<void(bool)> setShade;
        // Controls of the owner that a box leaves working (the window's own
        // minimise and close buttons).
        QList<QWidget*> unblocked;
    };

    // The answer of a box that was never answered: -1 for a message box, 1
    // (the cancel code) for a system box.
    static int unanswered(const Request& request);

    explicit MsgBoxPresenter(Host host, QObject* parent = nullptr);
    ~MsgBoxPresenter() override;

    // Waits in a nested event loop for the box's turn and its answer. Gives
    // unanswered(request) if the event loops are ended before the box is
    // answered.
    int exec(const Request& request);

    // Puts the box in line; answer runs on this thread when the box closes.
    void enqueue(Request request, Answer answer);

    // The box on the screen, or null.
    QWidget* openBox() const { return m_open; }

    // The program is ending: the open box and those in line close, each
    // answered as unanswered, and boxes asked for later are answered so at
    // once, never shown.
    void dismissAll();

  private:
    struct Pending {
        Request request;
        Answer answer;
    };

    void showNext();
    void finish(int result);
    QWidget* create(const Request& request);

    Host m_host;
    std::deque<Pending> m_queue;
    QPointer<QWidget> m_open;
    Answer m_openAnswer;
    Request m_openRequest;
    bool m_openDims = false;
    bool m_dismissed = false;
    std::unique_ptr<ModalInputGuard> m_guard;
};

}  // namespace qvpc::ui
