#include "boxsim/box/authorization_prompt.h"

namespace qvpc::boxsim {

AuthorizationPrompt::Wait::~Wait() {
    // Taking the lock also waits for an allow that is running now.
    std::lock_guard lock(m_prompt.m_mutex);
    m_prompt.m_waiting.erase(m_id);
}

std::unique_ptr<AuthorizationPrompt::Wait> AuthorizationPrompt::await(std::function<void()> allow) {
    std::lock_guard lock(m_mutex);
    const uint64_t id = m_nextId++;
    m_waiting.emplace(id, std::move(allow));
    return std::unique_ptr<Wait>(new Wait(*this, id));
}

void AuthorizationPrompt::allowAll() {
    std::lock_guard lock(m_mutex);
    for (auto& [id, allow] : m_waiting) {
        allow();
    }
    m_waiting.clear();
}

}  // namespace qvpc::boxsim
