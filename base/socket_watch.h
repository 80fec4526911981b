#pragma once

#include <functional>

namespace qvpc {

// A socket watched on the user-interface thread's event loop, as the box
// command channel needs it: the handler runs on that thread when the socket
// turns readable (data arrived, or the peer closed it). After each call the
// watch rests until resumed, so data left unread does not call again and
// again; whoever reads the data resumes it.
class SocketWatch {
  public:
    virtual ~SocketWatch() = default;

    // A watch id (above 0), or 0 when the socket cannot be watched.
    virtual int watchSocket(int fd, std::function<void()> onReadable) = 0;
    virtual void resumeSocketWatch(int id) = 0;
    // The handler is not called after this returns.
    virtual void unwatchSocket(int id) = 0;
};

}  // namespace qvpc
