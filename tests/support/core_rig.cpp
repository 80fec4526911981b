#include "support/core_rig.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "adb/task_shell.h"
#include "support/wait.h"

namespace qvpc::test {

ProgressEngine::Timings CoreRig::QuickTicks() {
    ProgressEngine::Timings timings;
    timings.period = std::chrono::milliseconds(200);
    return timings;
}

CoreRig::CoreRig(std::vector<BoxSpec> boxes, ProgressEngine::Timings timings, Config config,
                 LocalNetwork network)
    : boxsim(boxes.empty() ? nullptr : std::make_unique<BoxsimProcess>(std::move(boxes))),
      paths(AppPaths::UnderDocuments(dir.path() + "/My Documents")),
      log(paths.logPath),
      core(paths, std::move(config), log, screen, timings, std::move(network)) {
    MakeDirectories(paths.tempDir);
}

void CoreRig::start() {
    core.InitAdb();
}

bool CoreRig::connect(const std::string& address) {
    core.actions().connectTypedAddress(address);
    return waitForIdle() && screen.currentPage() == PageId::Home;
}

bool CoreRig::waitForIdle(std::chrono::milliseconds limit) {
    return WaitFor([this] { return core.engine().currentProgress().empty(); }, limit);
}

bool Listening(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace qvpc::test
