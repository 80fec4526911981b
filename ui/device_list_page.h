#pragma once

#include "ui/page.h"

namespace qvpc::ui {

class DeviceTileList;

// Page 2: the tiles of the boxes a scan found, at (81, 6), 819 × 508.
class DeviceListPage : public Page {
    Q_OBJECT

  public:
    explicit DeviceListPage(QWidget* parent);

    DeviceTileList& list() { return *m_list; }

  signals:
    void tileClicked(int position);

  private:
    DeviceTileList* m_list;
};

}  // namespace qvpc::ui
