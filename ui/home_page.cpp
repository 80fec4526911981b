#include "ui/home_page.h"

#include "base/gbk.h"
#include "ui/pictures.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {

HomePage::HomePage(QWidget* parent) : Page(4, parent), m_boxName(addHeader()) {
    addButton(PageButton::Disconnect, QString::fromUtf8("断开连接"),
              {m_boxName->width() + 82, 12, 90, 40}, ButtonSkin::slate());
    using pictures::HomeTile;
    addButton(PageButton::AppManagementTile, {}, {55, 157, 270, 270},
              pictures::HomeTileSkin(HomeTile::AppManagement));
    addButton(PageButton::RemoteInstallTile, {}, {335, 157, 270, 270},
              pictures::HomeTileSkin(HomeTile::RemoteInstall));
    addButton(PageButton::MarketTile, {}, {615, 157, 230, 130},
              pictures::HomeTileSkin(HomeTile::Market));
    addButton(PageButton::ScreenshotTile, {}, {615, 297, 230, 130},
              pictures::HomeTileSkin(HomeTile::Screenshot));
}

void HomePage::setBoxName(const QString& name) {
    const int width = 9 * static_cast<int>(GbkByteLength(name.toStdString())) + 16;
    m_boxName->setText(name);
    m_boxName->resize(width, m_boxName->height());
    ImageButton* disconnect = button(PageButton::Disconnect);
    disconnect->move(width + 82, disconnect->y());
}

}  // namespace qvpc::ui
