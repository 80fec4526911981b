#include "ui/socket_notifiers.h"

namespace qvpc::ui {

int SocketNotifiers::watch(int fd, std::function<void()> onReadable) {
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    if (!notifier->isValid()) {
        return 0;
    }
    QSocketNotifier* raw = notifier.get();
    QObject::connect(raw, &QSocketNotifier::activated, raw, [raw, handler = std::move(onReadable)] {
        raw->setEnabled(false);
        handler();
    });
    const int id = ++m_lastId;
    m_notifiers.emplace(id, std::move(notifier));
    return id;
}

void SocketNotifiers::resume(int id) {
    if (auto it = m_notifiers.find(id); it != m_notifiers.end()) {
        it->second->setEnabled(true);
    }
}

void SocketNotifiers::unwatch(int id) {
    if (auto it = m_notifiers.find(id); it != m_notifiers.end()) {
        // The handler may be the one unwatching: the notifier goes once it returns.
        it->second->setEnabled(false);
        it->second.release()->deleteLater();
        m_notifiers.erase(it);
    }
}

}  // namespace qvpc::ui
