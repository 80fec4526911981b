#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace qvpc::boxsim {

// The TV's "Allow USB debugging?" dialog: ADB connections whose key waits
// for the user's answer register here, and allowAll() is the user's tap on
// "Allow". Thread-safe.
class AuthorizationPrompt {
  public:
    // Unregisters on destruction; once the destructor returns, allow is not
    // running and will not run.
    class Wait {
      public:
        ~Wait();
        Wait(const Wait&) = delete;
        Wait& operator=(const Wait&) = delete;

      private:
        friend class AuthorizationPrompt;
        Wait(AuthorizationPrompt& prompt, uint64_t id) : m_prompt(prompt), m_id(id) {}
        AuthorizationPrompt& m_prompt;
        const uint64_t m_id;
    };

    // allow runs at most once, on the thread that calls allowAll(). The
    // prompt must outlive the Wait.
    std::unique_ptr<Wait> await(std::function<void()> allow);
    void allowAll();

  private:
    std::mutex m_mutex;
    std::map<uint64_t, std::function<void()>> m_waiting;
    uint64_t m_nextId = 0;
};

}  // namespace qvpc::boxsim
