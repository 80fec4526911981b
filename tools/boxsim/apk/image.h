#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::boxsim {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

// An RGBA picture with the few drawing operations the simulated screen and
// the generated icons need.
class Image {
  public:
    Image(int width, int height, Rgb fill = {});

    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::vector<uint8_t>& rgba() const { return m_rgba; }
    std::vector<uint8_t>& rgba() { return m_rgba; }

    void fillRect(int x, int y, int w, int h, Rgb color);
    // Corners cut to a quarter circle of the given radius.
    void fillRoundRect(int x, int y, int w, int h, int radius, Rgb color);
    void verticalGradient(Rgb top, Rgb bottom);
    // Upper-case ASCII text in a 5 × 7 bitmap font, each dot scale pixels wide.
    void drawText(int x, int y, std::string_view text, int scale, Rgb color);
    static int textWidth(std::string_view text, int scale);

  private:
    void set(int x, int y, Rgb color);
    int m_width;
    int m_height;
    std::vector<uint8_t> m_rgba;
};

std::string EncodePng(const Image& image);
// Refuses pictures of more than maxPixels and anything libpng cannot read.
std::optional<Image> DecodePng(std::string_view bytes, size_t maxPixels = 16u << 20);

// The PNG grown to exactly size bytes by a tEXt chunk before its end, still a
// valid picture; unchanged when it is not a PNG or size leaves no room.
std::string PadPng(std::string png, size_t size);

// A launcher-style icon: a rounded square in a colour derived from the seed,
// with its first letter.
std::string DefaultIconPng(std::string_view seed, int size = 96);
Rgb ColorFromSeed(std::string_view seed);

}  // namespace qvpc::boxsim
