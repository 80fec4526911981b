#include "support/archive_files.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qvpc::test {
namespace {

constexpr std::size_t kBlock = 512;

std::string Octal(std::size_t value, std::size_t width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*zo", static_cast<int>(width - 1), value);
    return std::string(text, width - 1) + '\0';
}

std::string TarHeader(const std::string& name, std::size_t size) {
    std::string header(kBlock, '\0');
    header.replace(0, name.size(), name);
    header.replace(100, 8, Octal(0755, 8));
    header.replace(108, 8, Octal(0, 8));
    header.replace(116, 8, Octal(0, 8));
    header.replace(124, 12, Octal(size, 12));
    header.replace(136, 12, Octal(0, 12));
    header[156] = '0';
    header.replace(257, 6, std::string("ustar\0", 6));
    header.replace(263, 2, "00");
    // The checksum is summed with its own field as blanks.
    header.replace(148, 8, std::string(8, ' '));
    unsigned sum = 0;
    for (const char c : header) {
        sum += static_cast<unsigned char>(c);
    }
    header.replace(148, 8, Octal(sum, 7) + ' ');
    return header;
}

std::string Gzip(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (rc != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    return out;
}

}  // namespace

std::string TarArchive(const std::vector<ArchiveMember>& files, bool gzip) {
    std::string tar;
    for (const auto& [name, content] : files) {
        tar += TarHeader(name, content.size()) + content;
        tar.append((kBlock - content.size() % kBlock) % kBlock, '\0');
    }
    tar.append(2 * kBlock, '\0');
    return gzip ? Gzip(tar) : tar;
}

std::string ArArchive(const std::vector<ArchiveMember>& members) {
    std::string ar = "!<arch>\n";
    for (const auto& [name, content] : members) {
        char header[61];
        std::snprintf(header, sizeof header, "%-16s%-12s%-6s%-6s%-8s%-10zu`\n", name.c_str(), "0",
                      "0", "0", "100644", content.size());
        ar += std::string(header, 60) + content;
        if (content.size() % 2) {
            ar += '\n';
        }
    }
    return ar;
}

std::string DebianPackage() {
    return ArArchive({{"debian-binary", "2.0\n"},
                      {"control.tar.gz", TarArchive({{"./control", "Package: qvpc\n"}}, true)},
                      {"data.tar.gz", TarArchive({{"./usr/bin/qvpc", "program"}}, true)}});
}

}  // namespace qvpc::test
