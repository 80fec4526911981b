#include "devices/tcp_probes.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>

#include "base/log.h"
#include "base/unique_fd.h"

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

struct ProbeSlot {
    UniqueFd socket;
    Clock::time_point start;
    std::size_t target = 0;
    bool busy = false;
};

std::string SlotPrefix(int number, const std::string& address) {
    return "线程ID：" + std::to_string(number) + "，IP：" + address;
}

}  // namespace

void TcpProbes::run(const std::vector<ProbeTarget>& targets, const Hooks& hooks) {
    std::array<ProbeSlot, kSlots> slots;
    std::size_t next = 0;
    bool dispatching = true;
    auto finishDispatch = [&] {
        if (dispatching && next == targets.size()) {
            dispatching = false;
            if (hooks.dispatchFinished) {
                hooks.dispatchFinished();
            }
        }
    };
    auto free = [](ProbeSlot& slot) {
        slot.socket.reset();
        slot.busy = false;
    };
    // A probe whose connection is over: it succeeded or it did not.
    auto settle = [&](ProbeSlot& slot, int number, bool connected) {
        const ProbeTarget& target = targets[slot.target];
        if (connected) {
            m_log.WriteLog(log_category::kScan, SlotPrefix(number, target.address) + " 有效");
            if (hooks.found) {
                hooks.found(target);
            }
        }
        free(slot);
    };
    // Starts the probe of the next target in the slot; the slot stays busy
    // only while the connection is under way.
    auto start = [&](ProbeSlot& slot, int number) {
        slot.target = next++;
        const ProbeTarget& target = targets[slot.target];
        slot.socket.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!slot.socket.valid()) {
            m_log.WriteLog(log_category::kScan,
                           SlotPrefix(number, target.address) + "创建 socket 失败.");
            return;
        }
        const int flags = ::fcntl(slot.socket.get(), F_GETFL);
        if (flags < 0 || ::fcntl(slot.socket.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
            slot.socket.reset();
            m_log.WriteLog(log_category::kScan,
                           SlotPrefix(number, target.address) + "设置非阻塞失败");
            return;
        }
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<std::uint16_t>(target.port));
        if (::inet_pton(AF_INET, target.address.c_str(), &peer.sin_addr) != 1) {
            free(slot);
            return;
        }
        slot.busy = true;
        slot.start = Clock::now();
        if (::connect(slot.socket.get(), reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) {
            settle(slot, number, true);
        } else if (errno != EINPROGRESS) {
            settle(slot, number, false);  // refused at once, or no route
        }
    };

    finishDispatch();
    std::vector<pollfd> watched;
    std::vector<int> slotOf;
    while (!(hooks.stop && hooks.stop->load())) {
        for (int k = 0; k < kSlots && next < targets.size(); ++k) {
            // A probe that is over at once leaves its slot the lowest free one.
            while (!slots[k].busy && next < targets.size()) {
                start(slots[k], k + 1);
            }
        }
        finishDispatch();

        watched.clear();
        slotOf.clear();
        Clock::time_point firstDeadline = Clock::time_point::max();
        for (int k = 0; k < kSlots; ++k) {
            if (slots[k].busy) {
                watched.push_back({slots[k].socket.get(), POLLOUT, 0});
                slotOf.push_back(k);
                firstDeadline = std::min(firstDeadline, slots[k].start + kSlotLifetime);
            }
        }
        if (watched.empty()) {
            if (!dispatching) {
                break;
            }
            continue;
        }
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(firstDeadline - Clock::now());
        const int timeout = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < watched.size(); ++i) {
            const short events = watched[i].revents;
            if (events == 0) {
                continue;
            }
            ProbeSlot& slot = slots[slotOf[i]];
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(slot.socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
            const bool broken = (events & (POLLERR | POLLHUP)) != 0;
            if (error != 0 && !broken) {
                m_log.WriteLog(log_category::kScan,
                               SlotPrefix(slotOf[i] + 1, targets[slot.target].address) + " 无效");
            }
            settle(slot, slotOf[i] + 1, error == 0 && (events & POLLOUT));
        }
        // Reclaimed whatever they are doing: older than the slot's lifetime.
        const Clock::time_point now = Clock::now();
        for (ProbeSlot& slot : slots) {
            if (slot.busy && now - slot.start >= kSlotLifetime) {
                free(slot);
            }
        }
    }
}

}  // namespace qvpc
