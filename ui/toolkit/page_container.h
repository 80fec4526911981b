#pragma once

#include <QWidget>

namespace qvpc::ui {

// One page of the main window: a 900 × 526 container at (0, 42) of the content
// frame, created hidden. Pages draw nothing themselves; the window's body
// shows through.
class PageContainer : public QWidget {
    Q_OBJECT

  public:
    static constexpr QRect kGeometry{0, 42, 900, 526};

    PageContainer(int number, QWidget* parent);

    int number() const { return m_number; }

  private:
    int m_number;
};

}  // namespace qvpc::ui
