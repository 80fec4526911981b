#include "boxsim/apk/zip_archive.h"

#include <zip.h>

#include <stdexcept>

namespace qvpc::boxsim {

namespace {

// 2015-01-01 00:00 in MS-DOS date and time form.
constexpr zip_uint16_t kDosDate = ((2015 - 1980) << 9) | (1 << 5) | 1;
constexpr zip_uint16_t kDosTime = 0;

struct SourceDeleter {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceDeleter>;

struct FileDeleter {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using FilePtr = std::unique_ptr<zip_file_t, FileDeleter>;

}  // namespace

std::unique_ptr<ZipReader> ZipReader::open(std::string_view bytes) {
    // libzip takes no bytes for an empty archive; Android finds no end of
    // central directory in them and refuses the file.
    if (bytes.empty()) {
        return nullptr;
    }
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
    zip_error_fini(&error);
    if (!source) {
        return nullptr;
    }
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(source.get(), ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        return nullptr;
    }
    source.release();  // the archive owns it now
    return std::unique_ptr<ZipReader>(new ZipReader(archive));
}

ZipReader::~ZipReader() {
    zip_discard(m_archive);
}

std::vector<std::string> ZipReader::names(size_t maxCount) const {
    std::vector<std::string> out;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count && out.size() < maxCount; ++i) {
        if (const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(i), 0)) {
            out.emplace_back(name);
        }
    }
    return out;
}

std::optional<std::string> ZipReader::read(std::string_view name, size_t maxBytes) const {
    const std::string key(name);
    const zip_int64_t index = zip_name_locate(m_archive, key.c_str(), 0);
    if (index < 0) {
        return std::nullopt;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE) || st.size > maxBytes) {
        return std::nullopt;
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
        return std::nullopt;
    }
    FilePtr file(zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0));
    if (!file) {
        return std::nullopt;
    }
    // Read one byte past the stated size: a lying header cannot inflate more.
    std::string out(static_cast<size_t>(st.size) + 1, '\0');
    size_t got = 0;
    while (got < out.size()) {
        const zip_int64_t n = zip_fread(file.get(), out.data() + got, out.size() - got);
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (got != st.size) {
        return std::nullopt;
    }
    out.resize(got);
    return out;
}

std::string WriteZip(const std::vector<ZipEntry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    SourcePtr target(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_error_fini(&error);
    if (!target) {
        throw std::runtime_error("zip: cannot create buffer");
    }
    zip_source_keep(target.get());  // read back after zip_close
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(target.get(), ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(target.get());  // undo the keep
        throw std::runtime_error("zip: cannot open for writing");
    }
    for (const auto& e : entries) {
        zip_source_t* data = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, e.name.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(data);
            zip_discard(archive);
            throw std::runtime_error("zip: cannot add " + e.name);
        }
        const auto i = static_cast<zip_uint64_t>(index);
        zip_set_file_compression(archive, i, e.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
        zip_file_set_dostime(archive, i, kDosTime, kDosDate, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("zip: cannot finish the archive");
    }
    std::string out;
    if (zip_source_open(target.get()) == 0) {
        zip_source_seek(target.get(), 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(target.get());
        zip_source_seek(target.get(), 0, SEEK_SET);
        out.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (zip_source_read(target.get(), out.data(), out.size()) != size) {
            out.clear();
        }
        zip_source_close(target.get());
    }
    if (out.empty()) {
        throw std::runtime_error("zip: cannot read back the archive");
    }
    return out;
}

}  // namespace qvpc::boxsim
