#include "boxsim/apk/image.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace qvpc::boxsim {

namespace {

// 5 × 7 glyphs, one byte per row, the low five bits left to right.
struct Glyph {
    char c;
    std::array<uint8_t, 7> rows;
};

constexpr Glyph kFont[] = {
    {'A', {0x0e, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}},
    {'B', {0x1e, 0x11, 0x11, 0x1e, 0x11, 0x11, 0x1e}},
    {'C', {0x0e, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0e}},
    {'D', {0x1e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1e}},
    {'E', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x1f}},
    {'F', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x10}},
    {'G', {0x0e, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0f}},
    {'H', {0x11, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}},
    {'I', {0x0e, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0c}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}},
    {'M', {0x11, 0x1b, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},
    {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'Q', {0x0e, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0d}},
    {'R', {0x1e, 0x11, 0x11, 0x1e, 0x14, 0x12, 0x11}},
    {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}},
    {'T', {0x1f, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0a, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0a}},
    {'X', {0x11, 0x11, 0x0a, 0x04, 0x0a, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0a, 0x04, 0x04, 0x04}},
    {'Z', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1f}},
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}},
    {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}},
    {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}},
    {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}},
    {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}},
    {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}},
    {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1f, 0x00, 0x00, 0x00}},
    {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1f}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'?', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
};

const Glyph* findGlyph(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& g : kFont) {
        if (g.c == upper) {
            return &g;
        }
    }
    return nullptr;
}

}  // namespace

Image::Image(int width, int height, Rgb fill)
    : m_width(std::max(1, width)), m_height(std::max(1, height)) {
    m_rgba.resize(static_cast<size_t>(m_width) * m_height * 4);
    fillRect(0, 0, m_width, m_height, fill);
}

void Image::set(int x, int y, Rgb color) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    uint8_t* p = &m_rgba[(static_cast<size_t>(y) * m_width + x) * 4];
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
    p[3] = 255;
}

void Image::fillRect(int x, int y, int w, int h, Rgb color) {
    for (int yy = std::max(0, y); yy < std::min(m_height, y + h); ++yy) {
        for (int xx = std::max(0, x); xx < std::min(m_width, x + w); ++xx) {
            set(xx, yy, color);
        }
    }
}

void Image::fillRoundRect(int x, int y, int w, int h, int radius, Rgb color) {
    for (int yy = 0; yy < h; ++yy) {
        for (int xx = 0; xx < w; ++xx) {
            const int dx = std::max({radius - xx, xx - (w - 1 - radius), 0});
            const int dy = std::max({radius - yy, yy - (h - 1 - radius), 0});
            if (dx * dx + dy * dy <= radius * radius) {
                set(x + xx, y + yy, color);
            }
        }
    }
}

void Image::verticalGradient(Rgb top, Rgb bottom) {
    for (int y = 0; y < m_height; ++y) {
        auto mix = [&](uint8_t a, uint8_t b) {
            return static_cast<uint8_t>(a + (b - a) * y / std::max(1, m_height - 1));
        };
        fillRect(0, y, m_width, 1,
                 {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b)});
    }
}

int Image::textWidth(std::string_view text, int scale) {
    return static_cast<int>(text.size()) * 6 * scale;
}

void Image::drawText(int x, int y, std::string_view text, int scale, Rgb color) {
    for (char c : text) {
        if (const Glyph* g = findGlyph(c)) {
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    if (g->rows[row] & (0x10 >> col)) {
                        fillRect(x + col * scale, y + row * scale, scale, scale, color);
                    }
                }
            }
        }
        x += 6 * scale;
    }
}

std::string EncodePng(const Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width());
    png.height = static_cast<png_uint_32>(image.height());
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, image.rgba().data(), 0, nullptr)) {
        return {};
    }
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.rgba().data(), 0, nullptr)) {
        return {};
    }
    out.resize(size);
    return out;
}

std::string PadPng(std::string png, size_t size) {
    constexpr std::string_view kEnd("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    constexpr std::string_view kKeyword("Comment\0", 8);
    constexpr size_t kChunkOverhead = 12;  // length, type, CRC
    if (png.size() < kEnd.size() ||
        std::string_view(png).substr(png.size() - kEnd.size()) != kEnd ||
        size < png.size() + kChunkOverhead + kKeyword.size()) {
        return png;
    }
    const size_t length = size - png.size() - kChunkOverhead;
    std::string chunk;
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk += static_cast<char>(length >> shift & 0xff);
    }
    std::string body = "tEXt" + std::string(kKeyword);
    body.append(length - kKeyword.size(), 'x');
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    chunk += body;
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk += static_cast<char>(crc >> shift & 0xff);
    }
    png.insert(png.size() - kEnd.size(), chunk);
    return png;
}

std::optional<Image> DecodePng(std::string_view bytes, size_t maxPixels) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    if (png.width == 0 || png.height == 0 ||
        static_cast<size_t>(png.width) * png.height > maxPixels) {
        png_image_free(&png);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_RGBA;
    Image image(static_cast<int>(png.width), static_cast<int>(png.height));
    if (!png_image_finish_read(&png, nullptr, image.rgba().data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    return image;
}

Rgb ColorFromSeed(std::string_view seed) {
    uint32_t h = 2166136261u;
    for (char c : seed) {
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    return {static_cast<uint8_t>(60 + (h & 0x7f)), static_cast<uint8_t>(60 + ((h >> 8) & 0x7f)),
            static_cast<uint8_t>(60 + ((h >> 16) & 0x7f))};
}

std::string DefaultIconPng(std::string_view seed, int size) {
    Image icon(size, size, {0, 0, 0});
    std::fill(icon.rgba().begin(), icon.rgba().end(), 0);  // transparent
    icon.fillRoundRect(0, 0, size, size, size / 6, ColorFromSeed(seed));
    // The first letter of the last name segment (com.example.player → P).
    std::string_view tail = seed.substr(
        seed.find_last_of('.') == std::string_view::npos ? 0 : seed.find_last_of('.') + 1);
    const std::string letter(tail.empty() ? "?" : tail.substr(0, 1));
    const int scale = std::max(1, size / 12);
    icon.drawText((size - 5 * scale) / 2, (size - 7 * scale) / 2, letter, scale, {255, 255, 255});
    return EncodePng(icon);
}

}  // namespace qvpc::boxsim
