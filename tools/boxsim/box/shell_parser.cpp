#include "boxsim/box/shell_parser.h"

#include <cctype>

namespace qvpc::boxsim {

namespace {

class Lexer {
  public:
    Lexer(std::string_view line, const Substitute& substitute)
        : m_line(line), m_substitute(substitute) {}

    ParseResult parse() {
        ParseResult result;
        Pipeline pipeline;
        SimpleCommand command;
        auto endCommand = [&]() -> bool {
            if (command.words.empty() && command.redirections.empty()) {
                return false;
            }
            pipeline.commands.push_back(std::move(command));
            command = {};
            return true;
        };
        auto endPipeline = [&](Pipeline::Connector next) -> bool {
            const bool had = endCommand();
            if (!had && !pipeline.commands.empty()) {
                return false;  // "a | ;"
            }
            if (!pipeline.commands.empty()) {
                result.pipelines.push_back(std::move(pipeline));
            }
            pipeline = {};
            pipeline.connector = next;
            return true;
        };

        while (true) {
            skipSpaces();
            if (m_at >= m_line.size() || m_line[m_at] == '#') {
                break;
            }
            const char c = m_line[m_at];
            if (c == ';' || c == '&' || c == '|' || c == '\n') {
                std::string op(1, c);
                ++m_at;
                if ((c == '&' || c == '|') && m_at < m_line.size() && m_line[m_at] == c) {
                    op += c;
                    ++m_at;
                }
                bool ok = true;
                if (op == "|") {
                    ok = endCommand();
                } else if (op == "&&") {
                    ok = endPipeline(Pipeline::Connector::IfSuccess) && !result.pipelines.empty();
                } else if (op == "||") {
                    ok = endPipeline(Pipeline::Connector::IfFailure) && !result.pipelines.empty();
                } else {
                    const bool empty = command.words.empty() && pipeline.commands.empty();
                    ok = !empty || op == "\n";
                    endPipeline(Pipeline::Connector::Always);
                }
                if (!ok) {
                    result.error = "syntax error: '" + op + "' unexpected";
                    return result;
                }
                continue;
            }
            // A redirection: [digit](< | > | >>) target, or digit>&digit.
            size_t at = m_at;
            int fd = -1;
            if (std::isdigit(static_cast<unsigned char>(c)) && at + 1 < m_line.size() &&
                (m_line[at + 1] == '>' || m_line[at + 1] == '<')) {
                fd = c - '0';
                ++at;
            }
            if (m_line[at] == '<' || m_line[at] == '>') {
                Redirection r;
                r.fd = fd >= 0 ? fd : (m_line[at] == '<' ? 0 : 1);
                ++at;
                if (m_line[at - 1] == '>' && at < m_line.size() && m_line[at] == '>') {
                    r.append = true;
                    ++at;
                }
                m_at = at;
                if (m_at < m_line.size() && m_line[m_at] == '&') {
                    ++m_at;
                    r.target = "&";
                }
                skipSpaces();
                std::optional<std::string> word = readWord(result.error);
                if (!result.error.empty()) {
                    return result;
                }
                if (!word) {
                    result.error = "syntax error: newline unexpected";
                    return result;
                }
                r.target += *word;
                command.redirections.push_back(std::move(r));
                continue;
            }
            std::optional<std::string> word = readWord(result.error);
            if (!result.error.empty()) {
                return result;
            }
            if (word) {
                command.words.push_back(std::move(*word));
            }
        }
        const bool dangling =
            command.words.empty() && command.redirections.empty() &&
            (pipeline.connector != Pipeline::Connector::Always || !pipeline.commands.empty());
        if (dangling) {
            result.error = "syntax error: unexpected end of line";
            return result;
        }
        endPipeline(Pipeline::Connector::Always);
        return result;
    }

  private:
    void skipSpaces() {
        while (m_at < m_line.size() &&
               (m_line[m_at] == ' ' || m_line[m_at] == '\t' || m_line[m_at] == '\r')) {
            ++m_at;
        }
    }

    static bool isWordEnd(char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == '&' ||
               c == '|' || c == '<' || c == '>';
    }

    // At "$(" or "`": the command up to the matching close, with m_at after
    // it; nullopt when it never closes.
    std::optional<std::string_view> readSubstitution() {
        const bool backtick = m_line[m_at] == '`';
        const size_t start = m_at + (backtick ? 1 : 2);
        int depth = 1;
        for (size_t i = start; i < m_line.size(); ++i) {
            const char c = m_line[i];
            if (c == '\\') {
                ++i;
            } else if (backtick && c == '`') {
                m_at = i + 1;
                return m_line.substr(start, i - start);
            } else if (!backtick && c == '\'') {
                i = m_line.find('\'', i + 1);
                if (i == std::string_view::npos) {
                    return std::nullopt;
                }
            } else if (!backtick && c == '(') {
                ++depth;
            } else if (!backtick && c == ')' && --depth == 0) {
                m_at = i + 1;
                return m_line.substr(start, i - start);
            }
        }
        return std::nullopt;
    }

    bool atSubstitution() const {
        return m_substitute && m_at < m_line.size() &&
               (m_line[m_at] == '`' || m_line.substr(m_at, 2) == "$(");
    }

    // The output of the substitution at m_at, without its final line ends.
    bool substitute(std::string& word, std::string& error) {
        auto command = readSubstitution();
        if (!command) {
            error = "syntax error: unterminated command substitution";
            return false;
        }
        std::string output = m_substitute(*command);
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
            output.pop_back();
        }
        word += output;
        return true;
    }

    // nullopt when no word starts here; error set for an unclosed quote.
    std::optional<std::string> readWord(std::string& error) {
        std::string word;
        bool started = false;
        while (m_at < m_line.size() && !isWordEnd(m_line[m_at])) {
            started = true;
            if (atSubstitution()) {
                if (!substitute(word, error)) {
                    return std::nullopt;
                }
                continue;
            }
            const char c = m_line[m_at++];
            if (c == '\'') {
                const size_t end = m_line.find('\'', m_at);
                if (end == std::string_view::npos) {
                    error = "no closing quote";
                    return std::nullopt;
                }
                word.append(m_line.substr(m_at, end - m_at));
                m_at = end + 1;
            } else if (c == '"') {
                bool closed = false;
                while (m_at < m_line.size()) {
                    if (atSubstitution()) {
                        if (!substitute(word, error)) {
                            return std::nullopt;
                        }
                        continue;
                    }
                    const char d = m_line[m_at++];
                    if (d == '"') {
                        closed = true;
                        break;
                    }
                    if (d == '\\' && m_at < m_line.size() &&
                        std::string_view("\"\\$`\n").find(m_line[m_at]) != std::string_view::npos) {
                        word += m_line[m_at++];
                    } else {
                        word += d;
                    }
                }
                if (!closed) {
                    error = "no closing quote";
                    return std::nullopt;
                }
            } else if (c == '\\') {
                if (m_at < m_line.size()) {
                    word += m_line[m_at++];
                }
            } else {
                word += c;
            }
        }
        return started ? std::optional<std::string>(std::move(word)) : std::nullopt;
    }

    std::string_view m_line;
    const Substitute& m_substitute;
    size_t m_at = 0;
};

}  // namespace

ParseResult ParseShellLine(std::string_view line, const Substitute& substitute) {
    return Lexer(line, substitute).parse();
}

}  // namespace qvpc::boxsim
