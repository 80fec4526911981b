#pragma once

#include <QAbstractButton>
#include <QColor>

#include "ui/toolkit/button_skin.h"

namespace qvpc::ui {

// The three-state image button: the skin's normal, hover and pressed images
// with the text centred on them (one line per "\r\n").
class ImageButton : public QAbstractButton {
    Q_OBJECT

  public:
    ImageButton(const QString& text, ButtonSkin skin, QWidget* parent = nullptr);

    void setSkin(ButtonSkin skin);
    void setTextColor(QColor color);
    void setFontSize(int size, bool bold = false);

    ButtonState state() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    ButtonSkin m_skin;
    QColor m_textColor = Qt::white;
    bool m_hovered = false;
};

}  // namespace qvpc::ui
