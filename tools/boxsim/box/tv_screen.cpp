#include "boxsim/box/tv_screen.h"

#include <algorithm>

#include "boxsim/apk/image.h"

namespace qvpc::boxsim {

namespace {

// Nearest-neighbour copy of an icon into a square of the screen.
void blitIcon(Image& screen, const Image& icon, int x, int y, int size) {
    for (int yy = 0; yy < size; ++yy) {
        for (int xx = 0; xx < size; ++xx) {
            const int sx = xx * icon.width() / size;
            const int sy = yy * icon.height() / size;
            const uint8_t* p = &icon.rgba()[(static_cast<size_t>(sy) * icon.width() + sx) * 4];
            if (p[3] > 127) {
                screen.fillRect(x + xx, y + yy, 1, 1, {p[0], p[1], p[2]});
            }
        }
    }
}

std::string asciiOnly(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string DrawTvScreen(int width, int height, const std::string& title,
                         const std::vector<ScreenApp>& apps) {
    Image screen(width, height);
    screen.verticalGradient({16, 40, 88}, {4, 10, 30});
    const int scale = std::max(1, height / 240);
    const int bar = 12 * scale;
    screen.fillRect(0, 0, width, bar, {0, 0, 0});
    screen.drawText(4 * scale, 2 * scale + 1, asciiOnly(title), scale, {230, 230, 230});
    screen.drawText(width - Image::textWidth("12:00", scale) - 4 * scale, 2 * scale + 1, "12:00",
                    scale, {230, 230, 230});

    const int tile = std::max(16, height / 6);
    const int gap = tile / 4;
    const int columns = std::max(1, (width - gap) / (tile + gap));
    int index = 0;
    for (const auto& app : apps) {
        const int x = gap + (index % columns) * (tile + gap);
        const int y = bar + gap + (index / columns) * (tile + 2 * gap);
        if (y + tile > height) {
            break;
        }
        screen.fillRoundRect(x, y, tile, tile, tile / 8, {40, 70, 130});
        if (auto icon = DecodePng(app.icon, 1024 * 1024)) {
            blitIcon(screen, *icon, x + tile / 8, y + tile / 8, tile * 3 / 4);
        }
        std::string label =
            asciiOnly(app.label).substr(0, static_cast<size_t>(tile / (6 * scale) + 1));
        screen.drawText(x, y + tile + 2, label, std::max(1, scale / 2 + 0), {255, 255, 255});
        ++index;
    }
    return EncodePng(screen);
}

std::string DrawOldScreenshot(int width, int height) {
    Image picture(width, height, kOldScreenshotColor);
    const std::string_view text = "OLD SCREENSHOT";
    const int scale = std::max(1, height / 120);
    picture.drawText((width - Image::textWidth(text, scale)) / 2, (height - 7 * scale) / 2, text,
                     scale, {255, 255, 255});
    return EncodePng(picture);
}

}  // namespace qvpc::boxsim
