#include "services/md5_digest.h"

#include <openssl/evp.h>

#include <fstream>
#include <memory>
#include <vector>

namespace qvpc {
namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

std::string Hex(const unsigned char* digest, unsigned length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0xF];
    }
    return hex;
}

// Feeds chunks from next() until it gives an empty one; nothing on failure.
template <class Next>
std::optional<std::string> Digest(Next&& next) {
    DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) {
        return std::nullopt;
    }
    for (std::optional<std::span<const unsigned char>> chunk = next(); chunk; chunk = next()) {
        if (EVP_DigestUpdate(context.get(), chunk->data(), chunk->size()) != 1) {
            return std::nullopt;
        }
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        return std::nullopt;
    }
    return Hex(digest, length);
}

}  // namespace

std::string Md5Hex(std::span<const unsigned char> bytes) {
    bool given = false;
    return Digest([&]() -> std::optional<std::span<const unsigned char>> {
               if (given) {
                   return std::nullopt;
               }
               given = true;
               return bytes;
           })
        .value_or("");
}

std::optional<std::string> FileMd5Hex(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<char> buffer(64 * 1024);
    bool failed = false;
    std::optional<std::string> digest =
        Digest([&]() -> std::optional<std::span<const unsigned char>> {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            if (in.bad()) {
                failed = true;
                return std::nullopt;
            }
            if (in.gcount() == 0) {
                return std::nullopt;
            }
            return std::span<const unsigned char>(
                reinterpret_cast<const unsigned char*>(buffer.data()),
                static_cast<std::size_t>(in.gcount()));
        });
    return failed ? std::nullopt : digest;
}

}  // namespace qvpc
