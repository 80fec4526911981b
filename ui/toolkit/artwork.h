#pragma once

#include <QPixmap>
#include <QSizeF>
#include <QString>
#include <functional>

class QPainter;

namespace qvpc::ui {

// A picture drawn in code. It is painted once per size and device pixel ratio
// into a pixmap kept in QPixmapCache under its key.
struct Artwork {
    using Paint = std::function<void(QPainter&, const QSizeF&)>;

    QString key;
    Paint paint;

    explicit operator bool() const { return !key.isEmpty() && paint; }

    // The picture at this logical size; a null pixmap for an empty artwork.
    QPixmap pixmap(const QSize& size, qreal devicePixelRatio) const;
};

// The cache behind Artwork: paint runs only when key, size and ratio are new.
QPixmap CachedPixmap(const QString& key, const QSize& size, qreal devicePixelRatio,
                     const Artwork::Paint& paint);

}  // namespace qvpc::ui
