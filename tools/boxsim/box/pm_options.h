#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvpc::boxsim {

// pm's nextOption(): only the words at the front that start with "-" are
// options, each cut to two characters ("-3f" is "-3"; "--user" stays
// whole), and "--" ends them. Then nextArgument() hands out the words left.
class PmOptions {
  public:
    PmOptions(const std::vector<std::string>& args, size_t first) : m_args(args), m_at(first) {}

    std::optional<std::string> next() {
        if (m_done || m_at >= m_args.size() || m_args[m_at].rfind('-', 0) != 0) {
            return std::nullopt;
        }
        const std::string& arg = m_args[m_at++];
        if (arg == "--") {
            m_done = true;
            return std::nullopt;
        }
        return arg.size() > 2 && arg[1] != '-' ? arg.substr(0, 2) : arg;
    }
    std::optional<std::string> nextArgument() {
        return m_at < m_args.size() ? std::optional<std::string>(m_args[m_at++]) : std::nullopt;
    }

  private:
    const std::vector<std::string>& m_args;
    size_t m_at;
    bool m_done = false;
};

}  // namespace qvpc::boxsim
