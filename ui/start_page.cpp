#include "ui/start_page.h"

#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"

namespace qvpc::ui {

StartPage::StartPage(QWidget* parent) : Page(6, parent) {
    auto* circles = new ImageBox(this);
    circles->setGeometry(236, 54, 428, 428);
    circles->setArtwork(pictures::StartCircles());
    addButton(PageButton::StartSearch, QString::fromUtf8("尚未连接电视\r\n   立即查找  "),
              {364, 237, 172, 62}, ButtonSkin::primary());
}

}  // namespace qvpc::ui
