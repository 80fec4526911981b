#pragma once

#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>

namespace qvpc::ui {

// The sockets the core watches on the UI thread's event loop, one notifier
// each. A notifier rests after each call of its handler until resumed, as
// the core's SocketWatch promises. UI thread only.
class SocketNotifiers {
  public:
    int watch(int fd, std::function<void()> onReadable);
    void resume(int id);
    void unwatch(int id);

  private:
    std::map<int, std::unique_ptr<QSocketNotifier>> m_notifiers;
    int m_lastId = 0;
};

}  // namespace qvpc::ui
