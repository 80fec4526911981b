// mkicon: draws the small app icons of the sample catalog at build time, so
// the repository holds no binary images. Each icon is a rounded square in a
// colour taken from the package name with a white sign for its category.
//
//   mkicon --out FILE.png --seed PACKAGE --glyph CATEGORY [--size N]

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb FromHue(double hue, double saturation, double value) {
    double c = value * saturation;
    double h = std::fmod(hue, 360.0) / 60.0;
    double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    Rgb rgb{0, 0, 0};
    if (h < 1) {
        rgb = {c, x, 0};
    } else if (h < 2) {
        rgb = {x, c, 0};
    } else if (h < 3) {
        rgb = {0, c, x};
    } else if (h < 4) {
        rgb = {0, x, c};
    } else if (h < 5) {
        rgb = {x, 0, c};
    } else {
        rgb = {c, 0, x};
    }
    double m = value - c;
    return {rgb.r + m, rgb.g + m, rgb.b + m};
}

std::uint32_t Hash(std::string_view text) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : text) {
        h = (h ^ c) * 16777619u;
    }
    return h;
}

// Coordinates run from 0 to 1 across the icon.
bool InRoundedSquare(double x, double y) {
    constexpr double kInset = 0.04;
    constexpr double kRadius = 0.2;
    double dx = std::max({kInset + kRadius - x, 0.0, x - (1 - kInset - kRadius)});
    double dy = std::max({kInset + kRadius - y, 0.0, y - (1 - kInset - kRadius)});
    if (x < kInset || x > 1 - kInset || y < kInset || y > 1 - kInset) {
        return false;
    }
    return dx * dx + dy * dy <= kRadius * kRadius;
}

bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx,
                double cy) {
    auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
        return (px - rx) * (qy - ry) - (qx - rx) * (py - ry);
    };
    double d1 = side(x, y, ax, ay, bx, by);
    double d2 = side(x, y, bx, by, cx, cy);
    double d3 = side(x, y, cx, cy, ax, ay);
    bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

bool InBox(double x, double y, double left, double top, double right, double bottom) {
    return x >= left && x <= right && y >= top && y <= bottom;
}

double Distance(double x, double y, double cx, double cy) {
    return std::hypot(x - cx, y - cy);
}

using Glyph = std::function<bool(double, double)>;

Glyph GlyphFor(std::string_view category) {
    if (category == "live") {  // a dot with a ring: broadcasting
        return [](double x, double y) {
            double d = Distance(x, y, 0.5, 0.5);
            return d < 0.1 || (d > 0.18 && d < 0.24);
        };
    }
    if (category == "vod") {  // play
        return
            [](double x, double y) { return InTriangle(x, y, 0.36, 0.28, 0.36, 0.72, 0.74, 0.5); };
    }
    if (category == "game") {  // a cross of a pad
        return [](double x, double y) {
            return InBox(x, y, 0.42, 0.24, 0.58, 0.76) || InBox(x, y, 0.24, 0.42, 0.76, 0.58);
        };
    }
    if (category == "education") {  // an open book
        return [](double x, double y) {
            return (InBox(x, y, 0.24, 0.3, 0.48, 0.7) || InBox(x, y, 0.52, 0.3, 0.76, 0.7));
        };
    }
    if (category == "life") {  // a house
        return [](double x, double y) {
            return InTriangle(x, y, 0.5, 0.22, 0.2, 0.5, 0.8, 0.5) ||
                   (InBox(x, y, 0.3, 0.5, 0.7, 0.76) && !InBox(x, y, 0.44, 0.6, 0.56, 0.76));
        };
    }
    if (category == "entertainment") {  // a star
        return [](double x, double y) {
            double angle = std::atan2(y - 0.52, x - 0.5) + M_PI / 2;
            double r = Distance(x, y, 0.5, 0.52);
            double spike = std::fabs(std::fmod(angle * 5 / (2 * M_PI) + 10.5, 1.0) - 0.5);
            return r < 0.13 + 0.17 * (1 - 2 * spike);
        };
    }
    // tools and anything else: four squares
    return [](double x, double y) {
        return InBox(x, y, 0.26, 0.26, 0.47, 0.47) || InBox(x, y, 0.53, 0.26, 0.74, 0.47) ||
               InBox(x, y, 0.26, 0.53, 0.47, 0.74) || InBox(x, y, 0.53, 0.53, 0.74, 0.74);
    };
}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool WritePng(const std::string& path, int size, const std::vector<std::uint8_t>& rgba) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!writer.png) {
        return false;
    }
    writer.info = png_create_info_struct(writer.png);
    if (!writer.info || setjmp(png_jmpbuf(writer.png))) {
        return false;
    }
    png_init_io(writer.png, file.get());
    png_set_IHDR(writer.png, writer.info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    for (int y = 0; y < size; ++y) {
        png_write_row(writer.png, rgba.data() + static_cast<size_t>(y) * size * 4);
    }
    png_write_end(writer.png, nullptr);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out;
    std::string seed;
    std::string glyphName;
    int size = 96;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string_view name = argv[i];
        if (name == "--out") {
            out = argv[i + 1];
        } else if (name == "--seed") {
            seed = argv[i + 1];
        } else if (name == "--glyph") {
            glyphName = argv[i + 1];
        } else if (name == "--size") {
            size = std::atoi(argv[i + 1]);
        }
    }
    if (out.empty() || seed.empty() || size < 16 || size > 512) {
        std::fprintf(stderr,
                     "usage: mkicon --out FILE.png --seed TEXT --glyph CATEGORY [--size N]\n");
        return 2;
    }
    std::uint32_t hash = Hash(seed);
    double hue = hash % 360;
    Rgb top = FromHue(hue, 0.55, 0.95);
    Rgb bottom = FromHue(hue + 25, 0.8, 0.7);
    Glyph glyph = GlyphFor(glyphName);

    constexpr int kSamples = 4;  // per axis, for smooth edges
    std::vector<std::uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    double x = (px + (sx + 0.5) / kSamples) / size;
                    double y = (py + (sy + 0.5) / kSamples) / size;
                    if (!InRoundedSquare(x, y)) {
                        continue;
                    }
                    Rgb c = glyph(x, y) ? Rgb{1, 1, 1}
                                        : Rgb{top.r + (bottom.r - top.r) * y,
                                              top.g + (bottom.g - top.g) * y,
                                              top.b + (bottom.b - top.b) * y};
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    a += 1;
                }
            }
            std::uint8_t* pixel = &rgba[(static_cast<size_t>(py) * size + px) * 4];
            if (a > 0) {
                pixel[0] = static_cast<std::uint8_t>(std::lround(r / a * 255));
                pixel[1] = static_cast<std::uint8_t>(std::lround(g / a * 255));
                pixel[2] = static_cast<std::uint8_t>(std::lround(b / a * 255));
            }
            pixel[3] = static_cast<std::uint8_t>(std::lround(a / (kSamples * kSamples) * 255));
        }
    }
    if (!WritePng(out, size, rgba)) {
        std::fprintf(stderr, "mkicon: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
