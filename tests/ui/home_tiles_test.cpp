// The home page's tiles: their subtitles read against their colours.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/pictures.h"

namespace qvpc::ui {
namespace {

double Luminance(QColor c) {
    const auto linear = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double Contrast(QColor a, QColor b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a line of text in a band of the picture: its background is
// the band's median colour (most of a band is background), its ink the pixel
// that stands out most from that.
double TextContrast(const QImage& image, const QRect& band) {
    std::vector<int> channels[3];
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            channels[0].push_back(c.red());
            channels[1].push_back(c.green());
            channels[2].push_back(c.blue());
        }
    }
    int median[3];
    for (int i = 0; i < 3; ++i) {
        std::nth_element(channels[i].begin(), channels[i].begin() + channels[i].size() / 2,
                         channels[i].end());
        median[i] = channels[i][channels[i].size() / 2];
    }
    const QColor background(median[0], median[1], median[2]);
    double best = 1;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            best = std::max(best, Contrast(image.pixelColor(x, y), background));
        }
    }
    return best;
}

TEST(HomeTilesTest, TheYellowSubtitleReadsAtLeastAsWellAsTheOthers) {
    using pictures::HomeTile;
    struct Tile {
        HomeTile tile;
        QSize size;
        QRect subtitle;  // the subtitle's line in the tile
    };
    const Tile tiles[] = {
        {HomeTile::AppManagement, {270, 270}, {20, 198, 230, 22}},
        {HomeTile::RemoteInstall, {270, 270}, {20, 198, 230, 22}},
        {HomeTile::Market, {230, 130}, {84, 68, 138, 20}},
        {HomeTile::Screenshot, {230, 130}, {84, 68, 138, 20}},
    };
    double yellow = 0;
    double others = 0;
    for (const Tile& t : tiles) {
        const QImage image =
            pictures::HomeTileSkin(t.tile).pixmap(t.size, 1, ButtonState::Normal).toImage();
        const double contrast = TextContrast(image, t.subtitle);
        if (t.tile == HomeTile::RemoteInstall) {
            yellow = contrast;
        } else {
            others = std::max(others, contrast);
        }
    }
    EXPECT_GE(yellow, others);
    EXPECT_GE(yellow, 3.0);
}

}  // namespace
}  // namespace qvpc::ui
