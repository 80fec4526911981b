#include "sim/fault.h"

#include <charconv>
#include <vector>

namespace qvpc::servicesim {
namespace {

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
    std::uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t pos = 0;
    while (true) {
        size_t at = text.find(separator, pos);
        parts.push_back(text.substr(pos, at == std::string_view::npos ? at : at - pos));
        if (at == std::string_view::npos) {
            return parts;
        }
        pos = at + 1;
    }
}

}  // namespace

bool Fault::isNone() const {
    return reply == Reply::Normal && delayMs == 0 && throttleBytesPerSecond == 0 && !dropAfter &&
           !stallAfter && byteIntervalMs == 0 && !endless && !jsLiteral && shape.isUsual() &&
           !metaCharset && !unknownLength;
}

std::string Fault::text() const {
    std::vector<std::string> kinds;
    if (delayMs > 0) {
        kinds.push_back("slow:" + std::to_string(delayMs));
    }
    switch (reply) {
        case Reply::Normal:
            break;
        case Reply::MinusOne:
            kinds.push_back("-1");
            break;
        case Reply::Empty:
            kinds.push_back("empty");
            break;
        case Reply::Malformed:
            kinds.push_back("malformed");
            break;
        case Reply::Huge:
            kinds.push_back("huge:" + std::to_string(hugeBytes));
            break;
        case Reply::HttpError:
            kinds.push_back("http:" + std::to_string(httpStatus));
            break;
    }
    if (jsLiteral) {
        kinds.push_back("literal");
    }
    if (shape.hostile) {
        kinds.push_back("hostile");
    }
    if (shape.allnum) {
        kinds.push_back("allnum:" + *shape.allnum);
    }
    for (const std::string& key : shape.asNumbers) {
        kinds.push_back("number:" + key);
    }
    for (const std::string& key : shape.missing) {
        kinds.push_back("missing:" + key);
    }
    if (shape.escapes) {
        kinds.push_back("escape:" + *shape.escapes);
    }
    if (shape.leadingCr) {
        kinds.push_back("leadcr");
    } else if (!shape.lineEnd.empty()) {
        kinds.push_back("crlf");
    }
    if (metaCharset) {
        kinds.push_back("meta:" + *metaCharset);
    }
    if (unknownLength) {
        kinds.push_back("nolength");
    }
    if (throttleBytesPerSecond > 0) {
        kinds.push_back("throttle:" + std::to_string(throttleBytesPerSecond));
    }
    if (dropAfter) {
        kinds.push_back("drop:" + std::to_string(*dropAfter));
    }
    if (stallAfter) {
        kinds.push_back("stall:" + std::to_string(*stallAfter));
    }
    if (byteIntervalMs > 0) {
        kinds.push_back("loris:" + std::to_string(byteIntervalMs));
    }
    if (endless) {
        kinds.push_back("endless");
    }
    if (kinds.empty()) {
        return "none";
    }
    std::string out;
    for (const std::string& kind : kinds) {
        out += (out.empty() ? "" : "+") + kind;
    }
    return out;
}

