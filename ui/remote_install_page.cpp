#include "ui/remote_install_page.h"

#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {

RemoteInstallPage::RemoteInstallPage(QWidget* parent) : Page(8, parent) {
    m_panel = new ImageBox(this);
    m_panel->setGeometry(17, 73, 866, 390);
    m_panel->setArtwork(pictures::DropPanel(false));
    addButton(PageButton::RemoteInstallBack, QString::fromUtf8("返回"), {405, 472, 90, 40},
              ButtonSkin::slate());
    m_dropArea = addLabel(QString::fromUtf8("点击选择,或者拖拽应用至此"), 18, skin::kText,
                          {17, 73, 866, 390});
    m_dropArea->setClickable(true);
    m_dropArea->setAcceptsFiles(true);
    connect(m_dropArea, &TextLabel::clicked, this, &RemoteInstallPage::dropAreaClicked);
    connect(m_dropArea, &TextLabel::filesDropped, this, &RemoteInstallPage::filesDropped);
    connect(m_dropArea, &TextLabel::dragHoverChanged, this,
            [this](bool hovered) { m_panel->setArtwork(pictures::DropPanel(hovered)); });
}

}  // namespace qvpc::ui
