#pragma once

#include <QTimer>
#include <QWidget>

namespace qvpc::ui {

// The animated busy picture of page 1: a radar sweeping round a TV. It
// animates only while it is visible.
class BusyIndicator : public QWidget {
    Q_OBJECT

  public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    bool isAnimating() const { return m_timer.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QTimer m_timer;
    qreal m_angle = 0;
};

}  // namespace qvpc::ui
