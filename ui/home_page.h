#pragma once

#include "ui/page.h"

namespace qvpc::ui {

// Page 4: the connected box's home: a header with the box name and
// "断开连接", and the four action tiles.
class HomePage : public Page {
    Q_OBJECT

  public:
    explicit HomePage(QWidget* parent);

    // Shows the name; the label becomes 9 × (GBK bytes of the name) + 16
    // wide and "断开连接" moves to x = that width + 82.
    void setBoxName(const QString& name);
    TextLabel& boxNameLabel() { return *m_boxName; }

  private:
    TextLabel* m_boxName;
};

}  // namespace qvpc::ui
