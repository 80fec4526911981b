#include "ui/ui_thread_gate.h"

#include <QCoreApplication>
#include <QThread>

namespace qvpc::ui {

UiThreadGate::UiThreadGate()
    : m_context(std::make_unique<QObject>()), m_state(std::make_shared<State>()) {}

UiThreadGate::~UiThreadGate() {
    close();
}

bool UiThreadGate::isUiThread() const {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void UiThreadGate::close() {
    m_state->open = false;
}

void UiThreadGate::post(std::function<void()> task) {
    QMetaObject::invokeMethod(m_context.get(), std::move(task), Qt::QueuedConnection);
}

}  // namespace qvpc::ui
