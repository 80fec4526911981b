#pragma once

#include <map>

#include "ui/page_button.h"
#include "ui/toolkit/button_skin.h"
#include "ui/toolkit/page_container.h"

namespace qvpc::ui {

class ImageButton;
class TextLabel;

// A page of the main window with its dispatcher buttons: each page builds its
// controls at their fixed places and reports its buttons' clicks by id.
class Page : public PageContainer {
    Q_OBJECT

  public:
    Page(int number, QWidget* parent);

    // The page's dispatcher button with this id, or null.
    ImageButton* button(PageButton id) const;

  signals:
    void buttonClicked(qvpc::ui::PageButton id);

  protected:
    // A three-state button at (x, y) with white text of size 18.
    ImageButton* addButton(PageButton id, const QString& text, const QRect& geometry,
                           ButtonSkin skin);
    // The green-text button of the guide links ("阿里云必看", "教程中心").
    ImageButton* addLinkButton(PageButton id, const QString& text, const QRect& geometry);
    TextLabel* addLabel(const QString& text, int fontSize, QRgb color, const QRect& geometry,
                        Qt::Alignment alignment = Qt::AlignCenter);
    // The header of the connected box's pages (4 and 9): the band across the
    // top 60 pixels and the box name label "智能电视" at (16, 20), 100 × 24.
    TextLabel* addHeader();

    void paintEvent(QPaintEvent* event) override;

  private:
    std::map<PageButton, ImageButton*> m_buttons;
    bool m_header = false;
};

}  // namespace qvpc::ui
