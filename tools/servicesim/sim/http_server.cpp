#include "sim/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "sim/paced_body.h"

namespace qvpc::servicesim {
namespace {

constexpr unsigned kMaxConnections = 128;
constexpr unsigned kIdleTimeoutSeconds = 60;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        return lower(x) == lower(y);
    });
}

ssize_t ReadBody(void* cls, uint64_t pos, char* buf, size_t max) {
    long long got = static_cast<PacedBody*>(cls)->read(pos, buf, max);
    return got < 0 ? MHD_CONTENT_READER_END_WITH_ERROR : static_cast<ssize_t>(got);
}

// Without a Content-Length the end of the body is the end of the stream.
ssize_t ReadBodyToEnd(void* cls, uint64_t pos, char* buf, size_t max) {
    auto* body = static_cast<PacedBody*>(cls);
    if (pos >= body->size()) {
        return MHD_CONTENT_READER_END_OF_STREAM;
    }
    long long got = body->read(pos, buf, max);
    return got <= 0 ? MHD_CONTENT_READER_END_WITH_ERROR : static_cast<ssize_t>(got);
}

void FreeBody(void* cls) {
    delete static_cast<PacedBody*>(cls);
}

void LogMhd(void*, const char* format, va_list args) {
    std::fputs("servicesim: http: ", stderr);
    std::vfprintf(stderr, format, args);
}

MHD_Result CollectValue(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* headers = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
    headers->emplace_back(key ? key : "", value ? value : "");
    return MHD_YES;
}

}  // namespace

std::optional<std::string> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

// Per-request state, from the first line to the end of the reply.
struct HttpServer::Connection {
    std::string rawTarget;
    bool started = false;
    bool tooLarge = false;
    std::string body;
};

struct HttpServer::Callbacks {
    static void* OnUri(void*, const char* uri, MHD_Connection*) {
        auto* connection = new Connection;
        connection->rawTarget = uri ? uri : "";
        return connection;
    }

    static void OnCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
        delete static_cast<Connection*>(*state);
        *state = nullptr;
    }

    static MHD_Result QueueStatus(MHD_Connection* mhd, unsigned status) {
        MHD_Response* response =
            MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        MHD_Result result = MHD_queue_response(mhd, status, response);
        MHD_destroy_response(response);
        return result;
    }

    static MHD_Result OnRequest(void* cls, MHD_Connection* mhd, const char*, const char* method,
                                const char*, const char* uploadData, size_t* uploadSize,
                                void** state) {
        auto* server = static_cast<HttpServer*>(cls);
        auto* connection = static_cast<Connection*>(*state);
        if (!connection) {
            return MHD_NO;
        }
        if (!connection->started) {
            connection->started = true;
            const char* length =
                MHD_lookup_connection_value(mhd, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (length && std::strtoull(length, nullptr, 10) > kMaxRequestBody) {
                return QueueStatus(mhd, 413);
            }
            return MHD_YES;
        }
        if (*uploadSize > 0) {
            if (connection->body.size() + *uploadSize > kMaxRequestBody) {
                connection->tooLarge = true;
            } else {
                connection->body.append(uploadData, *uploadSize);
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        if (connection->tooLarge) {
            return QueueStatus(mhd, 413);
        }
        HttpRequest request;
        request.method = method ? method : "";
        request.target = RequestTarget::Parse(connection->rawTarget);
        request.body = std::move(connection->body);
        MHD_get_connection_values(mhd, MHD_HEADER_KIND, CollectValue, &request.headers);
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(mhd, MHD_CONNECTION_INFO_CLIENT_ADDRESS)) {
            if (info->client_addr && info->client_addr->sa_family == AF_INET) {
                char text[INET_ADDRSTRLEN] = {};
                const auto* in = reinterpret_cast<const sockaddr_in*>(info->client_addr);
                inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
                request.peer = text;
            }
        }
        HttpResponse reply = server->m_handler(request);
        if (reply.delayMs > 0 &&
            !server->m_stop.sleepFor(std::chrono::milliseconds(reply.delayMs))) {
            return MHD_NO;
        }
        MHD_Response* response = nullptr;
        if (!reply.body || reply.body->size() == 0) {
            response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        } else {
            auto* stream = new PacedBody(reply.body,
                                         {.bytesPerSecond = reply.throttleBytesPerSecond,
                                          .byteIntervalMs = reply.byteIntervalMs,
                                          .dropAfter = reply.dropAfter,
                                          .stallAfter = reply.stallAfter},
                                         server->m_stop);
            response = reply.unknownLength
                           ? MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 32 * 1024,
                                                               ReadBodyToEnd, stream, FreeBody)
                           : MHD_create_response_from_callback(reply.body->size(), 32 * 1024,
                                                               ReadBody, stream, FreeBody);
            if (!response) {
                delete stream;
                return MHD_NO;
            }
        }
        for (const auto& [name, value] : reply.headers) {
            MHD_add_response_header(response, name.c_str(), value.c_str());
        }
        MHD_Result result = MHD_queue_response(mhd, static_cast<unsigned>(reply.status), response);
        MHD_destroy_response(response);
        return result;
    }
};

HttpServer::HttpServer(const std::string& address, std::uint16_t port, HttpHandler handler,
                       const StopSignal& stop)
    : m_handler(std::move(handler)), m_stop(stop) {
    sockaddr_in bindAddress{};
    bindAddress.sin_family = AF_INET;
    bindAddress.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &bindAddress.sin_addr) != 1) {
        throw std::runtime_error("not an IPv4 address: " + address);
    }
    m_daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_POLL |
            MHD_USE_ERROR_LOG,
        port, nullptr, nullptr, &Callbacks::OnRequest, this, MHD_OPTION_EXTERNAL_LOGGER, &LogMhd,
        this, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&bindAddress),
        MHD_OPTION_CONNECTION_LIMIT, kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT,
        kIdleTimeoutSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(64 * 1024),
        MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::OnUri, this, MHD_OPTION_NOTIFY_COMPLETED,
        &Callbacks::OnCompleted, this, MHD_OPTION_END);
    if (!m_daemon) {
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
}

HttpServer::~HttpServer() {
    if (m_daemon) {
        MHD_stop_daemon(m_daemon);
    }
}

}  // namespace qvpc::servicesim
