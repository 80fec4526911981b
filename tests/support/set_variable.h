#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace qvpc::test {

// Sets an environment variable while the object lives and puts back what
// was there before.
class SetVariable {
  public:
    SetVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* before = std::getenv(name)) {
            m_before = before;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~SetVariable() {
        if (m_before) {
            ::setenv(m_name, m_before->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    SetVariable(const SetVariable&) = delete;
    SetVariable& operator=(const SetVariable&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_before;
};

}  // namespace qvpc::test
