#include "ui/device_list_page.h"

#include "ui/device_tile_list.h"

namespace qvpc::ui {

DeviceListPage::DeviceListPage(QWidget* parent)
    : Page(2, parent), m_list(new DeviceTileList(this)) {
    m_list->setGeometry(81, 6, 819, 508);
    connect(m_list, &DeviceTileList::itemClicked, this,
            [this](int index, const QPoint&) { emit tileClicked(index); });
}

}  // namespace qvpc::ui
