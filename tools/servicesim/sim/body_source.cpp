#include "sim/body_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace qvpc::servicesim {
namespace {

class StringSource : public BodySource {
  public:
    explicit StringSource(std::string text) : m_text(std::move(text)) {}
    std::uint64_t size() const override { return m_text.size(); }
    long long read(std::uint64_t offset, char* out, std::size_t max) override {
        if (offset >= m_text.size()) {
            return 0;
        }
        std::size_t n = std::min<std::size_t>(max, m_text.size() - offset);
        std::memcpy(out, m_text.data() + offset, n);
        return static_cast<long long>(n);
    }

  private:
    std::string m_text;
};

class FileSource : public BodySource {
  public:
    FileSource(int fd, std::uint64_t offset, std::uint64_t length)
        : m_fd(fd), m_offset(offset), m_length(length) {}
    ~FileSource() override { close(m_fd); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return m_length; }
    long long read(std::uint64_t offset, char* out, std::size_t max) override {
        if (offset >= m_length) {
            return 0;
        }
        std::size_t n = std::min<std::uint64_t>(max, m_length - offset);
        ssize_t got = pread(m_fd, out, n, static_cast<off_t>(m_offset + offset));
        return got <= 0 ? -1 : got;
    }

  private:
    int m_fd;
    std::uint64_t m_offset;
    std::uint64_t m_length;
};

class PaddedSource : public BodySource {
  public:
    PaddedSource(std::shared_ptr<BodySource> inner, std::uint64_t total, char fill)
        : m_inner(std::move(inner)), m_total(std::max(total, m_inner->size())), m_fill(fill) {}
    std::uint64_t size() const override { return m_total; }
    long long read(std::uint64_t offset, char* out, std::size_t max) override {
        if (offset < m_inner->size()) {
            return m_inner->read(offset, out, max);
        }
        if (offset >= m_total) {
            return 0;
        }
        std::size_t n = std::min<std::uint64_t>(max, m_total - offset);
        std::memset(out, m_fill, n);
        return static_cast<long long>(n);
    }

  private:
    std::shared_ptr<BodySource> m_inner;
    std::uint64_t m_total;
    char m_fill;
};

}  // namespace

std::shared_ptr<BodySource> StringBody(std::string text) {
    return std::make_shared<StringSource>(std::move(text));
}

std::shared_ptr<BodySource> FileBody(const std::string& path, std::uint64_t offset,
                                     std::uint64_t length) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_shared<FileSource>(fd, offset, length);
}

std::shared_ptr<BodySource> PaddedBody(std::shared_ptr<BodySource> inner, std::uint64_t total,
                                       char fill) {
    return std::make_shared<PaddedSource>(std::move(inner), total, fill);
}

}  // namespace qvpc::servicesim
