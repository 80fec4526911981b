#pragma once

#include <QColor>
#include <QWidget>

namespace qvpc::ui {

// A flat progress bar from 0 to 100: a rounded track and its fill.
class ProgressBar : public QWidget {
    Q_OBJECT

  public:
    ProgressBar(QColor fill, QColor track, QWidget* parent = nullptr);

    int value() const { return m_value; }
    void setValue(int value);  // clamped to 0..100

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_fill;
    QColor m_track;
    int m_value = 0;
};

}  // namespace qvpc::ui