std::optional<Fault> Fault::Parse(std::string_view spec, std::string& error) {
    Fault fault;
    for (std::string_view part : Split(spec, '+')) {
        size_t colon = part.find(':');
        std::string_view kind = part.substr(0, colon);
        std::optional<std::string_view> argument;
        if (colon != std::string_view::npos) {
            argument = part.substr(colon + 1);
        }
        auto number = [&](std::uint64_t max) -> std::optional<std::uint64_t> {
            std::optional<std::uint64_t> value = argument ? ParseNumber(*argument) : std::nullopt;
            if (!value || *value > max) {
                error = "fault \"" + std::string(part) + "\" needs a number up to " +
                        std::to_string(max);
                return std::nullopt;
            }
            return value;
        };
        if (kind == "none" || kind.empty()) {
            continue;
        } else if (kind == "slow") {
            auto value = number(3'600'000);
            if (!value) {
                return std::nullopt;
            }
            fault.delayMs = *value;
        } else if (kind == "-1" || kind == "minus1") {
            fault.reply = Reply::MinusOne;
        } else if (kind == "empty") {
            fault.reply = Reply::Empty;
        } else if (kind == "malformed") {
            fault.reply = Reply::Malformed;
        } else if (kind == "huge") {
            fault.reply = Reply::Huge;
            if (argument) {
                auto value = number(1ull << 40);
                if (!value) {
                    return std::nullopt;
                }
                fault.hugeBytes = *value;
            }
        } else if (kind == "http") {
            auto value = number(599);
            if (!value || *value < 100) {
                error = "fault \"" + std::string(part) + "\" needs a status from 100 to 599";
                return std::nullopt;
            }
            fault.reply = Reply::HttpError;
            fault.httpStatus = static_cast<int>(*value);
        } else if (kind == "literal") {
            fault.jsLiteral = true;
        } else if (kind == "allnum" || kind == "number" || kind == "missing" || kind == "meta") {
            if (!argument || argument->empty() || argument->size() > 64) {
                error = "fault \"" + std::string(part) + "\" needs a text after \":\"";
                return std::nullopt;
            }
            std::string text(*argument);
            if (kind == "allnum") {
                fault.shape.allnum = text;
            } else if (kind == "number") {
                fault.shape.asNumbers.push_back(text);
            } else if (kind == "missing") {
                fault.shape.missing.push_back(text);
            } else {
                fault.metaCharset = text;
            }
        } else if (kind == "escape") {
            if (!argument || (*argument != "json" && *argument != "percent")) {
                error = "fault \"" + std::string(part) + "\" is escape:json or escape:percent";
                return std::nullopt;
            }
            fault.shape.escapes = std::string(*argument);
        } else if (kind == "crlf") {
            fault.shape.lineEnd = "\r\n";
        } else if (kind == "leadcr") {
            fault.shape.leadingCr = true;
            fault.shape.lineEnd = "\r";
        } else if (kind == "nolength") {
            fault.unknownLength = true;
        } else if (kind == "hostile") {
            fault.shape.hostile = true;
        } else if (kind == "endless") {
            fault.endless = true;
        } else if (kind == "loris") {
            auto value = argument ? number(60'000) : std::optional<std::uint64_t>(3000);
            if (!value || *value == 0) {
                error = "fault \"" + std::string(part) + "\" needs a pause from 1 to 60000 ms";
                return std::nullopt;
            }
            fault.byteIntervalMs = *value;
        } else if (kind == "throttle") {
            auto value = number(1ull << 40);
            if (!value || *value == 0) {
                error = "fault \"" + std::string(part) + "\" needs a rate above 0";
                return std::nullopt;
            }
            fault.throttleBytesPerSecond = *value;
        } else if (kind == "drop") {
            auto value = number(1ull << 40);
            if (!value) {
                return std::nullopt;
            }
            fault.dropAfter = *value;
        } else if (kind == "stall") {
            auto value = number(1ull << 40);
            if (!value) {
                return std::nullopt;
            }
            fault.stallAfter = *value;
        } else {
            error = "unknown fault \"" + std::string(part) +
                    "\" (slow:MS, -1, empty, malformed, huge[:BYTES], http:CODE, literal, "
                    "throttle:BPS, drop:BYTES, stall:BYTES, allnum:TEXT, number:KEY, "
                    "missing:KEY, escape:json|percent, crlf, leadcr, meta:CHARSET, nolength, "
                    "hostile, endless, loris[:MS], none)";
            return std::nullopt;
        }
    }
    return fault;
}

Fault FaultTable::get(Endpoint endpoint) const {
    std::lock_guard lock(m_mutex);
    auto it = m_faults.find(endpoint);
    return it == m_faults.end() ? Fault{} : it->second;
}

void FaultTable::set(Endpoint endpoint, const Fault& fault) {
    std::lock_guard lock(m_mutex);
    if (fault.isNone()) {
        m_faults.erase(endpoint);
    } else {
        m_faults[endpoint] = fault;
    }
}

void FaultTable::clear() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::map<std::string, std::string> FaultTable::describe() const {
    std::lock_guard lock(m_mutex);
    std::map<std::string, std::string> out;
    for (const auto& [endpoint, fault] : m_faults) {
        out[std::string(EndpointName(endpoint))] = fault.text();
    }
    return out;
}

}  // namespace qvpc::servicesim
