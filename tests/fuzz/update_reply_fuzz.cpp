// The update server's reply on any bytes and headers: the reply's head up
// to its first empty line, then the body. Its text is UTF-8 whatever the
// charset, its items hold no separator, and only digits and dots make a
// version.
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "net/http_client.h"
#include "services/update_reply.h"
#include "services/version_number.h"

namespace {

using qvpc::fuzz::Require;

bool Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    return text.empty() || (kBlanks.find(text.front()) == std::string_view::npos &&
                            kBlanks.find(text.back()) == std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t headEnd = input.find("\r\n\r\n");
    qvpc::HttpReply reply;
    if (headEnd != std::string_view::npos) {
        reply.headers = std::string(input.substr(0, headEnd + 2));
        reply.bytes = std::string(input.substr(headEnd + 4));
    } else {
        reply.headers = "HTTP/1.1 200 OK\r\n";
        reply.bytes = std::string(input);
    }
    const std::string statusLine = reply.headers.substr(0, reply.headers.find("\r\n"));
    reply.status = statusLine.size() > 9 ? statusLine.substr(9) : std::string();

    const std::string text = qvpc::UpdateReplyText(reply);
    Require(qvpc::IsValidUtf8(text));

    const qvpc::ParsedUpdateReply parsed = qvpc::ParseUpdateReply(text);
    if (parsed.kind == qvpc::ParsedUpdateReply::Kind::Offer) {
        const qvpc::UpdateOffer& offer = parsed.offer;
        for (const std::string* item : {&offer.version, &offer.url, &offer.force, &offer.notes}) {
            Require(item->find("<rb>") == std::string::npos &&
                    item->find("<br>") == std::string::npos);
        }
        Require(Trimmed(offer.version) && Trimmed(offer.url) && Trimmed(offer.force));
        const auto version = qvpc::VersionNumber::Parse(offer.version);
        const auto running = qvpc::VersionNumber::Parse("1.0.0.1");
        if (version && *version == *running) {
            Require(offer.version.find_first_not_of("0123456789.") == std::string::npos);
        }
    }
    return 0;
}
