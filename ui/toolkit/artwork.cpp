#include "ui/toolkit/artwork.h"

#include <QPainter>
#include <QPixmapCache>

namespace qvpc::ui {

QPixmap Artwork::pixmap(const QSize& size, qreal devicePixelRatio) const {
    if (!*this) {
        return {};
    }
    return CachedPixmap(key, size, devicePixelRatio, paint);
}

QPixmap CachedPixmap(const QString& key, const QSize& size, qreal devicePixelRatio,
                     const Artwork::Paint& paint) {
    if (size.isEmpty()) {
        return {};
    }
    // The window's own pictures alone are a few megabytes; the default cache
    // of 10 MB would keep evicting and repainting them.
    if (QPixmapCache::cacheLimit() < 64 * 1024) {
        QPixmapCache::setCacheLimit(64 * 1024);
    }
    const QString fullKey = QStringLiteral("%1@%2x%3@%4")
                                .arg(key)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(devicePixelRatio);
    QPixmap pixmap;
    if (QPixmapCache::find(fullKey, &pixmap)) {
        return pixmap;
    }
    pixmap = QPixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        paint(painter, QSizeF(size));
    }
    QPixmapCache::insert(fullKey, pixmap);
    return pixmap;
}

}  // namespace qvpc::ui
