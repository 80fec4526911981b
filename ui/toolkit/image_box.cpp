#include "ui/toolkit/image_box.h"

#include <QPainter>

namespace qvpc::ui {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageBox::setArtwork(Artwork artwork) {
    m_artwork = std::move(artwork);
    update();
}

void ImageBox::setImage(const QPixmap& image) {
    m_image = image;
    update();
}

void ImageBox::setBackdrop(QColor color) {
    m_backdrop = color;
    update();
}

void ImageBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_backdrop.isValid()) {
        painter.fillRect(rect(), m_backdrop);
    }
    if (!m_image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSizeF fitted =
            m_image.deviceIndependentSize().scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target((width() - fitted.width()) / 2, (height() - fitted.height()) / 2,
                            fitted.width(), fitted.height());
        painter.drawPixmap(target, m_image, QRectF(m_image.rect()));
        return;
    }
    if (m_artwork) {
        painter.drawPixmap(0, 0, m_artwork.pixmap(size(), devicePixelRatioF()));
    }
}

}  // namespace qvpc::ui
