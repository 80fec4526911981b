#include "boxsim/device/sync_service.h"

#include "boxsim/apk/byte_io.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxPathLength = 1024;
constexpr size_t kMaxDataChunk = 64 * 1024;
constexpr uint64_t kMaxFileSize = 512ull << 20;

std::string id(std::string_view name, uint32_t value) {
    ByteWriter w;
    w.bytes(name);
    w.u32(value);
    return std::move(w.str());
}

std::string fail(std::string_view message) {
    return id("FAIL", static_cast<uint32_t>(message.size())) + std::string(message);
}

// Buffers the host's bytes and hands out whole requests.
class RequestReader {
  public:
    explicit RequestReader(AdbStream& stream) : m_stream(stream) {}

    // Exactly n bytes, or nullopt when the stream ended first.
    std::optional<std::string> take(size_t n) {
        while (m_buffer.size() - m_at < n) {
            auto chunk = m_stream.read();
            if (!chunk) {
                return std::nullopt;
            }
            m_buffer.erase(0, m_at);
            m_at = 0;
            m_buffer += *chunk;
        }
        std::string out = m_buffer.substr(m_at, n);
        m_at += n;
        return out;
    }

  private:
    AdbStream& m_stream;
    std::string m_buffer;
    size_t m_at = 0;
};

bool sendFile(AdbStream& stream, Box& box, const std::string& path, TransferLimits& limits) {
    auto normalized = VirtualFiles::normalize(path);
    auto data = normalized ? box.readFile(*normalized) : nullptr;
    if (!data) {
        return stream.write(fail("No such file or directory"));
    }
    std::string_view rest(*data);
    while (!rest.empty()) {
        const std::string_view chunk = rest.substr(0, kMaxDataChunk);
        if (!limits.account(chunk.size()) ||
            !stream.write(id("DATA", static_cast<uint32_t>(chunk.size())) + std::string(chunk))) {
            return false;
        }
        rest.remove_prefix(chunk.size());
    }
    return stream.write(id("DONE", 0));
}

bool receiveFile(RequestReader& reader, AdbStream& stream, Box& box, const std::string& spec,
                 TransferLimits& limits) {
    // "path,mode"; the mode is not kept.
    const size_t comma = spec.rfind(',');
    const std::string path = comma == std::string::npos ? spec : spec.substr(0, comma);
    std::string data;
    bool tooBig = false;
    for (;;) {
        auto header = reader.take(8);
        if (!header) {
            return false;
        }
        ByteView v(*header);
        const std::string kind = header->substr(0, 4);
        const uint32_t length = v.u32(4);
        if (kind == "DONE") {
            break;
        }
        if (kind != "DATA" || length > kMaxDataChunk) {
            stream.write(fail("invalid data message"));
            return false;
        }
        auto chunk = reader.take(length);
        if (!chunk || !limits.account(length)) {
            return false;
        }
        if (data.size() + chunk->size() > kMaxFileSize) {
            tooBig = true;
            data.clear();
        } else if (!tooBig) {
            data += *chunk;
        }
    }
    auto normalized = VirtualFiles::normalize(path);
    std::string error = tooBig ? "No space left on device" : "";
    if (error.empty()) {
        error =
            normalized ? box.writeFile(*normalized, std::move(data)) : "No such file or directory";
    }
    return stream.write(error.empty() ? id("OKAY", 0) : fail("couldn't create file: " + error));
}

bool listDirectory(AdbStream& stream, Box& box, const std::string& path) {
    auto normalized = VirtualFiles::normalize(path);
    std::string reply;
    // adbd runs as shell: a folder it may not read lists as empty.
    if (normalized && box.mayList(*normalized)) {
        for (const std::string& name :
             box.listDirectory(*normalized).value_or(std::vector<std::string>{})) {
            auto entry = box.stat((*normalized == "/" ? "" : *normalized) + "/" + name);
            if (!entry) {
                continue;
            }
            reply += id("DENT", entry->mode);
            ByteWriter w;
            w.u32(static_cast<uint32_t>(entry->size));
            w.u32(entry->mtime);
            w.u32(static_cast<uint32_t>(name.size()));
            reply += w.str() + name;
        }
    }
    return stream.write(reply + id("DONE", 0) + std::string(12, '\0'));
}

}  // namespace

void RunSyncService(AdbStream& stream, Box& box, TransferLimits& limits) {
    RequestReader reader(stream);
    for (;;) {
        auto header = reader.take(8);
        if (!header) {
            return;
        }
        const std::string kind = header->substr(0, 4);
        const uint32_t length = ByteView(*header).u32(4);
        if (kind == "QUIT") {
            return;
        }
        if ((kind != "STAT" && kind != "LIST" && kind != "SEND" && kind != "RECV") ||
            length > kMaxPathLength) {
            stream.write(fail("invalid sync request"));
            return;
        }
        auto path = reader.take(length);
        if (!path) {
            return;
        }
        box.record("sync", kind + " " + *path);
        bool ok = true;
        if (kind == "STAT") {
            auto normalized = VirtualFiles::normalize(*path);
            auto entry = normalized ? box.stat(*normalized) : std::nullopt;
            ByteWriter w;
            w.bytes("STAT");
            w.u32(entry ? entry->mode : 0);
            w.u32(entry ? static_cast<uint32_t>(entry->size) : 0);
            w.u32(entry ? entry->mtime : 0);
            ok = stream.write(w.str());
        } else if (kind == "LIST") {
            ok = listDirectory(stream, box, *path);
        } else if (kind == "RECV") {
            ok = sendFile(stream, box, *path, limits);
        } else {
            ok = receiveFile(reader, stream, box, *path, limits);
        }
        if (!ok) {
            return;
        }
    }
}

}  // namespace qvpc::boxsim
