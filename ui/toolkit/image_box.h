#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "ui/toolkit/artwork.h"

namespace qvpc::ui {

// A picture control: either an artwork drawn at the control's size, or a
// loaded image (the TV screenshot) fitted into the control, keeping its
// proportions, over an optional backdrop colour.
class ImageBox : public QWidget {
    Q_OBJECT

  public:
    explicit ImageBox(QWidget* parent = nullptr);

    void setArtwork(Artwork artwork);
    const Artwork& artwork() const { return m_artwork; }

    void setImage(const QPixmap& image);
    const QPixmap& image() const { return m_image; }
    void setBackdrop(QColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Artwork m_artwork;
    QPixmap m_image;
    QPixmap m_fitted;  // m_image scaled to the control, made again only when its size changes
    QColor m_backdrop;
};

}  // namespace qvpc::ui
