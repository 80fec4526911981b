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
    m_fitted = {};
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
        // A TV screenshot is larger than the page; scaling it down on every
        // repaint would redo the same smooth scale each time.
        const qreal ratio = devicePixelRatioF();
        const QSize fitted =
            (m_image.deviceIndependentSize().scaled(QSizeF(size()), Qt::KeepAspectRatio) * ratio)
                .toSize();
        if (m_fitted.size() != fitted || m_fitted.devicePixelRatio() != ratio) {
            m_fitted = m_image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_fitted.setDevicePixelRatio(ratio);
        }
        const QSizeF shown = m_fitted.deviceIndependentSize();
        painter.drawPixmap(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                           m_fitted);
        return;
    }
    if (m_artwork) {
        painter.drawPixmap(0, 0, m_artwork.pixmap(size(), devicePixelRatioF()));
    }
}

}  // namespace qvpc::ui
