#include "ui/msg_box_presenter.h"

#include <QEventLoop>
#include <QTimer>

#include "ui/desktop.h"
#include "ui/msg_box_dialog.h"
#include "ui/msg_box_layout.h"
#include "ui/system_msg_box_dialog.h"
#include "ui/toolkit/modal_input_guard.h"

namespace qvpc::ui {
int MsgBoxPresenter::unanswered(const Request& request) {
    return std::holds_alternative<MsgBoxRequest>(request) ? MsgBoxDialog::kUnanswered
                                                          : SystemMsgBoxDialog::kCancelCode;
}

MsgBoxPresenter::MsgBoxPresenter(Host host, QObject* parent)
    : QObject(parent), m_host(std::move(host)) {}

MsgBoxPresenter::~MsgBoxPresenter() = default;

int MsgBoxPresenter::exec(const Request& request) {
    struct Wait {
        QEventLoop loop;
        std::optional<int> result;
    };
    // Shared, because the answer may come after this call has given up.
    auto wait = std::make_shared<Wait>();
    enqueue(request, [wait](int result) {
        wait->result = result;
        wait->loop.quit();
    });
    if (!wait->result) {
        wait->loop.exec();
    }
    if (wait->result) {
        return *wait->result;
    }
    return unanswered(request);
}

void MsgBoxPresenter::enqueue(Request request, Answer answer) {
    if (m_dismissed) {
        if (answer) {
            answer(unanswered(request));
        }
        return;
    }
    m_queue.push_back({std::move(request), std::move(answer)});
    showNext();
}

void MsgBoxPresenter::dismissAll() {
    m_dismissed = true;
    std::deque<Pending> waiting = std::exchange(m_queue, {});
    if (m_open) {
        finish(unanswered(m_openRequest));
    }
    for (Pending& pending : waiting) {
        if (pending.answer) {
            pending.answer(unanswered(pending.request));
        }
    }
}

void MsgBoxPresenter::showNext() {
    if (m_open || m_queue.empty() || m_dismissed) {
        return;
    }
    Pending next = std::move(m_queue.front());
    m_queue.pop_front();
    m_openAnswer = std::move(next.answer);
    m_openRequest = next.request;
    m_openDims = false;
    if (const auto* box = std::get_if<MsgBoxRequest>(&next.request)) {
        if (m_host.closePopup) {
            m_host.closePopup();
        }
        m_openDims = box->dimMainWindow;
    }
    if (m_openDims && m_host.setShade) {
        m_host.setShade(true);
    }
    QWidget* dialog = create(next.request);
    m_open = dialog;
    m_guard = std::make_unique<ModalInputGuard>(dialog, m_host.owner, m_host.unblocked);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

QWidget* MsgBoxPresenter::create(const Request& request) {
    QWidget* owner = m_host.owner;
    const QRect ownerRect = owner ? owner->frameGeometry() : QRect();
    BoxDialog* dialog = nullptr;
    if (const auto* box = std::get_if<MsgBoxRequest>(&request)) {
        dialog = new MsgBoxDialog(*box, owner);
        dialog->move(MsgBoxPosition(ownerRect, dialog->size(), ScreenGeometryOf(owner)));
    } else {
        dialog = new SystemMsgBoxDialog(std::get<SystemMsgBoxRequest>(request), owner);
        const QRect area = owner ? ownerRect : ScreenGeometryOf(owner);
        dialog->move(area.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    }
    connect(dialog, &BoxDialog::answered, this, &MsgBoxPresenter::finish);
    return dialog;
}

void MsgBoxPresenter::finish(int result) {
    m_guard.reset();
    if (m_openDims && m_host.setShade) {
        m_host.setShade(false);
    }
    if (m_open) {
        m_open->hide();
        m_open->deleteLater();
    }
    m_open = nullptr;
    const Answer answer = std::exchange(m_openAnswer, {});
    // The next box waits for the event loop, so that the box just answered
    // is gone from the screen before the next one shows.
    QTimer::singleShot(0, this, &MsgBoxPresenter::showNext);
    if (answer) {
        answer(result);
    }
}

}  // namespace qvpc::ui
