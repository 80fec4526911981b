// Paints the program's icon (the art its window shows) at the sizes of the
// freedesktop hicolor theme: FOLDER/NxN/apps/qvpc.png for each size N given.
// A build step: the icon draws no text, so it is painted into an image with
// no display and no Qt platform at all.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "ui/pictures.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const qvpc::ui::Artwork art = qvpc::ui::pictures::AppIcon();
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        if (side < 16 || side > 1024) {
            std::fprintf(stderr, "not an icon size: %s\n", argv[i]);
            return 2;
        }
        QImage icon(side, side, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        {
            // The hints of the window's own pictures (Artwork::pixmap).
            QPainter painter(&icon);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            art.paint(painter, QSizeF(side, side));
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
        const QString file = apps + QStringLiteral("/qvpc.png");
        if (!QDir().mkpath(apps) || !icon.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
